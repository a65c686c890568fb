// Shows the viewer's window in one of its states for a screenshot and prints READY once
// it is worth taking: "instructions" as started, "playing" the loopback test stream in
// place of the first channel, "playlist" with a channel list's groups in the menu, or
// "search" with the search window over that list. Runs until it is killed.

#include "common/appshell.h"
#include "tv/channelmenu.h"
#include "tv/channelsearchfrm.h"
#include "tv/main.h"
#include "tv/mediaplayer.h"
#include "tv/openchannellist.h"
#include "tv/tests/testserver.h"

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
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
    // A list of the example domains, remembered only in a folder that goes with the run.
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QByteArray list = "#EXTM3U\n";
    const char* groups[] = {"央视频道", "卫视频道", "地方频道", "体育", "电影", "港澳台"};
    const char* channels[] = {"综合", "新闻", "卫视", "高清", "少儿", "音乐"};
    for (const char* group : groups)
        for (const char* channel : channels)
            list += QByteArray("#EXTINF:-1 group-title=\"") + group + "\"," + group + channel +
                    "\nhttp://tv.example.com/" + QByteArray::number(list.size()) + ".m3u8\n";
    QFile file(dir.filePath(u"tv.m3u"_s));
    if (!file.open(QIODevice::WriteOnly) || file.write(list) < 0)
        return 1;
    file.close();
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
    } else if (argc > 1 && qstrcmp(argv[1], "playlist") == 0) {
        mainFrm.OpenPlaylist(file.fileName());
        mainFrm.StartPopupMenu->popup(mainFrm.mapToGlobal(QPoint(200, 40)));
        QTimer::singleShot(500, [&] {
            mainFrm.Menu()->Groups()[1]->popup(mainFrm.mapToGlobal(QPoint(330, 170)));
        });
        QTimer::singleShot(1000, ready);
    } else if (argc > 1 && qstrcmp(argv[1], "search") == 0) {
        mainFrm.OpenPlaylist(file.fileName());
        mainFrm.Search();
        mainFrm.SearchFrm()->move(660, 115);
        mainFrm.SearchFrm()->FindEdt->setText(u"卫视"_s);
        QTimer::singleShot(1000, ready);
    } else {
        QTimer::singleShot(1000, ready);
    }
    return app.exec();
}
