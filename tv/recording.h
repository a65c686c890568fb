#pragma once

#include <QDateTime>
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
// A recording begins where the stream happens to be, most often between two key frames,
// and the pictures before the first key frame cannot be decoded: in an MPEG transport
// stream their packets are made null packets, which every player passes over, so that
// the file starts with a whole picture. Reads and writes the file's head only; false
// when there was nothing to drop, or the file is no transport stream.
bool DropPicturesBeforeKeyFrame(const QString& path);
