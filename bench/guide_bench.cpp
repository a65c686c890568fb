// The programme guide's reader on guides the size of real ones, generated here:
//  - 15 MB, 215 channels, 7 days, +0800, channels first: ReadGuide's median against
//    Python's xml.etree.ElementTree.iterparse over the same file in the same run
//    (bench/guide_iterparse.py), both taking channel, start, stop and title;
//  - 200 MB, 20,000 channels, channels last, matched by display name: fed in 64 KiB
//    pieces to the incremental reader for a list of 200 channels, in a process of its
//    own, which reports its time and the growth of its peak resident memory.
//   guide_bench [rounds, default 7]

#include "tv/guide.h"
#include "tv/guidereader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace Qt::Literals::StringLiterals;

namespace {

const QDateTime g_now = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);
const char* const Titles[] = {"新闻联播", "焦点访谈", "天气预报", "今日说法", "动物世界",
                              "等着我",   "海峡两岸", "中国新闻", "体育新闻", "晚间新闻"};

QByteArray ChannelXml(int channel) {
    const QByteArray n = QByteArray::number(channel);
    return "  <channel id=\"ch" + n + ".id\">\n    <display-name lang=\"zh\">频道 " + n +
           "</display-name>\n    <display-name lang=\"en\">Channel " + n +
           "</display-name>\n  </channel>\n";
}

// Programmes of equal length around the clock, from the day before g_now on.
void WriteGuide(QFile& file, int channels, int days, int perDay, bool channelsLast) {
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv generator-info-name=\"bench\">\n");
    if (!channelsLast)
        for (int c = 0; c < channels; ++c)
            file.write(ChannelXml(c));
    const QDateTime first = g_now.addDays(-1).addSecs(-12 * 3600).toOffsetFromUtc(8 * 3600);
    const int step = 86400 / perDay;
    QByteArray out;
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < days * perDay; ++i) {
            const QByteArray title = Titles[(c + i) % 10];
            out += "  <programme start=\"" +
                   first.addSecs(qint64(i) * step).toString(u"yyyyMMddhhmmss"_s).toLatin1() +
                   " +0800\" stop=\"" +
                   first.addSecs(qint64(i + 1) * step).toString(u"yyyyMMddhhmmss"_s).toLatin1() +
                   " +0800\" channel=\"ch" + QByteArray::number(c) +
                   ".id\">\n    <title lang=\"zh\">" + title + "</title>\n    <desc lang=\"zh\">" +
                   title + "：第 " + QByteArray::number(i) +
                   " 集，本期节目介绍一些内容。</desc>\n  </programme>\n";
        }
        file.write(out);
        out.clear();
    }
    if (channelsLast)
        for (int c = 0; c < channels; ++c)
            file.write(ChannelXml(c));
    file.write("</tv>\n");
}

// Every step-th channel of the guide, by its display name.
TPlaylist ListOf(int channels, int step) {
    QByteArray m3u = "#EXTM3U\n";
    for (int c = 0; c < channels; c += step)
        m3u += "#EXTINF:-1,频道 " + QByteArray::number(c) + " 高清\nhttp://h/" +
               QByteArray::number(c) + "\n";
    return ReadPlaylist(m3u, QUrl());
}

QString Prepared(const QString& name, int channels, int days, int perDay, bool channelsLast) {
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        WriteGuide(file, channels, days, perDay, channelsLast);
    }
    return path;
}

double Median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// CPU milliseconds of the process, which other work on the machine does not inflate.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

qint64 PeakKb() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// The child: a guide file through the incremental reader, 64 KiB at a time; also for a
// hostile guide made by hand, whose refusal it reports with the memory spent till then.
int ReadLarge(const QString& path) {
    const TPlaylist list = ListOf(20000, 100);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const qint64 before = PeakKb();
    QElapsedTimer clock;
    clock.start();
    const double cpu = CpuMs();
    TGuideReader reader(list, g_now);
    QByteArray chunk(64 * 1024, '\0');
    TGuide guide;
    try {
        for (qint64 n; (n = file.read(chunk.data(), chunk.size())) > 0;)
            reader.Feed(QByteArrayView(chunk).first(n));
        guide = reader.Finish();
    } catch (const EGuideError& error) {
        std::printf("refused after %lld ms: %s; peak memory growth %.1f MB\n", clock.elapsed(),
                    error.what(), double(PeakKb() - before) / 1024);
        return 0;
    }
    const qint64 ms = clock.elapsed();
    const double cpuMs = CpuMs() - cpu;
    int matched = 0;
    for (int position = 0; position < ChannelCount(list); ++position)
        matched += !guide.Schedule(position).isEmpty();
    std::printf(
        "large guide %.0f MB, %d of %d channels matched: %lld ms (CPU %.0f ms), peak memory "
        "growth %.1f MB\n",
        double(file.size()) / 1e6, matched, ChannelCount(list), ms, cpuMs,
        double(PeakKb() - before) / 1024);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == u"--large")
        return ReadLarge(args.value(2));
    const int rounds = std::max(1, args.value(1, u"7"_s).toInt());

    const QString path = Prepared(u"guide-15mb.xml"_s, 215, 7, 42, false);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const TPlaylist list = ListOf(215, 1);
    QList<double> times, cpuTimes;
    int programmes = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        const double cpu = CpuMs();
        const TGuide guide = ReadGuide(bytes, list, g_now);
        times << double(clock.nsecsElapsed()) / 1e6;
        cpuTimes << CpuMs() - cpu;
        programmes = int(guide.Schedule(0).size()) * ChannelCount(list);
    }
    QProcess python;
    python.start(u"python3"_s,
                 {QStringLiteral(TV_BENCH_GUIDE_ITERPARSE), path, QString::number(rounds)});
    python.waitForFinished(-1);
    // Python prints its wall-clock median, then its CPU median.
    const QList<QByteArray> reference = python.readAllStandardOutput().trimmed().split(' ');
    const double pythonMs = reference.value(0).toDouble(),
                 pythonCpu = reference.value(1).toDouble();
    const double ours = Median(times), oursCpu = Median(cpuTimes);
    std::printf("guide %.1f MB, %d programmes kept of 215 channels\n", double(bytes.size()) / 1e6,
                programmes);
    std::printf("guide read median %.1f ms python %.1f ms ratio %.2f\n", ours, pythonMs,
                ours / pythonMs);
    std::printf("guide read CPU median %.1f ms python %.1f ms ratio %.2f\n", oursCpu, pythonCpu,
                oursCpu / pythonCpu);
    std::fflush(stdout);

    const QString large = Prepared(u"guide-200mb.xml"_s, 20000, 7, 6, true);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(app.applicationFilePath(), {u"--large"_s, large});
    child.waitForFinished(-1);
    return child.exitCode();
}
