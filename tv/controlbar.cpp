#include "tv/controlbar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

// Full screen, the controls show over the picture this long after the pointer moved.
constexpr int PointerShownMs = 3000;
// A line about a file written stays this long in place of the status.
constexpr int NoticeShownMs = 8000;

const QColor RecordRed(220, 30, 30);

// The style has no icons for recording and snapshots: a red dot, and a camera.
QIcon DrawnIcon(bool camera) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(camera ? QColor(60, 60, 60) : RecordRed);
    if (camera) {
        painter.drawRoundedRect(QRectF(1, 4, 14, 10), 2, 2);
        painter.drawRect(QRectF(5, 2, 6, 3));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(8, 9), 3, 3);
    } else {
        painter.drawEllipse(QPointF(8, 8), 6, 6);
    }
    return QIcon(pixmap);
}

// "12:34", or "1:02:03" from an hour on.
QString Clock(double seconds) {
    const int whole = int(seconds);
    const QString minutes = u"%1:%2"_s.arg(whole / 60 % 60, whole >= 3600 ? 2 : 1, 10, QChar(u'0'))
                                .arg(whole % 60, 2, 10, QChar(u'0'));
    return whole >= 3600 ? u"%1:%2"_s.arg(whole / 3600).arg(minutes) : minutes;
}

void SetLook(QToolButton* button, QStyle::StandardPixmap icon, const QString& text) {
    button->setIcon(button->style()->standardIcon(icon));
    button->setToolTip(text);
    button->setAccessibleName(text);
}

} // namespace

TControlBar::TControlBar(QWidget* player) : QWidget(player) {
    setObjectName(u"ControlBar"_s);
    setAccessibleName(u"播放控制"_s);
    setAutoFillBackground(true);
    // The picture has a window of its own: only a window of their own stacks the
    // controls above it.
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_NativeWindow);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 4, 2);
    layout->setSpacing(2);

    FPlayBtn = AddButton(u"PlayBtn"_s, QStyle::SP_MediaPause, u"暂停"_s);
    connect(FPlayBtn, &QToolButton::clicked, this, &TControlBar::pauseClicked);
    connect(AddButton(u"StopBtn"_s, QStyle::SP_MediaStop, u"停止"_s), &QToolButton::clicked, this,
            &TControlBar::stopClicked);
    QToolButton* mute = AddButton(u"MuteBtn"_s, QStyle::SP_MediaVolume, u"静音"_s);
    mute->setCheckable(true);
    connect(mute, &QToolButton::toggled, this, [this, mute](bool muted) {
        SetLook(mute, muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume,
                muted ? u"取消静音"_s : u"静音"_s);
        emit muteToggled(muted);
    });
    auto* volume = new QSlider(Qt::Horizontal, this);
    volume->setObjectName(u"VolumeSld"_s);
    volume->setRange(0, 100);
    volume->setValue(100);
    volume->setFixedWidth(70);
    volume->setToolTip(u"音量"_s);
    volume->setAccessibleName(u"音量"_s);
    layout->addWidget(volume);
    connect(volume, &QSlider::valueChanged, this, &TControlBar::volumeMoved);
    FRecordBtn = AddButton(u"RecordBtn"_s, QStyle::SP_CustomBase, u"录制"_s);
    FRecordBtn->setIcon(DrawnIcon(false));
    connect(FRecordBtn, &QToolButton::clicked, this, &TControlBar::recordClicked);
    QToolButton* snapshot = AddButton(u"SnapshotBtn"_s, QStyle::SP_CustomBase, u"截图"_s);
    snapshot->setIcon(DrawnIcon(true));
    connect(snapshot, &QToolButton::clicked, this, &TControlBar::snapshotClicked);
    FRecordLbl = new QLabel(this);
    FRecordLbl->setObjectName(u"RecordLbl"_s);
    FRecordLbl->setAccessibleName(u"录制时间"_s);
    QPalette red = FRecordLbl->palette();
    red.setColor(QPalette::WindowText, RecordRed);
    FRecordLbl->setPalette(red);
    FRecordLbl->hide();
    layout->addWidget(FRecordLbl);
    FSeekSld = new QSlider(Qt::Horizontal, this);
    FSeekSld->setObjectName(u"SeekSld"_s);
    FSeekSld->setAccessibleName(u"播放位置"_s);
    FSeekSld->setMinimumWidth(60);
    // Dragging seeks once, where the slider is let go; its keys step as the player's do.
    FSeekSld->setTracking(false);
    FSeekSld->setSingleStep(10);
    FSeekSld->setPageStep(60);
    FSeekSld->hide();
    layout->addWidget(FSeekSld, 2);
    connect(FSeekSld, &QSlider::valueChanged, this, &TControlBar::seekRequested);
    FPositionLbl = new QLabel(this);
    FPositionLbl->setObjectName(u"PositionLbl"_s);
    FPositionLbl->setAccessibleName(u"节目进度"_s);
    FPositionLbl->hide();
    layout->addWidget(FPositionLbl);
    FLiveBtn = AddButton(u"LiveBtn"_s, QStyle::SP_MediaSkipForward, u"回到直播"_s);
    FLiveBtn->setToolButtonStyle(Qt::ToolButtonTextOnly);
    FLiveBtn->setText(u"回到直播"_s);
    FLiveBtn->hide();
    connect(FLiveBtn, &QToolButton::clicked, this, &TControlBar::liveClicked);
    FStatusLbl = new QLabel(this);
    FStatusLbl->setObjectName(u"StatusLbl"_s);
    FStatusLbl->setAccessibleName(u"播放状态"_s);
    layout->addWidget(FStatusLbl, 1);
    FFullBtn = AddButton(u"FullScreenBtn"_s, QStyle::SP_TitleBarMaxButton, u"全屏"_s);
    connect(FFullBtn, &QToolButton::clicked, this, &TControlBar::fullScreenClicked);
    FPointerShown.setSingleShot(true);
    FPointerShown.setInterval(PointerShownMs);
    connect(&FPointerShown, &QTimer::timeout, this, &TControlBar::Refresh);
    FNoticeShown.setSingleShot(true);
    FNoticeShown.setInterval(NoticeShownMs);
    connect(&FNoticeShown, &QTimer::timeout, this, [this] { ShowStatus(FStatus, FPlaying); });
}

