#pragma once

#include "tv/streamaddress.h"
#include "tv/streamsession.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// Which of a channel's addresses the player tries, and what the status line says about
// it. Public lists name several addresses for one station, and many are dead on any
// given day: when one fails the next is tried, round the list once from the address
// that last played, and the channel fails only when every one of them has failed. The
// address that last played is remembered for each channel while the program runs.
class TAddressRotation {
public:
    // A channel of one or more addresses, known by its first; the address to try first.
    TStreamAddress Start(const QList<TStreamAddress>& addresses);
    // The address being tried has failed for good: the next one the player takes, or
    // none when every address has been tried.
    std::optional<TStreamAddress> Failed();
    // The address being tried shows the channel.
    void Played();
    const QList<TStreamAddress>& Addresses() const { return FAddresses; }

    // The session's status line, with what it says about the addresses.
    QString StatusText(TStreamStatus status, const QString& sessionText) const;

private:
    QHash<QString, int> FLastPlayed;
    QList<TStreamAddress> FAddresses;
    int FCurrent = 0;
    int FTried = 0;
    bool FPlayed = false;
};
