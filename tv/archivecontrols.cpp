#include "tv/archivecontrols.h"

#include "tv/controlbar.h"
#include "tv/mpvengine.h"

TArchiveControls::TArchiveControls(TMpvEngine& engine, TControlBar& bar, QObject* parent)
    : QObject(parent), FEngine(engine), FBar(bar) {
    connect(&engine, &TMpvEngine::timelineChanged, this, &TArchiveControls::ShowTimeline);
    // A programme that has ended has no place left to seek to.
    connect(&engine, &TMpvEngine::ended, this, [this] { ShowTimeline({}); });
    connect(&bar, &TControlBar::seekRequested, this,
            [this](double seconds) { FEngine.Seek(seconds, false); });
    connect(&bar, &TControlBar::liveClicked, this, &TArchiveControls::liveRequested);
}

void TArchiveControls::SetKind(TStreamKind kind) {
    FKind = kind;
    FBar.ShowLive(kind == TStreamKind::Archive);
    ShowTimeline({});
}

void TArchiveControls::ShowTimeline(const TTimeline& timeline) {
    // A live stream may be seekable within what libmpv holds of it; it still has no
    // programme to show a place in.
    FSeekable = FKind == TStreamKind::Archive && timeline.seekable && timeline.duration > 0;
    FBar.ShowPosition(timeline.position, FSeekable ? timeline.duration : 0);
}

bool TArchiveControls::Key(int key) {
    if (key == LiveKey)
        emit liveRequested();
    if (key == FromStartKey)
        emit fromStartRequested();
    if (key == LiveKey || key == FromStartKey)
        return true;
    const int step = key == Qt::Key_Left    ? -ShortStepS
                     : key == Qt::Key_Right ? ShortStepS
                     : key == Qt::Key_Down  ? -LongStepS
                     : key == Qt::Key_Up    ? LongStepS
                                            : 0;
    if (step == 0 || !FSeekable)
        return false;
    FEngine.Seek(step, true);
    return true;
}
