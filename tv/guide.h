#pragma once

#include "tv/playlist.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <stdexcept>

// The programme guide (XMLTV) of a channel list: what each of the list's channels
// shows, read from a guide that names channels by ids and display names.

struct TProgramme {
    QDateTime start, stop; // in UTC
    int zoneOffset = 0;    // seconds east of UTC, as the guide wrote the start
    QString title, description;
};

// A guide that cannot be read; what() is the message for the user.
class EGuideError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TGuide {
public:
    // The guide channel of the list's channel at position (ChannelAt order); empty if none.
    QString MatchedId(int position) const;
    // Sorted by start, tvg-shift applied.
    QList<TProgramme> Schedule(int position) const;
    // Null if nothing is on.
    const TProgramme* OnAir(int position, const QDateTime& when) const;
    // Adds a guide read after this one: where their programmes overlap, this one's stay.
    void Merge(const TGuide& later);

    // Programmes kept per channel, the earliest of the window.
    static constexpr qsizetype MaxProgrammes = 10000;

private:
    friend class TGuideCollector;
    QHash<int, QString> FMatched;
    QHash<int, QList<TProgramme>> FSchedules;
};

// XMLTV, plain or gzip; throws EGuideError. Keeps the programmes of the matched channels
// from now less a day (or the list's longest catch-up) on. TGuideReader (guidereader.h)
// reads one as it arrives.
TGuide ReadGuide(QByteArrayView bytes, const TPlaylist& list, const QDateTime& now);
