#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

// The loopback RTSP server of rtsp_server.py, run as a child process. Waiting for it
// keeps the event loop turning, so a test can measure the loop while it waits.
class TRtspTestServer {
public:
    ~TRtspTestServer();
    // Port 0 picks a free port; restarting on the port used before serves the same address.
    bool Start(int port = 0);
    void Kill();
    int Port() const { return m_port; }
    QString Url() const;

private:
    QProcess m_process;
    int m_port = 0;
};

// A loopback port that nothing listens on: connections to it are refused.
int ClosedLoopbackPort();

// Measures the longest time the event loop of this thread went without running a
// 10 ms timer: how long the window would have stopped answering the user.
class TLoopStallMeter : public QObject {
public:
    TLoopStallMeter();
    void Reset();
    qint64 LongestStallMs() const { return m_longest; }

private:
    void Beat();

    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};
