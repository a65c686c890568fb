#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// Where a recording or a snapshot is written and what its parts are called, and what
// the lines libmpv's file writer logs mean for it: plain rules, no engine, no widgets.

enum class TRecordingFault { FolderNotWritable, DiskFull, NotRecordable };

// <folder>/晴棠网络电视/<channel> <yyyy-MM-dd HHmmss>.<extension>, with whatever a file
// name cannot hold in the channel's name replaced, and " (2)", " (3)"… added when a file
// of that name is already there.
QString CaptureFilePath(const QString& folder, const QString& channel, const QDateTime& at,
                        const QString& extension);
// The first of "<name> (2).ts", "<name> (3).ts"… that is not there yet: where a recording
// goes on after its stream was opened again.
QString NextPartPath(const QString& path);
// The fault a line of libmpv's file writer (or of the muxer under it) reports, if any.
std::optional<TRecordingFault> FaultFromLog(const QString& line);
// The message for a fault; a part already written is named, with its size.
QString FaultText(TRecordingFault fault, const QString& path, qint64 bytes);
// What the status line says once a recording is saved, in parts files.
QString SavedText(const QString& path, qint64 bytes, int parts);
// A stretch of the stream, in seconds, that the demuxer's cache holds and can seek in.
struct TCachedSpan {
    double start = 0;
    double end = 0;
};
// Where in the cache the file of a recording begins: libmpv writes from the key frame at
// or before that point, but only out of a stretch the cache can seek in, and a stretch
// takes in a group of pictures only once the next key frame is in. shown is where the
// picture on screen is, NaN before any is shown (a stream opened anew), which means the
// whole cache. Nothing comes back while the cache should be waited for; once that is
// over (final), the latest group the cache holds, or, when it holds none, infinity: past
// all of it, from what comes next.
std::optional<double> DumpStart(double shown, const QList<TCachedSpan>& cached, bool final);
