#include "tv/tests/testserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>

using namespace Qt::Literals::StringLiterals;

TRtspTestServer::~TRtspTestServer() {
    Kill();
}

bool TRtspTestServer::Start(int port) {
    // Debian's python3-gi belongs to the system interpreter, which need not be the
    // first python3 on the PATH.
    m_process.start(u"/usr/bin/python3"_s,
                    {QString::fromUtf8(TV_RTSP_SERVER_SCRIPT), QString::number(port)});
    QByteArray out;
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        m_process.waitForReadyRead(10);
        out += m_process.readAllStandardOutput();
        const qsizetype at = out.indexOf("READY ");
        if (at >= 0 && out.indexOf('\n', at) > at) {
            m_port = out.mid(at + 6, out.indexOf('\n', at) - at - 6).trimmed().toInt();
            return m_port > 0;
        }
    }
    return false;
}

void TRtspTestServer::Kill() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString TRtspTestServer::Url() const {
    return u"rtsp://127.0.0.1:%1/test"_s.arg(m_port);
}

int ClosedLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TLoopStallMeter::TLoopStallMeter() {
    m_timer.setInterval(10);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TLoopStallMeter::Beat);
    Reset();
    m_timer.start();
}

void TLoopStallMeter::Reset() {
    m_longest = 0;
    m_since.start();
}

void TLoopStallMeter::Beat() {
    m_longest = std::max(m_longest, m_since.restart());
}
