#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTimer>

class QImage;
class TMediaPlayer;

// The loopback RTSP server of rtsp_server.py, run as a child process. Waiting for it
// keeps the event loop turning, so a test can measure the loop while it waits.
class TRtspTestServer {
public:
    ~TRtspTestServer();
    // Port 0 picks a free port; restarting on the port used before serves the same address.
    bool Start(int port = 0);
    void Kill();
    int Port() const { return FPort; }
    QString Url() const;

private:
    QProcess FProcess;
    int FPort = 0;
};

// A loopback port that nothing listens on: connections to it are refused.
int ClosedLoopbackPort();

// A loopback server that accepts connections and never says a word. Each connection
// is let go once the client gives up on it.
class TMuteServer : public QTcpServer {
public:
    TMuteServer();
};

// Measures the longest time the event loop of this thread went without running a
// 10 ms timer: how long the window would have stopped answering the user.
class TLoopStallMeter : public QObject {
public:
    TLoopStallMeter();
    void Reset();
    qint64 LongestStallMs() const { return FLongest; }

private:
    void Beat();

    QTimer FTimer;
    QElapsedTimer FSince;
    qint64 FLongest = 0;
};

// Whether the player shows the SMPTE bars of the test streams, each bar in its colour:
// a picture drawn from damaged data, or a grey one, does not.
bool ShowsTestPattern(const TMediaPlayer& player);
// The same for a picture the player showed, of a stream whose pictures are video big.
bool ShowsTestPattern(const QImage& frame, QSize video);
