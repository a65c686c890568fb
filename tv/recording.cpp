#include "tv/recording.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <array>
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

namespace {

constexpr int TsPacket = 188;
// The key frame comes within the first few seconds of any broadcast stream.
constexpr qint64 HeadBytes = 16 * 1024 * 1024;

int PidOf(const uchar* packet) {
    return (packet[1] & 0x1f) << 8 | packet[2];
}

// Where the table section a packet starts begins, past its adaptation and pointer fields.
const uchar* SectionOf(const uchar* packet) {
    const int payload = 4 + (packet[3] & 0x20 ? 1 + packet[4] : 0);
    if (payload >= TsPacket)
        return nullptr;
    const int section = payload + 1 + packet[payload];
    return section + 12 < TsPacket ? packet + section : nullptr;
}

// The program map's PID in the association table: that of its first program not 0.
int ProgramMapPid(const uchar* packet, const uchar* section) {
    if (!section)
        return -1;
    for (const uchar* program = section + 8; program + 4 <= packet + TsPacket; program += 4)
        if (program[0] << 8 | program[1])
            return PidOf(program + 1);
    return -1;
}

// The first video stream's PID in a program map.
int VideoPid(const uchar* packet, const uchar* section) {
    if (!section)
        return -1;
    const uchar* end = packet + TsPacket - 5;
    for (const uchar* stream = section + 12 + ((section[10] & 0x0f) << 8 | section[11]);
         stream < end; stream += 5 + ((stream[3] & 0x0f) << 8 | stream[4])) {
        // MPEG-1, MPEG-2, MPEG-4 part 2, H.264, HEVC
        if (QByteArrayView("\x01\x02\x10\x1b\x24").contains(char(stream[0])))
            return (stream[1] & 0x1f) << 8 | stream[2];
    }
    return -1;
}

} // namespace

bool DropPicturesBeforeKeyFrame(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray head = file.read(HeadBytes);
    int mapPid = -1;
    int videoPid = -1;
    QList<qsizetype> before;
    for (qsizetype at = 0; at + TsPacket <= head.size(); at += TsPacket) {
        const auto* packet = reinterpret_cast<const uchar*>(head.constData() + at);
        if (packet[0] != 0x47)
            return false;
        const int pid = PidOf(packet);
        const bool starts = packet[1] & 0x40;
        if (starts && pid == 0 && mapPid < 0)
            mapPid = ProgramMapPid(packet, SectionOf(packet));
        else if (starts && pid == mapPid && videoPid < 0)
            videoPid = VideoPid(packet, SectionOf(packet));
        else if (pid != videoPid)
            continue;
        // The muxer marks a key frame's first packet random access.
        else if (starts && (packet[3] & 0x20) && packet[4] > 0 && (packet[5] & 0x40)) {
            QByteArray null(TsPacket, char(0xff));
            null.replace(0, 4, "\x47\x1f\xff\x10");
            for (const qsizetype offset : before)
                if (!file.seek(offset) || file.write(null) != TsPacket)
                    return false;
            return !before.isEmpty();
        } else
            before.append(at);
    }
    return false;
}