QToolButton* TControlBar::AddButton(const QString& name, QStyle::StandardPixmap icon,
                                    const QString& text) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    SetLook(button, icon, text);
    layout()->addWidget(button);
    return button;
}

void TControlBar::ShowPaused(bool paused) {
    SetLook(FPlayBtn, paused ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause,
            paused ? u"播放"_s : u"暂停"_s);
}

void TControlBar::ShowStatus(const QString& text, bool playing) {
    FStatus = text;
    FPlaying = playing;
    if (!FNoticeShown.isActive()) {
        FStatusLbl->setText(text);
        FStatusLbl->setToolTip({});
    }
    Refresh();
}

void TControlBar::ShowNotice(const QString& text) {
    FStatusLbl->setText(text);
    FStatusLbl->setToolTip(text);
    FNoticeShown.start();
    Refresh();
}

void TControlBar::ShowRecording(bool recording, double seconds) {
    const QString action = recording ? u"停止录制"_s : u"录制"_s;
    FRecordBtn->setToolTip(action);
    FRecordBtn->setAccessibleName(action);
    FRecordLbl->setText(u"● "_s + Clock(seconds));
    FRecordLbl->setVisible(recording);
}

void TControlBar::ShowPosition(double position, double duration) {
    const bool shown = duration > 0;
    FSeekSld->setVisible(shown);
    FPositionLbl->setVisible(shown);
    if (!shown)
        return;
    FPositionLbl->setText(Clock(position) + u" / "_s + Clock(duration));
    // The slider follows the programme, except while the user holds it.
    if (FSeekSld->isSliderDown())
        return;
    const QSignalBlocker quiet(FSeekSld);
    FSeekSld->setRange(0, int(duration));
    FSeekSld->setValue(int(position));
}

void TControlBar::ShowLive(bool shown) {
    FLiveBtn->setVisible(shown);
}

void TControlBar::SetFullScreen(bool fullScreen) {
    FFullScreen = fullScreen;
    if (fullScreen)
        FPointerShown.start();
    SetLook(FFullBtn, QStyle::SP_TitleBarMaxButton, fullScreen ? u"退出全屏"_s : u"全屏"_s);
    Refresh();
}

void TControlBar::PointerMoved() {
    if (!FFullScreen)
        return;
    FPointerShown.start();
    Refresh();
}

void TControlBar::Refresh() {
    const QWidget* focus = QApplication::focusWidget();
    const bool shown = !FFullScreen || FPointerShown.isActive() || underMouse() ||
                       (focus && isAncestorOf(focus)) || !FPlaying || FNoticeShown.isActive();
    setVisible(shown);
    // The windows are made anew as the player changes windows, the picture's last.
    if (shown)
        raise();
}
