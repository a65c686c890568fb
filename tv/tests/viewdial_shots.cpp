// Shows the viewer's window in one of its states for a screenshot and prints READY once
// it is worth taking: "instructions" as started, "playing" the loopback test stream in
// place of the first channel, "playlist" with a channel list's groups in the menu, or
// "channels" with the channel window over that list, its logos from a loopback server
// and a day of programmes for each channel. Runs until it is killed.

#include "common/appshell.h"
#include "tv/channelbrowser.h"
#include "tv/channelmenu.h"
#include "tv/channelwindow.h"
#include "tv/main.h"
#include "tv/mediaplayer.h"
#include "tv/openchannellist.h"
#include "tv/tests/httptestserver.h"
#include "tv/tests/testserver.h"

#include <QBuffer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// A logo of its own colour for each channel, with the channel's word on it.
QByteArray Logo(int channel, const QString& word) {
    QImage image(96, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv(channel * 47 % 360, 170, 200));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(image.rect().adjusted(2, 2, -2, -2), 14, 14);
    painter.setPen(Qt::white);
    painter.setFont(QFont(u"WenQuanYi Micro Hei"_s, 22, QFont::Bold));
    painter.drawText(image.rect(), Qt::AlignCenter, word);
    painter.end();
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    image.save(&bytes, "PNG");
    return bytes.data();
}

// The guide of the list's channels ch0 to ch35: yesterday and today in programmes of 30
// to 90 minutes, in the zone of Beijing.
QByteArray Guide(int channels) {
    const QStringList titles{u"朝闻天下"_s,       u"新闻30分"_s,         u"今日说法"_s,
                             u"电视剧：山海情"_s, u"天气预报"_s,         u"新闻联播"_s,
                             u"焦点访谈"_s,       u"纪录片：航拍中国"_s, u"体育新闻"_s,
                             u"综艺：星光大道"_s};
    const QTimeZone beijing(8 * 3600);
    QString xml = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n"_s;
    for (int channel = 0; channel < channels; ++channel) {
        xml += u"<channel id=\"ch%1\"><display-name>ch%1</display-name></channel>\n"_s.arg(channel);
        QDateTime start(QDate::currentDate().addDays(-1), QTime(6, 0), beijing);
        for (int i = 0; start.date() <= QDate::currentDate(); ++i) {
            const QDateTime stop = start.addSecs((30 + (i + channel) % 3 * 30) * 60);
            xml += u"<programme start=\"%1\" stop=\"%2\" channel=\"ch%3\"><title>%4</title>"
                   "</programme>\n"_s
                       .arg(start.toString(u"yyyyMMddHHmmss +0800"_s),
                            stop.toString(u"yyyyMMddHHmmss +0800"_s))
                       .arg(channel)
                       .arg(titles[(i + channel) % titles.size()]);
            start = stop;
        }
    }
    return (xml + u"</tv>\n"_s).toUtf8();
}

} // namespace

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
    qputenv("XDG_CACHE_HOME", dir.filePath(u"cache"_s).toUtf8());
    const bool channelWindow = argc > 1 && qstrcmp(argv[1], "channels") == 0;
    THttpTestServer web;
    web.Serve(u"/guide.xml"_s, Guide(36));
    QByteArray list = "#EXTM3U" +
                      (channelWindow ? " x-tvg-url=\"" + web.Url(u"/guide.xml"_s).toUtf8() + "\""
                                     : QByteArray()) +
                      "\n";
    const char* groups[] = {"央视频道", "卫视频道", "地方频道", "体育", "电影", "港澳台"};
    const char* channels[] = {"综合", "新闻", "卫视", "高清", "少儿", "音乐"};
    int made = 0;
    for (const char* group : groups) {
        for (const char* channel : channels) {
            const QString logo = u"/logo/%1.png"_s.arg(made);
            web.Serve(logo, Logo(made, QString::fromUtf8(channel)));
            // The first group keeps a week of its programmes to be watched again.
            list += "#EXTINF:-1 tvg-id=\"ch" + QByteArray::number(made) + "\" tvg-logo=\"" +
                    web.Url(logo).toUtf8() + "\"" + (made < 6 ? " catchup=\"append\"" : "") +
                    " group-title=\"" + group + "\"," + group + channel +
                    "\nhttp://tv.example.com/" + QByteArray::number(list.size()) + ".m3u8\n";
            ++made;
        }
    }
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
    } else if (channelWindow) {
        // The channel marked as playing goes nowhere but to a closed loopback port.
        const QString closed = u"rtsp://127.0.0.1:%1/"_s.arg(ClosedLoopbackPort());
        TMediaPlayer::SetAddressRedirect([closed](const QString&) { return closed; });
        mainFrm.OpenPlaylist(file.fileName());
        mainFrm.PlayChannel(1);
        mainFrm.Search();
        TChannelListFrm* window = mainFrm.Browser()->Window();
        window->setGeometry(660, 115, 900, 540);
        window->ShowGroup({TGroupRef::TKind::List, 0});
        window->ChannelLst->setCurrentIndex(window->ChannelLst->model()->index(1, 0));
        QTimer::singleShot(3000, ready);
    } else {
        QTimer::singleShot(1000, ready);
    }
    return app.exec();
}
