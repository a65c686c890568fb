#include "tv/instancehandover.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QStringList>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// What a later start, or anything else on this machine, sends to the running viewer.
using TClient = std::function<void()>;

QString g_name; // the test's own, so that no viewer running beside it takes part

void HandOver(const char* location) {
    TInstanceHandOver::HandOver(QString::fromUtf8(location));
}

// Writes the bytes and goes, as a program that is not a viewer might.
void Raw(const QByteArray& bytes) {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(g_name);
    if (socket.waitForConnected(1000)) {
        socket.write(bytes);
        socket.waitForBytesWritten(1000);
        socket.waitForDisconnected(1000);
    }
}

struct THandOverCase {
    const char* name;
    std::vector<TClient> clients; // at the same time
    QStringList received;         // in any order
};

const THandOverCase HandOverCases[] = {
    {"a hand-over", {[] { HandOver("/home/u/tv.m3u"); }}, {u"/home/u/tv.m3u"_s}},
    {"two at the same time",
     {[] { HandOver("http://127.0.0.1/a.m3u"); }, [] { HandOver("/home/u/b.m3u"); }},
     {u"/home/u/b.m3u"_s, u"http://127.0.0.1/a.m3u"_s}},
    {"a location over 64 KiB is cut off", {[] { Raw(QByteArray(70 * 1024, 'a') + '\n'); }}, {}},
    {"garbage without an end of line is left",
     {[] { Raw(QByteArray("\0\xff\xfe\x01junk", 8)); }, [] { HandOver("/home/u/tv.m3u"); }},
     {u"/home/u/tv.m3u"_s}},
};

void PrintTo(const THandOverCase& c, std::ostream* out) {
    *out << c.name;
}

class InstanceHandOverTest : public testing::TestWithParam<THandOverCase> {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "instancehandover_test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    void SetUp() override {
        g_name = u"viewdial-test-%1"_s.arg(getpid());
        FNameBefore = TInstanceHandOver::SetServerName(g_name);
    }
    void TearDown() override { TInstanceHandOver::SetServerName(FNameBefore); }

    QString FNameBefore;
};

TEST_P(InstanceHandOverTest, TakesWholeLinesOnly) {
    const THandOverCase& c = GetParam();
    TInstanceHandOver running;
    running.Listen();
    QStringList received;
    QObject::connect(&running, &TInstanceHandOver::received,
                     [&received](const QString& location) { received << location; });
    std::atomic_int done = 0;
    std::vector<std::thread> clients;
    for (const TClient& client : c.clients)
        clients.emplace_back([&client, &done] {
            client();
            ++done;
        });
    const QDeadlineTimer deadline(10000);
    while (done < int(clients.size()) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    for (std::thread& client : clients)
        client.join();
    QCoreApplication::processEvents();
    received.sort();
    EXPECT_EQ(received.join(u'|').toStdString(), c.received.join(u'|').toStdString());
}

INSTANTIATE_TEST_SUITE_P(Rows, InstanceHandOverTest, testing::ValuesIn(HandOverCases));

TEST_F(InstanceHandOverTest, NoViewerRunningTakesNothing) {
    EXPECT_FALSE(TInstanceHandOver::HandOver(u"/home/u/tv.m3u"_s));
}

} // namespace
