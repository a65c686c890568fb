#pragma once

#include "tv/guide.h"
#include "tv/playlist.h"

#include <QDateTime>
#include <QString>

// Catch-up: the address that plays a programme that has already begun from the archive
// of its channel, built by the rule the channel list names for it.

// How far back an archive reaches when the list does not say.
inline constexpr int DefaultCatchupDays = 7;

// Whether the programme began within the days the channel's archive holds, by now.
bool InArchiveDays(const TCatchupRule& catchup, const TProgramme& programme, const QDateTime& now);

// The address that plays `programme` from the channel's archive, built from its address at
// `address`; empty when the channel has no catch-up or the programme lies outside its days.
QString ArchiveAddress(const TPlaylistChannel& channel, int address, const TProgramme& programme,
                       const QDateTime& now);

// The addresses that play `programme` from the archive, one for each of the channel's
// addresses that has one, in the channel's order and with its request headers; empty
// when the programme has no archive.
QList<TStreamAddress> ArchiveAddresses(const TPlaylistChannel& channel, const TProgramme& programme,
                                       const QDateTime& now);
