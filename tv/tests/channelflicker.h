#pragma once

#include "tv/tests/testserver.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class TMainFrm;

// What the process holds, read from /proc and from the C library's allocator.
struct TProcessUse {
    qint64 residentKb = 0;
    // What the allocator has taken from the system for its heaps and mapped blocks:
    // what it keeps after a free shows here and not in allocatedKb.
    qint64 heapsKb = 0;
    // What the program holds through malloc: a leak grows it, the allocator's own
    // keeping does not.
    qint64 allocatedKb = 0;
    // The allocator's arenas; each keeps the memory freed into it for its own threads.
    int arenas = 0;
    int threads = 0;
    int descriptors = 0;
};
TProcessUse ProcessUse();

// Channel flicking as a restless viewer does it: PgDn through a list of the loopback
// stream, a closed port and a server that never answers, often before the first
// picture. The window and its list are made here, and the list is remembered in a
// folder of its own, not in the user's settings.
class TChannelFlicker : public QObject {
public:
    TChannelFlicker();
    ~TChannelFlicker() override;
    // The servers, the list and the window with the list open; false when one of
    // them did not come up.
    bool Start();
    // One press of PgDn; some switches wait for the outcome, some move on at once.
    // False when the outcome waited for did not come.
    bool Switch();
    // The same state at all measurements: the stream playing, and, when waitOut says
    // so, every open that the switches gave up on ended by its I/O timeout, with what
    // it held. False when the stream did not play.
    bool Settle(bool waitOut);
    // Closes the window.
    void Close();

private:
    TRtspTestServer FServer;
    TMuteServer FMute;
    QTemporaryDir FDir;
    std::unique_ptr<TMainFrm> FFrm;
    int FFrames = 0;
};
