#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTimer>

#include <utility>
#include <vector>

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
    // The test picture with A-law sound, or, at the mount "aac", with AAC sound.
    QString Url(const QString& mount = QStringLiteral("test")) const;

private:
    QProcess FProcess;
    int FPort = 0;
};

// The loopback HLS live and archive server of hls_server.py, run as a child process over
// a folder of test segments, waiting delayMs before every response; it reports each
// request with the moment it came, in seconds of the monotonic clock.
class THlsTestServer {
public:
    THlsTestServer(const QString& folder, int delayMs);
    ~THlsTestServer();
    int Port() const { return FPort; }
    QString Url(const QString& path) const;
    // The requests whose path starts with prefix up to a moment, and when the first came.
    int RequestsUntil(const QString& prefix, double until);
    double FirstRequest(const QString& prefix);
    // Every request so far, in the order they came.
    const std::vector<std::pair<double, QString>>& Requests();

private:
    void Read();

    QProcess FProcess;
    int FPort = 0;
    std::vector<std::pair<double, QString>> FRequests;
};

// Makes the segments seg0.ts, seg1.ts, ... of the folder, unless it has them: `seconds` of
// the SMPTE bars with a tone, 2 s each and each beginning with a key frame, as a live
// encoder cuts them. False when ffmpeg fails.
bool MakeTestSegments(const QString& folder, int seconds);

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

// What ffprobe reads in a media file: its streams' codecs, its duration, and of its video
// the packets, the pictures they decode to and the place of the first key frame.
struct TMediaProbe {
    QStringList codecs;
    double duration = 0;
    int packets = 0, pictures = 0, firstKey = -1;
};
TMediaProbe ProbeMedia(const QString& path);
