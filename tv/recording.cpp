#include "tv/recording.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <array>
#include <cmath>
#include <limits>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString AppFolder = u"晴棠网络电视"_s;

// The writer names its failures in English and by what failed, not why: a packet that
// could not be written is a full disk as far as the user can act on it, and a muxer or
// a header it could not make is a stream it cannot write.
const std::array<std::pair<QStringView, TRecordingFault>, 4> LogFaults{{
    {u"failed opening output file", TRecordingFault::FolderNotWritable},
    {u"failed writing packet", TRecordingFault::DiskFull},
    {u"mux", TRecordingFault::NotRecordable},
    {u"header", TRecordingFault::NotRecordable},
}};

QString SizeText(qint64 bytes) {
    return bytes >= 1024 * 1024 ? u"%1 MB"_s.arg(double(bytes) / (1024 * 1024), 0, 'f', 1)
                                : u"%1 KB"_s.arg((bytes + 1023) / 1024);
}

// Windows forbids these in a file name, the others only '/'; a channel keeps one name
// on both.
QString SafeName(const QString& name) {
    static const QRegularExpression forbidden(uR"([\\/:*?"<>|\x00-\x1f])"_s);
    QString safe = QString(name).replace(forbidden, u"_"_s).trimmed();
    while (safe.endsWith(u'.'))
        safe.chop(1);
    return safe.isEmpty() ? u"频道"_s : safe;
}

QString Numbered(const QString& path, int number) {
    const QFileInfo file(path);
    return file.dir().filePath(
        u"%1 (%2).%3"_s.arg(file.completeBaseName()).arg(number).arg(file.suffix()));
}

QString FirstFree(const QString& path, int from) {
    QString free = from == 1 ? path : Numbered(path, from);
    for (int number = from + 1; QFileInfo::exists(free); ++number)
        free = Numbered(path, number);
    return free;
}

} // namespace

QString CaptureFilePath(const QString& folder, const QString& channel, const QDateTime& at,
                        const QString& extension) {
    const QString name = SafeName(channel) + at.toString(u" yyyy-MM-dd HHmmss."_s) + extension;
    return FirstFree(QDir(folder).filePath(AppFolder + u'/' + name), 1);
}

QString NextPartPath(const QString& path) {
    // A part's own number goes: "x (2).ts" is followed by "x (3).ts", not "x (2) (2).ts".
    static const QRegularExpression numbered(uR"(^(.*) \((\d+)\)$)"_s);
    const QFileInfo file(path);
    const auto match = numbered.match(file.completeBaseName());
    if (!match.hasMatch())
        return FirstFree(path, 2);
    const QString first = file.dir().filePath(match.captured(1) + u'.' + file.suffix());
    return FirstFree(first, match.captured(2).toInt() + 1);
}

std::optional<TRecordingFault> FaultFromLog(const QString& line) {
    for (const auto& [words, fault] : LogFaults)
        if (line.contains(words, Qt::CaseInsensitive))
            return fault;
    return std::nullopt;
}

QString FaultText(TRecordingFault fault, const QString& path, qint64 bytes) {
    const QString kept = bytes > 0 ? u"；已录下的部分保存在 %1（%2）"_s.arg(
                                         QDir::toNativeSeparators(path), SizeText(bytes))
                                   : QString();
    switch (fault) {
    case TRecordingFault::FolderNotWritable:
        return u"无法在文件夹 %1 中写入文件"_s.arg(
            QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    case TRecordingFault::DiskFull:
        return u"磁盘已满，录制已停止"_s + kept;
    case TRecordingFault::NotRecordable:
        break;
    }
    return u"该频道的节目无法录制"_s + kept;
}

QString SavedText(const QString& path, qint64 bytes, int parts) {
    const QString where = QDir::toNativeSeparators(path);
    return parts > 1 ? u"录像已存为 %1 个文件，最后一个是 %2（%3）"_s.arg(parts).arg(
                           where, SizeText(bytes))
                     : u"录像已保存：%1（%2）"_s.arg(where, SizeText(bytes));
}

std::optional<double> DumpStart(double shown, const QList<TCachedSpan>& cached, bool final) {
    // A stretch that reaches past the picture shown holds the key frame it comes from.
    for (const TCachedSpan& span : cached)
        if (std::isnan(shown) || span.end > shown)
            return shown;
    if (!final)
        return std::nullopt;
    // A group of pictures too long to wait for: the one before it, a group early rather
    // than a group lost.
    if (!cached.isEmpty())
        return cached.last().end - 0.001;
    return std::numeric_limits<double>::infinity();
}
