#pragma once

#include "tv/addressrotation.h"
#include "tv/mpvengine.h"
#include "tv/picturerenderer.h"
#include "tv/recorder.h"
#include "tv/streamsession.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class TArchiveControls;
class TControlBar;

// The media-player control: plays a network stream given by its address, shows the
// picture within its own rectangle and its own controls and status line below it;
// full screen, the picture fills the screen and the controls come over it when the
// pointer moves. It holds the channel being watched: it hands the engine's events to
// the stream's rules (TStreamSession) and carries out what those rules answer. libmpv
// itself is the engine's (TMpvEngine), the drawing the renderer's (TPictureRenderer),
// the buttons the control bar's (TControlBar).
class TMediaPlayer : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString URL READ URL WRITE setURL)
public:
    explicit TMediaPlayer(QWidget* parent = nullptr);

    QString URL() const { return FUrl; }
    // Starts playing the address at once, replacing whatever played before. Throws
    // EMediaPlayerError for an address that is not one absolute address, or when the
    // engine refuses it; the address played before is then kept.
    void setURL(const QString& url);
    // Plays a channel of one or more addresses, from the one that last played it in this
    // run; when one fails for good, after its reconnects, the next is tried, and the
    // channel fails when all have. Throws as setURL for the first address it tries. The
    // name is the channel's, for the names of the files Ctrl+R and Ctrl+P make.
    void PlayChannel(const QList<TStreamAddress>& addresses, const QString& name = {});

    // The picture as shown in the picture rectangle (see TPictureRenderer::Frame).
    QImage Frame() const { return FRenderer ? FRenderer->Frame() : QImage(); }
    // The stream's own picture size, as libmpv displays it; empty before it is known.
    QSize VideoSize() const { return FEngine->VideoSize(); }
    TRenderPath RenderPath() const { return FRenderer ? FRenderer->Path() : TRenderPath::Software; }
    TStreamStatus Status() const { return FSession.Status(); }
    QString StatusText() const { return FShownStatus; }

    void TogglePause();
    void Stop();
    void SetMuted(bool muted) { FEngine->Set("mute", muted ? "yes" : "no"); }
    void SetVolume(int volume) { FEngine->Set("volume", QByteArray::number(volume)); }
    void ToggleFullScreen();
    bool IsFullScreen() const { return FFullScreen; }
    // The place, the seeking and the way back to live of a programme played again.
    TArchiveControls* ArchiveControls() const { return FArchive; }
    TRecorder* Recorder() const { return FRecorder; }
    // Shows a line over the picture for 2 s, drawn by libmpv with the picture.
    void ShowOnScreen(const QString& text) {
        FEngine->Command({"show-text", text.toUtf8(), "2000"});
    }

    // Recording the channel to a file, and a snapshot of its picture (see TRecorder);
    // each reports its end through its signal below.
    void StartRecording(const QString& path) { FRecorder->Start(path); }
    void StopRecording() { FRecorder->Stop(); }
    void Snapshot(const QString& path) { FRecorder->Snapshot(path); }
    bool IsRecording() const { return FRecorder->Recording(); }

    // Lets the tests send every address to a loopback server of their own, so that no
    // test ever reaches a real host; URL still answers the address that was given.
    using TAddressRedirect = std::function<QString(const QString&)>;
    static TAddressRedirect SetAddressRedirect(TAddressRedirect redirect);
    static int RenderContextsAlive() { return TPictureRenderer::ContextsAlive(); }

signals:
    void frameRendered();
    void statusChanged(const QString& text);
    // PgUp or PgDn while the player is a window of its own: -1 or 1.
    void stepRequested(int delta);
    void recordingStarted(const QString& path);
    void recordingEnded(const QString& path, const QString& error);
    void snapshotTaken(const QString& path, const QString& error);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UseRenderer(bool software);
    void PictureShown();
    void FallBackToSoftware();
    void Play(const TStreamAddress& address);
    void Apply(const TStreamAction& action);
    void SetPaused(bool paused);
    void ShowStatus();
    QRect VideoRect() const;
    void PlaceParts();

    std::unique_ptr<TMpvEngine> FEngine;
    // After the engine, so that the render context goes before the engine it belongs to.
    TRendererPtr FRenderer;
    TControlBar* FBar = nullptr;
    TRecorder* FRecorder = nullptr;
    TArchiveControls* FArchive = nullptr;

    QString FUrl;
    TRequestHeaders FHeaders;
    TStreamKind FKind = TStreamKind::Live;
    TAddressRotation FRotation;
    TStreamSession FSession;
    QElapsedTimer FClock;
    QTimer FWatchdog;
    QTimer FRetry;
    QString FRetryAddress;

    bool FPaused = false;
    bool FFullScreen = false;
    QRect FEmbeddedGeometry;
    QString FShownStatus;
};
