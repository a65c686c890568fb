#pragma once

#include "tv/streamsession.h"

#include <QHash>
#include <QString>

// Which of a channel's addresses the player tries, and what the status line says about
// it. Public lists name several addresses for one station, and many are dead on any
// given day: when one fails the next is tried, round the list once from the address
// that last played, and the channel fails only when every one of them has failed. The
// address that last played is remembered for each channel while the program runs.
class TAddressRotation {
public:
    // A channel of count addresses, known by its first address; the index to try first.
    int Start(const QString& channel, int count);
    // The address being tried has failed for good; the index of the next, or -1 when
    // every address has been tried.
    int Failed();
    // The address being tried shows the channel.
    void Played();

    // The session's status line, with what it says about the addresses.
    QString StatusText(TStreamStatus status, const QString& sessionText) const;

private:
    QHash<QString, int> FLastPlayed;
    QString FChannel;
    int FCount = 0;
    int FCurrent = 0;
    int FTried = 0;
    bool FPlayed = false;
};
