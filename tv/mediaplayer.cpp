#include "tv/mediaplayer.h"

#include "tv/archivecontrols.h"
#include "tv/controlbar.h"

#include <QKeyEvent>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int TickMs = 250;

TMediaPlayer::TAddressRedirect& Redirect() {
    static TMediaPlayer::TAddressRedirect redirect;
    return redirect;
}

} // namespace

TMediaPlayer::TAddressRedirect TMediaPlayer::SetAddressRedirect(TAddressRedirect redirect) {
    return std::exchange(Redirect(), std::move(redirect));
}

TMediaPlayer::TMediaPlayer(QWidget* parent)
    : QWidget(parent), FEngine(std::make_unique<TMpvEngine>()) {
    setObjectName(u"WMP"_s);
    setAccessibleName(u"电视播放器"_s);
    setFocusPolicy(Qt::StrongFocus);
    FBar = new TControlBar(this);
    connect(FBar, &TControlBar::pauseClicked, this, &TMediaPlayer::TogglePause);
    connect(FBar, &TControlBar::stopClicked, this, &TMediaPlayer::Stop);
    connect(FBar, &TControlBar::muteToggled, this, &TMediaPlayer::SetMuted);
    connect(FBar, &TControlBar::volumeMoved, this, &TMediaPlayer::SetVolume);
    connect(FBar, &TControlBar::fullScreenClicked, this, &TMediaPlayer::ToggleFullScreen);
    FRecorder = new TRecorder(*FEngine, *FBar, this);
    connect(FRecorder, &TRecorder::recordingStarted, this, &TMediaPlayer::recordingStarted);
    connect(FRecorder, &TRecorder::recordingEnded, this, &TMediaPlayer::recordingEnded);
    connect(FRecorder, &TRecorder::snapshotTaken, this, &TMediaPlayer::snapshotTaken);
    FArchive = new TArchiveControls(*FEngine, *FBar, this);
    TMpvEngine* engine = FEngine.get();
    connect(engine, &TMpvEngine::logLine, this,
            [this](const QString& line) { FSession.OnLog(line); });
    connect(engine, &TMpvEngine::loaded, this, [this] { FSession.OnLoaded(); });
    connect(engine, &TMpvEngine::ended, this,
            [this](TStreamEnd how) { Apply(FSession.OnEnd(how, FClock.elapsed())); });
    connect(engine, &TMpvEngine::buffering, this,
            [this](bool waiting, int percent) { FSession.OnBuffering(waiting, percent); });
    connect(engine, &TMpvEngine::progressed, this,
            [this] { FSession.OnProgress(FClock.elapsed()); });
    connect(engine, &TMpvEngine::drained, this, &TMediaPlayer::ShowStatus);
    UseRenderer(false);
    FClock.start();
    FWatchdog.setInterval(TickMs);
    connect(&FWatchdog, &QTimer::timeout, this, [this] {
        if (!FSession.Watching())
            return FWatchdog.stop();
        Apply(FSession.OnTick(FClock.elapsed()));
        ShowStatus();
    });
    FRetry.setSingleShot(true);
    connect(&FRetry, &QTimer::timeout, this, [this] {
        FEngine->Load({FRetryAddress, FHeaders, FKind});
    });
    ShowStatus();
}

void TMediaPlayer::UseRenderer(bool software) {
    TPictureRenderer::TEvents events{[this] { PictureShown(); }, [this] { FallBackToSoftware(); }};
    FRenderer = TPictureRenderer::Make(*FEngine, this, std::move(events), software);
    PlaceParts();
    FBar->raise();
}

void TMediaPlayer::PictureShown() {
    FSession.OnProgress(FClock.elapsed());
    ShowStatus();
    emit frameRendered();
}

void TMediaPlayer::FallBackToSoftware() {
    FRenderer.reset();
    try {
        UseRenderer(true);
    } catch (const EMediaPlayerError& error) {
        FSession.OnLog(QString::fromUtf8(error.what()));
    }
}

void TMediaPlayer::setURL(const QString& url) {
    PlayChannel({{url, {}}});
}

void TMediaPlayer::PlayChannel(const QList<TStreamAddress>& addresses, const QString& name) {
    TAddressRotation rotation = FRotation;
    Play(rotation.Start(addresses));
    FRecorder->Stop();
    FRecorder->SetChannelName(name);
    FRotation = std::move(rotation);
    ShowStatus();
}

