// Shows the viewer's window in one of its two states for a screenshot and prints
// READY once it is worth taking: "instructions" as started, or "playing" the loopback
// test stream in place of the first channel. Runs until it is killed.

#include "common/appshell.h"
#include "tv/main.h"
#include "tv/mediaplayer.h"
#include "tv/tests/testserver.h"

#include <QMenu>
#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TApplication::SetTitle(u"晴棠网络电视"_s);
    const bool playing = argc > 1 && qstrcmp(argv[1], "playing") == 0;
    TRtspTestServer server;
    if (playing) {
        if (!server.Start())
            return 1;
        const QString url = server.Url();
        TMediaPlayer::SetAddressRedirect([url](const QString&) { return url; });
    }
    TMainFrm mainFrm;
    mainFrm.show();
    auto ready = [] {
        std::printf("READY\n");
        std::fflush(stdout);
    };
    if (playing) {
        int frames = 0;
        QObject::connect(mainFrm.WMP, &TMediaPlayer::frameRendered, [&] {
            if (++frames == 50)
                ready();
        });
        mainFrm.N4Click(mainFrm.StartPopupMenu->findChild<QAction*>(u"N4"_s));
    } else {
        QTimer::singleShot(1000, ready);
    }
    return app.exec();
}
