#pragma once

#include <QStyle>
#include <QTimer>
#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

// The player's own controls and status line, along its bottom edge. Full screen the
// picture takes the whole screen and the bar comes over it while the pointer moves or
// rests on it, and whenever the status says more than that the channel plays. The bar
// shows what it is told and says what the user asked for.
class TControlBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = 28;

    explicit TControlBar(QWidget* player);

    void ShowPaused(bool paused);
    // The status line; playing says whether it says no more than that the channel plays.
    void ShowStatus(const QString& text, bool playing);
    void SetFullScreen(bool fullScreen);
    // The pointer moved over the picture.
    void PointerMoved();
    // The red mark and the time recorded, while a recording runs.
    void ShowRecording(bool recording, double seconds);
    // A line about a file written, or why it was not, in place of the status for a while.
    void ShowNotice(const QString& text);
    // The place in a programme played again and its slider, in seconds; a duration of 0
    // hides them.
    void ShowPosition(double position, double duration);
    // The button back to the channel as it airs, while a programme is played again.
    void ShowLive(bool shown);

signals:
    void pauseClicked();
    void stopClicked();
    void muteToggled(bool muted);
    void volumeMoved(int volume);
    void fullScreenClicked();
    void recordClicked();
    void snapshotClicked();
    // The slider was let go, or clicked, at this many seconds into the programme.
    void seekRequested(double seconds);
    void liveClicked();

private:
    QToolButton* AddButton(const QString& name, QStyle::StandardPixmap icon, const QString& text);
    void Refresh();

    QToolButton* FPlayBtn = nullptr;
    QToolButton* FFullBtn = nullptr;
    QToolButton* FRecordBtn = nullptr;
    QLabel* FRecordLbl = nullptr;
    QToolButton* FLiveBtn = nullptr;
    QLabel* FPositionLbl = nullptr;
    QSlider* FSeekSld = nullptr;
    QLabel* FStatusLbl = nullptr;
    QString FStatus;
    QTimer FNoticeShown;
    // Full screen: the pointer moved a moment ago, and the status says the channel plays.
    QTimer FPointerShown;
    bool FFullScreen = false;
    bool FPlaying = false;
};
