#include "tv/tests/channelflicker.h"

#include "tv/main.h"
#include "tv/mediaplayer.h"
#include "tv/openchannellist.h"
#include "tv/streamsession.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <cstdio>
#include <cstdlib>

#include <malloc.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// malloc_info writes one <heap> element for each arena.
int ArenaCount() {
    char* text = nullptr;
    std::size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    if (!out)
        return 0;
    malloc_info(0, out);
    std::fclose(out);
    const int count = QByteArray::fromRawData(text, qsizetype(size)).count("<heap nr=");
    std::free(text);
    return count;
}

} // namespace

TProcessUse ProcessUse() {
    TProcessUse use;
    const struct mallinfo2 heap = mallinfo2();
    use.heapsKb = qint64((heap.arena + heap.hblkhd) / 1024);
    use.allocatedKb = qint64((heap.uordblks + heap.hblkhd) / 1024);
    use.arenas = ArenaCount();
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 2 && fields[0] == "VmRSS:")
                use.residentKb = fields[1].toLongLong();
            else if (fields.size() >= 2 && fields[0] == "Threads:")
                use.threads = fields[1].toInt();
        }
    use.descriptors = int(QDir(u"/proc/self/fd"_s)
                              .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                              .size());
    return use;
}

TChannelFlicker::TChannelFlicker() = default;

TChannelFlicker::~TChannelFlicker() = default;

bool TChannelFlicker::Start() {
    if (!FServer.Start())
        return false;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FDir.filePath(u"config"_s));
    const QString dead = u"rtsp://127.0.0.1:%1/live"_s.arg(ClosedLoopbackPort());
    const QString mute = u"rtsp://127.0.0.1:%1/live"_s.arg(FMute.serverPort());
    // Channel n of the list, n = 1..6, is what the n-th case of Switch waits on.
    QByteArray list = "#EXTM3U\n";
    for (const QString& address : {FServer.Url(), dead, mute, FServer.Url(), mute, dead})
        list += u"#EXTINF:-1,%1\n%2\n"_s.arg(list.count('\n') / 2 + 1).arg(address).toUtf8();
    QFile file(FDir.filePath(u"flick.m3u"_s));
    if (!file.open(QIODevice::WriteOnly) || file.write(list) != list.size())
        return false;
    file.close();
    FFrm = std::make_unique<TMainFrm>();
    FFrm->show();
    if (!QTest::qWaitForWindowExposed(FFrm.get()))
        return false;
    FFrm->OpenPlaylist(file.fileName());
    connect(FFrm->WMP, &TMediaPlayer::frameRendered, this, [this] { ++FFrames; });
    return QTest::qWaitFor([this] { return FFrm->OpenList()->List() != nullptr; });
}

bool TChannelFlicker::Switch() {
    QTest::keyClick(FFrm.get(), Qt::Key_PageDown);
    const TMediaPlayer* player = FFrm->WMP;
    switch (FFrm->windowTitle().section(u' ', 0, 0).toInt()) {
    case 1: // the stream, watched for a few pictures
        FFrames = 0;
        return QTest::qWaitFor([this] { return FFrames >= 5; }, 10000);
    case 2: // a closed port, until the player says so
        return QTest::qWaitFor([player] { return player->Status() == TStreamStatus::Failed; },
                               5000);
    case 3: // a mute server, given up while it still connects
        QTest::qWait(150);
        return true;
    case 4: // the stream, left before its first picture
        QTest::qWait(30);
        return true;
    case 5:
        QTest::qWait(40);
        return true;
    default: // a closed port, left at once
        QTest::qWait(5);
        return true;
    }
}

bool TChannelFlicker::Settle(bool waitOut) {
    FFrm->PlayChannel(0);
    FFrames = 0;
    if (!QTest::qWaitFor([this] { return FFrames >= 25; }, 10000))
        return false;
    if (waitOut)
        QTest::qWait(TStreamSession::IoTimeoutMs);
    return true;
}

void TChannelFlicker::Close() {
    FFrm.reset();
}
