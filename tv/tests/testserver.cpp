#include "tv/tests/testserver.h"

#include "tv/mediaplayer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

using namespace Qt::Literals::StringLiterals;

TRtspTestServer::~TRtspTestServer() {
    Kill();
}

bool TRtspTestServer::Start(int port) {
    // Debian's python3-gi belongs to the system interpreter, which need not be the
    // first python3 on the PATH.
    FProcess.start(u"/usr/bin/python3"_s,
                   {QString::fromUtf8(TV_RTSP_SERVER_SCRIPT), QString::number(port)});
    QByteArray out;
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && FProcess.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        FProcess.waitForReadyRead(10);
        out += FProcess.readAllStandardOutput();
        const qsizetype at = out.indexOf("READY ");
        if (at >= 0 && out.indexOf('\n', at) > at) {
            FPort = out.mid(at + 6, out.indexOf('\n', at) - at - 6).trimmed().toInt();
            return FPort > 0;
        }
    }
    return false;
}

void TRtspTestServer::Kill() {
    if (FProcess.state() == QProcess::NotRunning)
        return;
    FProcess.kill();
    FProcess.waitForFinished(5000);
}

QString TRtspTestServer::Url(const QString& mount) const {
    return u"rtsp://127.0.0.1:%1/%2"_s.arg(FPort).arg(mount);
}

THlsTestServer::THlsTestServer(const QString& folder, int delayMs) {
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProcess.start(u"/usr/bin/python3"_s,
                   {QString::fromUtf8(TV_HLS_SERVER_SCRIPT), folder, QString::number(delayMs)});
    while (FPort == 0 && FProcess.waitForReadyRead(10000))
        Read();
    QObject::connect(&FProcess, &QProcess::readyReadStandardOutput, [this] { Read(); });
}

THlsTestServer::~THlsTestServer() {
    FProcess.closeWriteChannel();
    FProcess.waitForFinished(2000);
}

QString THlsTestServer::Url(const QString& path) const {
    return u"http://127.0.0.1:%1%2"_s.arg(FPort).arg(path);
}

int THlsTestServer::RequestsUntil(const QString& prefix, double until) {
    int count = 0;
    for (const auto& [at, path] : Requests())
        count += path.startsWith(prefix) && at <= until;
    return count;
}

double THlsTestServer::FirstRequest(const QString& prefix) {
    for (const auto& [at, path] : Requests())
        if (path.startsWith(prefix))
            return at;
    return 0;
}

const std::vector<std::pair<double, QString>>& THlsTestServer::Requests() {
    Read();
    return FRequests;
}

void THlsTestServer::Read() {
    while (FProcess.canReadLine()) {
        const QList<QByteArray> fields = FProcess.readLine().trimmed().split(' ');
        if (fields.size() == 2 && fields[0] == "READY")
            FPort = fields[1].toInt();
        else if (fields.size() == 3 && fields[0] == "GET")
            FRequests.push_back({fields[1].toDouble(), QString::fromUtf8(fields[2])});
    }
}

bool MakeTestSegments(const QString& folder, int seconds) {
    if (QFile::exists(folder + u"/seg0.ts"_s))
        return true;
    QProcess ffmpeg;
    ffmpeg.setWorkingDirectory(folder);
    ffmpeg.start(
        u"ffmpeg"_s,
        u"-v error -y -f lavfi -i smptebars=size=320x240:rate=25 -f lavfi -i "
        "sine=frequency=440:sample_rate=48000 -t %1 -c:v libx264 -preset ultrafast -g 50 "
        "-keyint_min 50 -sc_threshold 0 -pix_fmt yuv420p -c:a aac -b:a 64k -f hls "
        "-hls_time 2 -hls_list_size 0 -hls_segment_filename seg%d.ts all.m3u8"_s.arg(seconds)
            .split(u' '));
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0;
}

int ClosedLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TMuteServer::TMuteServer() {
    listen(QHostAddress::LocalHost, 0);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = nextPendingConnection())
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    });
}

TLoopStallMeter::TLoopStallMeter() {
    FTimer.setInterval(10);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, &TLoopStallMeter::Beat);
    Reset();
    FTimer.start();
}

void TLoopStallMeter::Reset() {
    FLongest = 0;
    FSince.start();
}

void TLoopStallMeter::Beat() {
    FLongest = std::max(FLongest, FSince.restart());
}

namespace {

// The bars across the top two thirds of the SMPTE test picture, left to right: which
// of red, green and blue each one is made of.
struct TBar {
    bool red, green, blue;
};
const TBar Bars[] = {{true, true, true},   {true, true, false}, {false, true, true},
                     {false, true, false}, {true, false, true}, {true, false, false},
                     {false, false, true}};

bool Lit(int level, bool on) {
    return on ? level > 150 : level < 110;
}

} // namespace

bool ShowsTestPattern(const TMediaPlayer& player) {
    return ShowsTestPattern(player.Frame(), player.VideoSize());
}

bool ShowsTestPattern(const QImage& frame, QSize video) {
    if (frame.isNull() || video.isEmpty())
        return false;
    const QSizeF size = QSizeF(video).scaled(QSizeF(frame.size()), Qt::KeepAspectRatio);
    const QPointF origin((frame.width() - size.width()) / 2, (frame.height() - size.height()) / 2);
    for (int i = 0; i < 7; ++i) {
        const QPointF at = origin + QPointF(size.width() * (2 * i + 1) / 14, size.height() / 3);
        const QColor shown = frame.pixelColor(at.toPoint());
        if (!Lit(shown.red(), Bars[i].red) || !Lit(shown.green(), Bars[i].green) ||
            !Lit(shown.blue(), Bars[i].blue))
            return false;
    }
    return true;
}

TMediaProbe ProbeMedia(const QString& path) {
    QProcess ffprobe;
    ffprobe.start(u"ffprobe"_s,
                  {u"-v"_s, u"quiet"_s, u"-count_frames"_s, u"-of"_s, u"json"_s, u"-show_entries"_s,
                   u"stream=codec_name,codec_type,nb_read_frames:format=duration:"
                   "packet=stream_index,flags"_s,
                   path});
    ffprobe.waitForFinished(60000);
    const QJsonObject info = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    TMediaProbe probe{{}, info[u"format"_s][u"duration"_s].toString().toDouble()};
    int video = -1;
    for (const QJsonValue stream : info[u"streams"_s].toArray()) {
        if (stream[u"codec_type"_s] == u"video"_s) {
            video = int(probe.codecs.size());
            probe.pictures = stream[u"nb_read_frames"_s].toString().toInt();
        }
        probe.codecs.append(stream[u"codec_name"_s].toString());
    }
    for (const QJsonValue packet : info[u"packets"_s].toArray())
        if (packet[u"stream_index"_s].toInt() == video) {
            if (probe.firstKey < 0 && packet[u"flags"_s].toString().startsWith(u'K'))
                probe.firstKey = probe.packets;
            ++probe.packets;
        }
    return probe;
}
