#pragma once

#include "tv/renderpath.h"
#include "tv/streamsession.h"

#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>

class QLabel;
class QSlider;
class QToolButton;
class TPictureView;
struct mpv_handle;
struct mpv_render_context;
struct mpv_event;

// What a playlist may ask of the server for one address; empty means the engine's own.
struct TRequestHeaders {
    QString userAgent;
    QString referrer;
};

// Thrown when the player refuses an address.
class EMediaPlayerError : public std::runtime_error {
public:
    explicit EMediaPlayerError(const QString& message);
};

// The media-player control: plays a network stream given by its address, draws the
// picture within its own rectangle and shows its own controls and status line below
// it; full screen, the picture fills the screen and the controls come over it when
// the pointer moves. This is the one class of the program that talks to libmpv.
//
// Where a GPU is at hand, libmpv draws through OpenGL into a native child window that
// covers the picture rectangle, scaling and converting colours there and decoding in
// hardware where it safely can. Elsewhere (no display, no GPU, a software rasterizer)
// libmpv draws in software, straight at the rectangle's size in device pixels, into an
// image that is painted as it is. libmpv calls back from its own threads; those callbacks
// only post a call to this widget's thread, and everything else the widget asks of
// libmpv is asynchronous, so the window never waits on the network.
class TMediaPlayer : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString URL READ URL WRITE setURL)
public:
    explicit TMediaPlayer(QWidget* parent = nullptr);
    ~TMediaPlayer() override;

    QString URL() const { return FUrl; }
    // Starts playing the address at once, replacing whatever played before. Throws
    // EMediaPlayerError for an address that is not one absolute address, or when the
    // engine refuses it; the address played before is then kept.
    void setURL(const QString& url);
    // The same, with the user agent and referrer that this one address is to be asked
    // for with; they go with each load of it, reconnects included, and no further.
    void setURL(const QString& url, const TRequestHeaders& headers);

    // The picture as shown in the picture rectangle, letterboxed, in device pixels;
    // null before the first picture of the channel. On the OpenGL path it is read back
    // from the GPU, so it is for tests and not for every picture.
    QImage Frame() const;
    // The stream's own picture size, as libmpv displays it; empty before it is known.
    QSize VideoSize() const { return FVideoSize; }
    TRenderPath RenderPath() const { return FView ? TRenderPath::OpenGL : TRenderPath::Software; }
    TStreamStatus Status() const { return FSession.Status(); }
    QString StatusText() const;

    void TogglePause();
    void Stop();
    void SetMuted(bool muted);
    void SetVolume(int volume);
    void ToggleFullScreen();
    bool IsFullScreen() const { return FFullScreen; }

    // Lets the tests send every address to a loopback server of their own, so that no
    // test ever reaches a real host; URL still answers the address that was given.
    using TAddressRedirect = std::function<QString(const QString&)>;
    static TAddressRedirect SetAddressRedirect(TAddressRedirect redirect);
    // How many of libmpv's render contexts are alive in the process, for the tests.
    static int RenderContextsAlive();

signals:
    void frameRendered();
    void statusChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TPictureView;

    static void OnWakeup(void* self);
    static void OnRenderUpdate(void* self);

    void CreateControls();
    void CreateEngine();
    void StartOpenGL();
    bool StartSoftware();
    void FallBackToSoftware(const char* reason);
    // The OpenGL path, called by the picture window with its context current.
    void CreateGLRender();
    void FreeGLRender();
    void PaintGL();
    void FreeRender();
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void HandlePropertyChange(const mpv_event& event);
    void RenderUpdate();
    QSize PictureDeviceSize() const;
    bool RenderInto(uchar* pixels, QSize size, qsizetype bytesPerLine);
    bool RenderPicture();
    void RenderSoftware(bool newPicture);
    QImage* StoreTarget(QRect& rect) const;
    void PictureShown();
    int Load(const QString& address);
    void Apply(const TStreamAction& action);
    void Tick();
    void ShowStatus();
    void ShowBar();
    void SetFlagProperty(const char* name, bool value);
    QRect VideoRect() const;
    void PlaceParts();
    QRect PictureRect() const;

    mpv_handle* FMpv = nullptr;
    mpv_render_context* FRender = nullptr;
    std::atomic_bool FDrainPosted{false};
    std::atomic_bool FRenderPosted{false};

    QString FUrl;
    TRequestHeaders FHeaders;
    TStreamSession FSession;
    QElapsedTimer FClock;
    QTimer FWatchdog;
    QTimer FRetry;
    QTimer FBarShown;
    QString FRetryAddress;

    // Each load gets a number; the engine answers with the playlist entry it made for
    // it, and only that entry's events concern the channel now chosen.
    std::uint64_t FLoadNumber = 0;
    std::int64_t FEntryId = -1;
    bool FEntryStarted = false;
    std::optional<TStreamEnd> FPendingEnd;
    // What the engine was last told to open; held back while the OpenGL path has no
    // render context yet, since libmpv gives up the video of a load that starts
    // without one.
    QString FLoaded;
    QString FHeldLoad;

    TPictureView* FView = nullptr; // the picture's window, inside FViewHost
    QWidget* FViewHost = nullptr;
    QMetaObject::Connection FContextGone;
    QImage FPicture;
    QSize FVideoSize;
    // A picture of the current channel has come, and a new one waits to be shown.
    bool FHasPicture = false;
    bool FNewPicture = false;
    // FPicture holds the picture shown; a picture drawn straight into the window's
    // backing store is nowhere else.
    bool FPictureKept = false;
    mutable bool FGrabbing = false;
    bool FPaused = false;
    bool FMuted = false;
    bool FFullScreen = false;
    QRect FEmbeddedGeometry;
    QString FShownStatus;

    QWidget* FBar = nullptr;
    QToolButton* FPlayBtn = nullptr;
    QToolButton* FStopBtn = nullptr;
    QToolButton* FMuteBtn = nullptr;
    QSlider* FVolumeSld = nullptr;
    QToolButton* FFullBtn = nullptr;
    QLabel* FStatusLbl = nullptr;
};
