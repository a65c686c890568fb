#include "tv/recorder.h"

#include "tv/controlbar.h"
#include "tv/mpvengine.h"

#include <QDir>
#include <QFileInfo>
#include <QShortcut>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {

QString FileFor(QStandardPaths::StandardLocation location, const QString& channel,
                const QString& extension) {
    return CaptureFilePath(QStandardPaths::writableLocation(location), channel,
                           QDateTime::currentDateTime(), extension);
}

bool MakeFolderOf(const QString& path) {
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

} // namespace

TRecorder::TRecorder(TMpvEngine& engine, TControlBar& bar, QWidget* player)
    : QObject(player), FEngine(engine), FBar(bar) {
    connect(&bar, &TControlBar::recordClicked, this, &TRecorder::Toggle);
    connect(&bar, &TControlBar::snapshotClicked, this, &TRecorder::SnapshotNow);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), player), &QShortcut::activated, this,
            &TRecorder::Toggle);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), player), &QShortcut::activated, this,
            &TRecorder::SnapshotNow);
    connect(&engine, &TMpvEngine::loaded, this, [this] {
        ++FLoads;
        if (FWanted && !FDumping)
            StartPart();
    });
    connect(&engine, &TMpvEngine::dumpEnded, this, &TRecorder::DumpEnded);
    connect(&engine, &TMpvEngine::writerLog, this, &TRecorder::WriterSaid);
    connect(&engine, &TMpvEngine::screenshotSaved, this, [this](const QString& path, int error) {
        const QString failed = error < 0 ? u"截图没有保存：没有可截取的画面，或无法写入 %1"_s.arg(
                                               QDir::toNativeSeparators(path))
                                         : QString();
        Say(failed.isEmpty() ? u"截图已保存：%1"_s.arg(QDir::toNativeSeparators(path)) : failed);
        emit snapshotTaken(path, failed);
    });
    FTicker.setInterval(1000);
    connect(&FTicker, &QTimer::timeout, this, &TRecorder::ShowTime);
}

void TRecorder::Toggle() {
    if (FWanted)
        Stop();
    else
        Start(FileFor(QStandardPaths::MoviesLocation, FChannel, u"ts"_s));
}

void TRecorder::SnapshotNow() {
    Snapshot(FileFor(QStandardPaths::PicturesLocation, FChannel, u"png"_s));
}

void TRecorder::Start(const QString& path) {
    if (FWanted || FDumping)
        return;
    FFirst = path;
    FParts.clear();
    FFault.reset();
    if (!MakeFolderOf(path)) {
        FFault = TRecordingFault::FolderNotWritable;
        return Finish();
    }
    FWanted = true;
    FClock.start();
    FTicker.start();
    ShowTime();
    // Before the channel has opened, the first part waits for it.
    if (FEngine.Loaded())
        StartPart();
}

void TRecorder::StartPart() {
    FParts.append(FParts.isEmpty() ? FFirst : NextPartPath(FParts.last()));
    FDumping = true;
    FPartLoad = FLoads;
    FEngine.StartDump(FParts.last());
    emit recordingStarted(FParts.last());
}

void TRecorder::Stop() {
    if (!FWanted)
        return;
    FWanted = false;
    if (FDumping)
        FEngine.StopDump(); // Finish comes with the file closed
    else
        Finish();
}

void TRecorder::DumpEnded(int error) {
    FDumping = false;
    // A stream that went before its part began leaves no file, and the next takes its name.
    if (!FParts.isEmpty() && !QFileInfo::exists(FParts.last()))
        FParts.removeLast();
    if (error < 0 && !FFault)
        FFault = TRecordingFault::NotRecordable;
    if (!FWanted || FFault)
        return Finish();
    // The stream ended or was opened again: the recording goes on in a file of its own
    // once it is back, which may be before the old one has played out.
    if (FLoads != FPartLoad && FEngine.Loaded())
        StartPart();
}

void TRecorder::WriterSaid(const QString& line) {
    const std::optional<TRecordingFault> fault = FaultFromLog(line);
    if (!fault || FFault)
        return;
    FFault = fault;
    FWanted = false;
    if (FDumping)
        FEngine.StopDump();
}

void TRecorder::Finish() {
    FWanted = false;
    FTicker.stop();
    FBar.ShowRecording(false, 0);
    const bool written = !FParts.isEmpty();
    const QString last = written ? FParts.last() : FFirst;
    const qint64 bytes = written ? QFileInfo(last).size() : 0;
    const QString error = FFault     ? FaultText(*FFault, last, bytes)
                          : !written ? u"频道没有播放，什么也没有录下"_s
                                     : QString();
    Say(error.isEmpty() ? SavedText(last, bytes, int(FParts.size())) : error);
    emit recordingEnded(written ? last : QString(), error);
}

void TRecorder::ShowTime() {
    FBar.ShowRecording(true, FClock.elapsed() / 1000.0);
}

void TRecorder::Snapshot(const QString& path) {
    if (MakeFolderOf(path))
        return FEngine.Screenshot(path);
    const QString error = FaultText(TRecordingFault::FolderNotWritable, path, 0);
    Say(error);
    emit snapshotTaken(path, error);
}

void TRecorder::Say(const QString& text) {
    FBar.ShowNotice(text);
    emit said(text);
}
