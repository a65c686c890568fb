// Memory over an evening of channel flicking: a thousand presses of PgDn in the pattern
// of the flicking test, on the drawing path the environment chooses
// (VIEWDIAL_RENDER=opengl QT_QPA_PLATFORM=xcb under xvfb-run for OpenGL). After 20, 300
// and 1,000 switches, each once every open that was given up on has timed out: the
// resident memory, what the allocator holds from the system and what is allocated in
// it, its arenas, threads and descriptors. What the allocator holds beyond what is
// allocated is memory that was freed and kept. One run a process, since the first
// run's memory would be the second's start; an argument gives another count.

#include "common/appshell.h"
#include "tv/allocator.h"
#include "tv/tests/channelflicker.h"

#include <cstdio>
#include <cstdlib>

namespace {

void Print(int switches, const TProcessUse& use, const TProcessUse& early) {
    std::printf("after %4d switches: resident %lld kB (%+lld kB), allocator's heaps %lld kB, "
                "allocated %lld kB, %d arenas, %d threads, %d descriptors\n",
                switches, use.residentKb, use.residentKb - early.residentKb, use.heapsKb,
                use.allocatedKb, use.arenas, use.threads, use.descriptors);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    // The program's own policy, set as the program sets it: before any thread.
    SetAllocatorPolicy();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    const int total = argc > 1 ? std::atoi(argv[1]) : 1000;
    TChannelFlicker flicker;
    if (!flicker.Start()) {
        std::fprintf(stderr, "the loopback servers or the window did not come up\n");
        return 1;
    }
    TProcessUse early;
    for (int n = 1; n <= total; ++n) {
        if (!flicker.Switch()) {
            std::fprintf(stderr, "switch %d did not come to its outcome\n", n);
            return 1;
        }
        if (n != 20 && n != 300 && n != total)
            continue;
        if (!flicker.Settle(true)) {
            std::fprintf(stderr, "the stream did not play after %d switches\n", n);
            return 1;
        }
        const TProcessUse use = ProcessUse();
        if (n == 20)
            early = use;
        Print(n, use, early);
    }
    return 0;
}