void TMediaPlayer::Play(const TStreamAddress& address) {
    if (!IsSingleAbsoluteAddress(address.url))
        throw EMediaPlayerError(u"无效的节目地址：%1"_s.arg(address.url));
    const QString target = Redirect() ? Redirect()(address.url) : address.url;
    const TStreamSession before = FSession;
    FRetry.stop();
    const bool archive = address.kind == TStreamKind::Archive;
    const int rc = FEngine->Load(
        {FSession.Start(target, FClock.elapsed(), archive), address.headers, address.kind});
    if (rc < 0) {
        FSession = before;
        throw EMediaPlayerError(
            u"播放器拒绝了地址 %1：%2"_s.arg(address.url, TMpvEngine::ErrorText(rc)));
    }
    FUrl = address.url;
    FHeaders = address.headers;
    FKind = address.kind;
    FArchive->SetKind(address.kind);
    if (FPaused)
        SetPaused(false);
    FWatchdog.start();
    if (FRenderer)
        FRenderer->Clear();
}

void TMediaPlayer::Apply(const TStreamAction& action) {
    switch (action.kind) {
    case TStreamAction::None:
        break;
    case TStreamAction::Load:
        FRetryAddress = action.address;
        FRetry.start(action.delayMs);
        break;
    case TStreamAction::Stop:
        // An address that failed for good gives way to the channel's next one.
        if (FSession.Status() == TStreamStatus::Failed)
            if (const std::optional<TStreamAddress> next = FRotation.Failed())
                return Play(*next);
        FRetry.stop();
        FEngine->Stop();
        FRecorder->Stop();
        break;
    }
}

void TMediaPlayer::ShowStatus() {
    if (FSession.Status() == TStreamStatus::Playing)
        FRotation.Played();
    const QString text = FRotation.StatusText(FSession.Status(), FSession.StatusText());
    if (text == FShownStatus)
        return;
    FShownStatus = text;
    FBar->ShowStatus(text, FSession.Status() == TStreamStatus::Playing);
    emit statusChanged(text);
}

void TMediaPlayer::TogglePause() {
    const TStreamStatus status = FSession.Status();
    if (!FSession.Watching() && status != TStreamStatus::Paused && !FUrl.isEmpty())
        return PlayChannel(FRotation.Addresses(), FRecorder->ChannelName());
    SetPaused(!FPaused);
    ShowStatus();
}

void TMediaPlayer::SetPaused(bool paused) {
    FPaused = paused;
    FEngine->Set("pause", paused ? "yes" : "no");
    FSession.SetPaused(paused, FClock.elapsed());
    FBar->ShowPaused(paused);
}

void TMediaPlayer::Stop() {
    if (FSession.Status() == TStreamStatus::Idle)
        return;
    FRetry.stop();
    FSession.Stop();
    FEngine->Stop();
    FRecorder->Stop();
    ShowStatus();
}

void TMediaPlayer::ToggleFullScreen() {
    // A child widget goes full screen by becoming a window of its own for a while.
    FFullScreen = !FFullScreen;
    if (FFullScreen) {
        FEmbeddedGeometry = geometry();
        if (parentWidget())
            setWindowFlag(Qt::Window, true);
        showFullScreen();
    } else if (parentWidget()) {
        setWindowFlag(Qt::Window, false);
        setGeometry(FEmbeddedGeometry);
        show();
    } else {
        showNormal();
    }
    setMouseTracking(FFullScreen);
    // Without a window manager the window keeps its size, and the picture still takes
    // the controls' place.
    PlaceParts();
    FBar->SetFullScreen(FFullScreen);
    setFocus();
}

QRect TMediaPlayer::VideoRect() const {
    return IsFullScreen() ? rect() : QRect(0, 0, width(), height() - TControlBar::Height);
}

void TMediaPlayer::PlaceParts() {
    FBar->setGeometry(0, height() - TControlBar::Height, width(), TControlBar::Height);
    if (FRenderer)
        FRenderer->Host()->setGeometry(VideoRect());
}

void TMediaPlayer::resizeEvent(QResizeEvent* event) {
    PlaceParts();
    QWidget::resizeEvent(event);
}

void TMediaPlayer::mouseMoveEvent(QMouseEvent* event) {
    FBar->PointerMoved();
    QWidget::mouseMoveEvent(event);
}

void TMediaPlayer::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (VideoRect().contains(at) && !(FBar->isVisible() && FBar->geometry().contains(at)))
        ToggleFullScreen();
}

void TMediaPlayer::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_F11 || (key == Qt::Key_Escape && IsFullScreen()))
        ToggleFullScreen();
    else if ((key == Qt::Key_PageUp || key == Qt::Key_PageDown) && isWindow())
        emit stepRequested(key == Qt::Key_PageUp ? -1 : 1);
    else if (!FArchive->Key(key))
        QWidget::keyPressEvent(event);
}
