#pragma once

#include "tv/guide.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

class TGuideFetcher;
class TOpenChannelList;

// The programmes of the channel list open: its guides (those its header names, or the one
// the user set for it) fetched in the background whenever a list is read, fetched again
// before the programmes kept run out, and what the status line says of the channel
// playing, kept current as one programme follows another. A failure only shows in the
// status line; the guide read before stays.
class TListGuide : public QObject {
    Q_OBJECT
public:
    explicit TListGuide(TOpenChannelList* openList);

    static constexpr std::chrono::hours RefreshWithin{12};
    static constexpr std::chrono::hours RefreshEvery{6};

    // The channel playing: a channel of another list than the one open has no guide.
    void Playing(const std::shared_ptr<const TPlaylist>& list, int position);
    // Null until a guide is read.
    const std::shared_ptr<const TGuide>& Guide() const { return FGuide; }
    // The programme on air on the channel playing, for the line over the picture.
    QString OnAir() const;

    // The guide the user set for the list open, in place of its own; empty: the list's.
    QString GuideLocation() const;
    void SetGuideLocation(const QString& location);

    TGuideFetcher* Fetcher() const { return FFetcher; }

signals:
    void guideChanged(const std::shared_ptr<const TGuide>& guide);
    // What the window's status line is to say; the list's own line where the guide has
    // nothing to say of the channel playing.
    void statusChanged(const QString& text);

private:
    void ListChanged(const std::shared_ptr<const TPlaylist>& list);
    void Fetch();
    void Read(std::shared_ptr<const TGuide> guide);
    void Failed(const QString& reason);
    void ShowOnAir();
    void CheckRefresh();
    bool PlaysFromGuide() const;

    TOpenChannelList* FOpenList;
    TGuideFetcher* FFetcher;
    std::shared_ptr<const TGuide> FGuide;
    std::shared_ptr<const TPlaylist> FPlayingList;
    int FPosition = -1;
    QDateTime FFetched;
    QTimer FProgrammeChange;
    QTimer FRefresh;
    QString FShown; // what was said of the channel playing; empty: the list's line shows
};
