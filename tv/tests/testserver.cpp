#include "tv/tests/testserver.h"

#include "tv/mediaplayer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
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

QString TRtspTestServer::Url() const {
    return u"rtsp://127.0.0.1:%1/test"_s.arg(FPort);
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
