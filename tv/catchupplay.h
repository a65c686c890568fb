#pragma once

#include "tv/guide.h"
#include "tv/playlist.h"

#include <QDateTime>
#include <QObject>

#include <optional>

class TMainFrm;

// The window's side of catch-up: which addresses play, what the caption and the status
// line say while a programme is played again, and what they say when it has ended.
class TCatchupPlay : public QObject {
    Q_OBJECT
public:
    explicit TCatchupPlay(TMainFrm& frm);

    // The channel plays as it airs: its own addresses.
    QList<TStreamAddress> Live(const TPlaylistChannel& channel);
    // The programme plays from the channel's archive: its archive addresses, or none when
    // it has no archive, which the status line then says.
    QList<TStreamAddress> Archive(const TPlaylistChannel& channel, const TProgramme& programme,
                                  const QDateTime& now);
    // What the caption says of the channel: its name, and the programme played again.
    QString Caption(const QString& name) const;
    bool Playing() const { return FProgramme.has_value(); }
    // What the guide says of the channel playing as it airs: the status line says it
    // unless a programme is played again, and again once the channel plays live.
    void GuideSaid(const QString& text);

private:
    void StatusChanged();

    TMainFrm& FFrm;
    std::optional<TProgramme> FProgramme;
    bool FSaid = false; // the status line speaks of the programme played again
    QString FGuideLine;
};
