#pragma once

#include "tv/streamaddress.h"

#include <QObject>

class TControlBar;
class TMpvEngine;
struct TTimeline;

// What a programme played again has and a live stream has not: its place and slider in
// the control bar, the keys that seek, and the way back to the channel as it airs.
// Seeking is offered only where libmpv says the stream can seek.
class TArchiveControls : public QObject {
    Q_OBJECT
public:
    // Left and Right seek this far, Up and Down the longer step.
    static constexpr int ShortStepS = 10;
    static constexpr int LongStepS = 60;
    // Go back to the channel as it airs; play the programme on air from its start.
    static constexpr int LiveKey = Qt::Key_End;
    static constexpr int FromStartKey = Qt::Key_Home;

    TArchiveControls(TMpvEngine& engine, TControlBar& bar, QObject* parent);

    // What the address the player now opens plays.
    void SetKind(TStreamKind kind);
    // A key pressed on the player; false when it is none of these controls'.
    bool Key(int key);

signals:
    void liveRequested();
    void fromStartRequested();

private:
    void ShowTimeline(const TTimeline& timeline);

    TMpvEngine& FEngine;
    TControlBar& FBar;
    TStreamKind FKind = TStreamKind::Live;
    bool FSeekable = false;
};
