#include "tv/mediaplayer.h"

#include <QApplication>
#include <QBackingStore>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWindow>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

// The picture on the OpenGL path: a native window of its own inside the player, so
// that libmpv draws straight into what the screen shows. An OpenGL widget would have
// it draw into a texture that Qt then copies into the window and covers with the
// window's other contents, three more passes over the whole picture each time,
// which a software rasterizer pays with more CPU than the drawing itself.
class TPictureView : public QOpenGLWindow {
public:
    explicit TPictureView(TMediaPlayer* player) : FPlayer(player) {
        setObjectName(u"PictureView"_s);
    }

protected:
    void initializeGL() override { FPlayer->CreateGLRender(); }
    void paintGL() override { FPlayer->PaintGL(); }
    // The pointer and the keys are the player's, whichever of its parts they reach;
    // the picture lies at the player's origin, so positions need no mapping.
    void mouseMoveEvent(QMouseEvent* event) override {
        QCoreApplication::sendEvent(FPlayer, event);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QCoreApplication::sendEvent(FPlayer, event);
    }
    void keyPressEvent(QKeyEvent* event) override { QCoreApplication::sendEvent(FPlayer, event); }

private:
    TMediaPlayer* FPlayer;
};

namespace {

constexpr int BarHeight = 28;
// Full screen, the controls show over the picture this long after the pointer moved.
constexpr int BarShownMs = 3000;
constexpr int TickMs = 250;
// The software renderer works fastest (and some of its paths only work) when every
// line of the target starts on a 64-byte boundary.
constexpr int StrideAlign = 64;

// Properties the widget watches; the number is the reply id of each observation.
enum TWatched : std::uint64_t {
    WatchWidth = 1,
    WatchHeight,
    WatchPausedForCache,
    WatchBufferingPercent,
    WatchPlaybackTime,
    WatchPause,
    WatchMute,
    WatchVolume,
};

int RenderContexts = 0;

TMediaPlayer::TAddressRedirect& Redirect() {
    static TMediaPlayer::TAddressRedirect redirect;
    return redirect;
}

bool IsSingleAbsoluteAddress(const QString& text) {
    if (text.trimmed() != text || text.isEmpty())
        return false;
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty();
}

std::int64_t EntryIdOf(const mpv_node& result) {
    if (result.format != MPV_FORMAT_NODE_MAP)
        return -1;
    const mpv_node_list* map = result.u.list;
    for (int i = 0; i < map->num; ++i)
        if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 &&
            map->values[i].format == MPV_FORMAT_INT64)
            return map->values[i].u.int64;
    return -1;
}

// The headers go as typed per-file options, so that no text in them is ever read as
// option syntax.
int LoadFile(mpv_handle* mpv, std::uint64_t reply, const QString& address,
             const TRequestHeaders& headers) {
    const QByteArray url = address.toUtf8();
    const QByteArray userAgent = headers.userAgent.toUtf8();
    const QByteArray referrer = headers.referrer.toUtf8();
    std::vector<char*> names;
    std::vector<mpv_node> values;
    auto option = [&](const char* name, const QByteArray& value) {
        if (value.isEmpty())
            return;
        names.push_back(const_cast<char*>(name));
        mpv_node node{};
        node.format = MPV_FORMAT_STRING;
        node.u.string = const_cast<char*>(value.constData());
        values.push_back(node);
    };
    option("user-agent", userAgent);
    option("referrer", referrer);
    mpv_node_list options{int(values.size()), values.data(), names.data()};
    mpv_node args[4]{};
    const char* words[] = {"loadfile", url.constData(), "replace"};
    for (int i = 0; i < 3; ++i) {
        args[i].format = MPV_FORMAT_STRING;
        args[i].u.string = const_cast<char*>(words[i]);
    }
    args[3].format = MPV_FORMAT_NODE_MAP;
    args[3].u.list = &options;
    mpv_node_list list{4, args, nullptr};
    mpv_node command{};
    command.format = MPV_FORMAT_NODE_ARRAY;
    command.u.list = &list;
    return mpv_command_node_async(mpv, reply, &command);
}

void FreeAligned(void* data) {
    ::operator delete[](data, std::align_val_t{StrideAlign});
}

void* GLProcAddress(void* context, const char* name) {
    return reinterpret_cast<void*>(static_cast<QOpenGLContext*>(context)->getProcAddress(name));
}

struct TGLProbe {
    bool contextMade = false;
    QString renderer;
};

TGLProbe ProbeOpenGL() {
    // These platforms show nothing, so there is nothing for a GPU to draw on.
    const QString platform = QGuiApplication::platformName();
    if (platform == u"offscreen"_s || platform == u"minimal"_s)
        return {};
    QOpenGLContext context;
    if (!context.create())
        return {};
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface))
        return {};
    const auto* renderer =
        reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    TGLProbe probe{true, QString::fromUtf8(renderer ? renderer : "")};
    context.doneCurrent();
    return probe;
}

TRenderChoice ChoosePath() {
    const QString forced = qEnvironmentVariable(RenderPathVariable);
    if (ChooseRenderPath(forced, true, QString()).path == TRenderPath::Software)
        return {TRenderPath::Software, false}; // forced: no need to look at the display
    static const TGLProbe probe = ProbeOpenGL();
    return ChooseRenderPath(forced, probe.contextMade, probe.renderer);
}

void SayOpenGLIsNotUsed(const char* reason) {
    static bool said = false;
    if (std::exchange(said, true))
        return;
    std::fprintf(stderr,
                 "viewdial: the player cannot draw through OpenGL (%s); it draws in software\n",
                 reason);
}

} // namespace

EMediaPlayerError::EMediaPlayerError(const QString& message)
    : std::runtime_error(message.toUtf8().toStdString()) {}

TMediaPlayer::TAddressRedirect TMediaPlayer::SetAddressRedirect(TAddressRedirect redirect) {
    TAddressRedirect previous = std::move(Redirect());
    Redirect() = std::move(redirect);
    return previous;
}

int TMediaPlayer::RenderContextsAlive() {
    return RenderContexts;
}

TMediaPlayer::TMediaPlayer(QWidget* parent) : QWidget(parent) {
    setObjectName(u"WMP"_s);
    setAccessibleName(u"电视播放器"_s);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    CreateControls();
    CreateEngine();
    const TRenderChoice choice = ChoosePath();
    if (choice.refused)
        SayOpenGLIsNotUsed("no OpenGL context can be made on this display");
    if (choice.path == TRenderPath::OpenGL) {
        StartOpenGL();
    } else if (!StartSoftware()) {
        mpv_terminate_destroy(FMpv);
        throw EMediaPlayerError(u"无法创建视频输出"_s);
    }
    FClock.start();
    FWatchdog.setInterval(TickMs);
    connect(&FWatchdog, &QTimer::timeout, this, &TMediaPlayer::Tick);
    FRetry.setSingleShot(true);
    connect(&FRetry, &QTimer::timeout, this, [this] { Load(FRetryAddress); });
    FBarShown.setSingleShot(true);
    FBarShown.setInterval(BarShownMs);
    connect(&FBarShown, &QTimer::timeout, this, &TMediaPlayer::ShowBar);
    ShowStatus();
}

TMediaPlayer::~TMediaPlayer() {
    // Once the callbacks are gone no engine thread can post to this widget any more;
    // the render context must go before the core it belongs to.
    mpv_set_wakeup_callback(FMpv, nullptr, nullptr);
    FreeRender();
    mpv_terminate_destroy(FMpv);
}

void TMediaPlayer::CreateControls() {
    FBar = new QWidget(this);
    FBar->setObjectName(u"ControlBar"_s);
    FBar->setAccessibleName(u"播放控制"_s);
    FBar->setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(FBar);
    layout->setContentsMargins(2, 2, 4, 2);
    layout->setSpacing(2);

    auto button = [this, layout](const QString& name, const QString& text,
                                 QStyle::StandardPixmap icon) {
        auto* btn = new QToolButton(FBar);
        btn->setObjectName(name);
        btn->setAutoRaise(true);
        btn->setFocusPolicy(Qt::StrongFocus);
        btn->setIcon(style()->standardIcon(icon));
        btn->setToolTip(text);
        btn->setAccessibleName(text);
        layout->addWidget(btn);
        return btn;
    };
    FPlayBtn = button(u"PlayBtn"_s, u"暂停"_s, QStyle::SP_MediaPause);
    FStopBtn = button(u"StopBtn"_s, u"停止"_s, QStyle::SP_MediaStop);
    FMuteBtn = button(u"MuteBtn"_s, u"静音"_s, QStyle::SP_MediaVolume);
    FMuteBtn->setCheckable(true);
    FVolumeSld = new QSlider(Qt::Horizontal, FBar);
    FVolumeSld->setObjectName(u"VolumeSld"_s);
    FVolumeSld->setRange(0, 100);
    FVolumeSld->setValue(100);
    FVolumeSld->setFixedWidth(70);
    FVolumeSld->setToolTip(u"音量"_s);
    FVolumeSld->setAccessibleName(u"音量"_s);
    layout->addWidget(FVolumeSld);
    FStatusLbl = new QLabel(FBar);
    FStatusLbl->setObjectName(u"StatusLbl"_s);
    FStatusLbl->setAccessibleName(u"播放状态"_s);
    layout->addWidget(FStatusLbl, 1);
    FFullBtn = button(u"FullScreenBtn"_s, u"全屏"_s, QStyle::SP_TitleBarMaxButton);

    connect(FPlayBtn, &QToolButton::clicked, this, &TMediaPlayer::TogglePause);
    connect(FStopBtn, &QToolButton::clicked, this, &TMediaPlayer::Stop);
    connect(FMuteBtn, &QToolButton::toggled, this, &TMediaPlayer::SetMuted);
    connect(FVolumeSld, &QSlider::valueChanged, this, &TMediaPlayer::SetVolume);
    connect(FFullBtn, &QToolButton::clicked, this, &TMediaPlayer::ToggleFullScreen);
}

void TMediaPlayer::CreateEngine() {
    // libmpv refuses to start unless numbers are formatted the C way, and QApplication
    // sets the locale from the environment.
    std::setlocale(LC_NUMERIC, "C");
    FMpv = mpv_create();
    if (!FMpv)
        throw EMediaPlayerError(u"无法创建播放器"_s);
    // mpv's network-timeout covers only http; rtsp and mmst take FFmpeg's own timeouts
    // (in microseconds), without which a server that accepts and never answers would
    // hold the open for ever.
    const QByteArray ioTimeout = QByteArray::number(TStreamSession::IoTimeoutMs * 1000LL);
    const QByteArray demuxerOptions = "timeout=" + ioTimeout;
    const QByteArray streamOptions = "rw_timeout=" + ioTimeout;
    const QByteArray networkTimeout = QByteArray::number(TStreamSession::IoTimeoutMs / 1000);
    const std::pair<const char*, const char*> options[] = {
        {"config", "no"},
        {"terminal", "no"},
        {"ytdl", "no"},
        {"load-scripts", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"osc", "no"},
        {"vo", "libmpv"},
        {"idle", "yes"},
        // mpv hands each frame over when it is due instead of having the render call
        // wait for that moment on the window's thread.
        {"video-timing-offset", "0"},
        {"audio-client-name", "viewdial"},
        // Stream probing is most of the time it takes to switch channels. A live
        // station lists its streams and codecs up front (RTSP in its session
        // description, MMS in its ASF header), so FFmpeg looks into the data only when
        // the header names no stream, and then for a fifth of a second at most.
        {"demuxer-lavf-probe-info", "nostreams"},
        {"demuxer-lavf-analyzeduration", "0.2"},
        // A decoder that works on several pictures at once gives out its first only
        // when the next ones are in; a live stream brings one every 40 ms, so each
        // extra thread held the first picture of a channel back by that much. One
        // thread decodes a broadcast picture well within its time.
        {"vd-lavc-threads", "1"},
        // mpv would wait for a second decoded picture to learn how long the first is to
        // be shown, 40 ms on a live stream; the frame rate of the stream tells it too.
        {"video-latency-hacks", "yes"},
        {"demuxer-lavf-o", demuxerOptions.constData()},
        {"stream-lavf-o", streamOptions.constData()},
        {"network-timeout", networkTimeout.constData()},
    };
    bool ok = true;
    for (const auto& [name, value] : options)
        ok = mpv_set_option_string(FMpv, name, value) >= 0 && ok;
#ifdef Q_OS_LINUX
    // After its own drivers mpv tries SDL's, which goes through the same sound systems
    // once more, and on a machine without a sound device that took another 100 ms of
    // every channel switch. A driver that this build of mpv lacks is passed over.
    mpv_set_option_string(FMpv, "ao", "pipewire,pulse,alsa,jack");
#endif
    if (!ok || mpv_initialize(FMpv) < 0) {
        mpv_terminate_destroy(FMpv);
        throw EMediaPlayerError(u"无法启动播放器"_s);
    }

    mpv_request_log_messages(FMpv, "warn");
    mpv_observe_property(FMpv, WatchWidth, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(FMpv, WatchHeight, "dheight", MPV_FORMAT_INT64);
    mpv_observe_property(FMpv, WatchPausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);
    mpv_observe_property(FMpv, WatchBufferingPercent, "cache-buffering-state", MPV_FORMAT_INT64);
    mpv_observe_property(FMpv, WatchPlaybackTime, "playback-time", MPV_FORMAT_DOUBLE);
    mpv_observe_property(FMpv, WatchPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(FMpv, WatchMute, "mute", MPV_FORMAT_FLAG);
    mpv_observe_property(FMpv, WatchVolume, "volume", MPV_FORMAT_DOUBLE);
    mpv_set_wakeup_callback(FMpv, &TMediaPlayer::OnWakeup, this);
}

void TMediaPlayer::StartOpenGL() {
    FView = new TPictureView(this);
    FViewHost = QWidget::createWindowContainer(FView, this);
    FViewHost->setObjectName(u"PictureHost"_s);
    FViewHost->setFocusPolicy(Qt::NoFocus);
    FViewHost->setGeometry(VideoRect());
    // Full screen the controls lie over the picture, which has a window of its own here:
    // only a window of their own stacks above it.
    FBar->setAttribute(Qt::WA_DontCreateNativeAncestors);
    FBar->setAttribute(Qt::WA_NativeWindow);
    // libmpv falls back to software decoding by itself where no safe decoder is found.
    mpv_set_property_string(FMpv, "hwdec", "auto-safe");
}

bool TMediaPlayer::StartSoftware() {
    char apiType[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, apiType},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&FRender, FMpv, params) < 0) {
        FRender = nullptr;
        return false;
    }
    ++RenderContexts;
    mpv_render_context_set_update_callback(FRender, &TMediaPlayer::OnRenderUpdate, this);
    if (!FHeldLoad.isEmpty())
        Load(std::exchange(FHeldLoad, QString()));
    return true;
}

void TMediaPlayer::FallBackToSoftware(const char* reason) {
    if (!FView)
        return;
    SayOpenGLIsNotUsed(reason);
    FreeGLRender();
    FView = nullptr;
    delete std::exchange(FViewHost, nullptr); // and with it the picture's window
    mpv_set_property_string(FMpv, "hwdec", "no");
    if (!StartSoftware())
        FSession.OnLog(u"无法创建视频输出"_s);
    update();
}

void TMediaPlayer::CreateGLRender() {
    if (FRender)
        return;
    // Qt makes the picture window's context as the window is first shown, and asks it
    // to set up even where that failed.
    QOpenGLContext* context = FView->context();
    if (!context || !context->isValid()) {
        QMetaObject::invokeMethod(
            this, [this] { FallBackToSoftware("no OpenGL context for the picture"); },
            Qt::QueuedConnection);
        return;
    }
    mpv_opengl_init_params init{&GLProcAddress, context};
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    std::vector<mpv_render_param> params{{MPV_RENDER_PARAM_API_TYPE, apiType},
                                         {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init}};
#if QT_CONFIG(xcb)
    // Some hardware decoders hand their pictures to OpenGL through the X display.
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        params.push_back({MPV_RENDER_PARAM_X11_DISPLAY, x11->display()});
#endif
    params.push_back({MPV_RENDER_PARAM_INVALID, nullptr});
    if (mpv_render_context_create(&FRender, FMpv, params.data()) < 0) {
        FRender = nullptr;
        // Not from within the widget's own set-up: the fallback deletes the widget.
        QMetaObject::invokeMethod(
            this, [this] { FallBackToSoftware("libmpv cannot draw with this OpenGL"); },
            Qt::QueuedConnection);
        return;
    }
    ++RenderContexts;
    FContextGone = connect(context, &QOpenGLContext::aboutToBeDestroyed, this,
                           &TMediaPlayer::FreeGLRender, Qt::DirectConnection);
    mpv_render_context_set_update_callback(FRender, &TMediaPlayer::OnRenderUpdate, this);
    // A context that Qt made anew (the first went with the window it belonged to) left
    // libmpv without video: the channel is opened again.
    const bool watching = FSession.Watching() || FSession.Status() == TStreamStatus::Paused;
    const QString load = !FHeldLoad.isEmpty() ? std::exchange(FHeldLoad, QString())
                         : watching           ? FLoaded
                                              : QString();
    if (!load.isEmpty())
        Load(load);
}

void TMediaPlayer::FreeGLRender() {
    if (!FRender)
        return;
    disconnect(FContextGone);
    FView->makeCurrent();
    mpv_render_context_set_update_callback(FRender, nullptr, nullptr);
    mpv_render_context_free(std::exchange(FRender, nullptr));
    --RenderContexts;
    FView->doneCurrent();
}

void TMediaPlayer::FreeRender() {
    if (FView) {
        FreeGLRender();
    } else if (FRender) {
        mpv_render_context_set_update_callback(FRender, nullptr, nullptr);
        mpv_render_context_free(std::exchange(FRender, nullptr));
        --RenderContexts;
    }
}

void TMediaPlayer::OnWakeup(void* self) {
    auto* player = static_cast<TMediaPlayer*>(self);
    if (!player->FDrainPosted.exchange(true))
        QMetaObject::invokeMethod(player, &TMediaPlayer::DrainEvents, Qt::QueuedConnection);
}

void TMediaPlayer::OnRenderUpdate(void* self) {
    auto* player = static_cast<TMediaPlayer*>(self);
    if (!player->FRenderPosted.exchange(true))
        QMetaObject::invokeMethod(player, &TMediaPlayer::RenderUpdate, Qt::QueuedConnection);
}

void TMediaPlayer::setURL(const QString& url) {
    setURL(url, {});
}

void TMediaPlayer::setURL(const QString& url, const TRequestHeaders& headers) {
    if (!IsSingleAbsoluteAddress(url))
        throw EMediaPlayerError(u"无效的节目地址：%1"_s.arg(url));
    const QString target = Redirect() ? Redirect()(url) : url;
    const TStreamSession before = FSession;
    FRetry.stop();
    TRequestHeaders previous = std::exchange(FHeaders, headers);
    const int rc = Load(FSession.Start(target, FClock.elapsed()));
    if (rc < 0) {
        FSession = before;
        FHeaders = std::move(previous);
        throw EMediaPlayerError(
            u"播放器拒绝了地址 %1：%2"_s.arg(url, QString::fromUtf8(mpv_error_string(rc))));
    }
    FUrl = url;
    FHasPicture = false;
    FNewPicture = false;
    FVideoSize = QSize();
    if (FPaused)
        SetFlagProperty("pause", false);
    FWatchdog.start();
    if (FView)
        FView->update();
    update();
    ShowStatus();
}

int TMediaPlayer::Load(const QString& address) {
    int rc = 0;
    if (FRender) {
        rc = LoadFile(FMpv, FLoadNumber + 1, address, FHeaders);
    } else {
        FHeldLoad = address;
    }
    if (rc >= 0) {
        ++FLoadNumber;
        FEntryId = -1;
        FPendingEnd.reset();
        FEntryStarted = false;
        FLoaded = address;
    }
    return rc;
}

void TMediaPlayer::Apply(const TStreamAction& action) {
    switch (action.kind) {
    case TStreamAction::None:
        break;
    case TStreamAction::Load:
        FRetryAddress = action.address;
        FRetry.start(action.delayMs);
        break;
    case TStreamAction::Stop: {
        FRetry.stop();
        FHeldLoad.clear();
        const char* args[] = {"stop", nullptr};
        mpv_command_async(FMpv, 0, args);
        break;
    }
    }
}

void TMediaPlayer::DrainEvents() {
    FDrainPosted = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(FMpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        HandleEvent(*event);
    }
    // libmpv hands out its log lines only once no other event is waiting, so the line
    // that says why a load failed comes after the load's end: judge the end only now.
    if (FPendingEnd) {
        const TStreamEnd end = *FPendingEnd;
        FPendingEnd.reset();
        Apply(FSession.OnEnd(end, FClock.elapsed()));
    }
    ShowStatus();
}

void TMediaPlayer::HandleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE:
        FSession.OnLog(QString::fromUtf8(static_cast<mpv_event_log_message*>(event.data)->text));
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata != 0 && event.reply_userdata == FLoadNumber) {
            if (event.error < 0)
                FPendingEnd = TStreamEnd::Error;
            else
                FEntryId = EntryIdOf(static_cast<mpv_event_command*>(event.data)->result);
        }
        break;
    case MPV_EVENT_START_FILE:
        if (static_cast<mpv_event_start_file*>(event.data)->playlist_entry_id == FEntryId)
            FEntryStarted = true;
        break;
    case MPV_EVENT_FILE_LOADED:
        if (FEntryStarted)
            FSession.OnLoaded();
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<mpv_event_end_file*>(event.data);
        if (end->playlist_entry_id != FEntryId)
            break; // a channel that was replaced: not a failure
        FEntryStarted = false;
        const TStreamEnd how = end->reason == MPV_END_FILE_REASON_EOF     ? TStreamEnd::EndOfStream
                               : end->reason == MPV_END_FILE_REASON_ERROR ? TStreamEnd::Error
                                                                          : TStreamEnd::Replaced;
        FPendingEnd = how;
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE:
        HandlePropertyChange(event);
        break;
    default:
        break;
    }
}

void TMediaPlayer::HandlePropertyChange(const mpv_event& event) {
    const auto* property = static_cast<mpv_event_property*>(event.data);
    const bool present = property->format != MPV_FORMAT_NONE;
    auto asInt = [&] { return present ? *static_cast<std::int64_t*>(property->data) : 0; };
    auto asFlag = [&] { return present && *static_cast<int*>(property->data) != 0; };
    switch (event.reply_userdata) {
    case WatchWidth:
        FVideoSize.setWidth(int(asInt()));
        break;
    case WatchHeight:
        FVideoSize.setHeight(int(asInt()));
        break;
    case WatchPausedForCache:
        FSession.OnBuffering(asFlag(), FSession.BufferingPercent());
        break;
    case WatchBufferingPercent:
        FSession.OnBuffering(FSession.Status() == TStreamStatus::Buffering, int(asInt()));
        break;
    case WatchPlaybackTime:
        if (present)
            FSession.OnProgress(FClock.elapsed());
        break;
    case WatchPause:
        FPaused = asFlag();
        FSession.SetPaused(FPaused, FClock.elapsed());
        FPlayBtn->setIcon(
            style()->standardIcon(FPaused ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause));
        FPlayBtn->setToolTip(FPaused ? u"播放"_s : u"暂停"_s);
        FPlayBtn->setAccessibleName(FPlayBtn->toolTip());
        break;
    case WatchMute: {
        FMuted = asFlag();
        const QSignalBlocker block(FMuteBtn);
        FMuteBtn->setChecked(FMuted);
        FMuteBtn->setIcon(
            style()->standardIcon(FMuted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
        FMuteBtn->setToolTip(FMuted ? u"取消静音"_s : u"静音"_s);
        FMuteBtn->setAccessibleName(FMuteBtn->toolTip());
        break;
    }
    case WatchVolume:
        if (present) {
            const QSignalBlocker block(FVolumeSld);
            FVolumeSld->setValue(qRound(*static_cast<double*>(property->data)));
        }
        break;
    default:
        break;
    }
}

void TMediaPlayer::RenderUpdate() {
    FRenderPosted = false;
    if (!FRender)
        return;
    if (FView) {
        FView->makeCurrent();
        const bool frame = mpv_render_context_update(FRender) & MPV_RENDER_UPDATE_FRAME;
        FView->doneCurrent();
        if (frame) {
            FHasPicture = true;
            FNewPicture = true;
            FView->update();
        }
    } else if (mpv_render_context_update(FRender) & MPV_RENDER_UPDATE_FRAME) {
        QRect rect;
        if (StoreTarget(rect)) {
            FNewPicture = true;
            update(VideoRect());
        } else {
            RenderSoftware(true);
        }
    }
}

QSize TMediaPlayer::PictureDeviceSize() const {
    return (QSizeF(VideoRect().size()) * devicePixelRatioF()).toSize().expandedTo(QSize(1, 1));
}

bool TMediaPlayer::RenderInto(uchar* pixels, QSize size, qsizetype bytesPerLine) {
    // libmpv scales and letterboxes the picture to the rectangle it is shown in, in
    // device pixels, so that nothing scales it a second time.
    int target[2] = {size.width(), size.height()};
    char format[] = "bgr0"; // byte order of QImage::Format_RGB32 on a little-endian machine
    std::size_t stride = std::size_t(bytesPerLine);
    int blockForTargetTime = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, target},
                                 {MPV_RENDER_PARAM_SW_FORMAT, format},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, pixels},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    return mpv_render_context_render(FRender, params) >= 0;
}

bool TMediaPlayer::RenderPicture() {
    const QSize size = PictureDeviceSize();
    if (FPicture.size() != size || !FPicture.isDetached()) {
        const qsizetype stride =
            (qsizetype(size.width()) * 4 + StrideAlign - 1) / StrideAlign * StrideAlign;
        void* pixels =
            ::operator new[](std::size_t(stride) * size.height(), std::align_val_t{StrideAlign});
        FPicture = QImage(static_cast<uchar*>(pixels), size.width(), size.height(), stride,
                          QImage::Format_RGB32, &FreeAligned, pixels);
        FPicture.setDevicePixelRatio(devicePixelRatioF());
    }
    FPictureKept = RenderInto(FPicture.bits(), size, FPicture.bytesPerLine());
    return FPictureKept;
}

void TMediaPlayer::RenderSoftware(bool newPicture) {
    const bool resized = FPicture.size() != PictureDeviceSize();
    if (!RenderPicture())
        return;
    // The bars beside the picture stay black from one picture to the next.
    update(resized || !FHasPicture ? VideoRect() : PictureRect());
    FHasPicture = true;
    if (newPicture)
        PictureShown();
}

QImage* TMediaPlayer::StoreTarget(QRect& rect) const {
    // libmpv may write past the end of each line of its target, and copies the whole
    // picture once more unless every line starts on a 64-byte boundary. So only a
    // picture that fills whole, aligned lines of the window's backing store (full
    // screen) is drawn straight into it.
    const QWindow* shown = window()->windowHandle();
    if (!isVisible() || !shown || !shown->isExposed() || !backingStore())
        return nullptr;
    QPaintDevice* device = backingStore()->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return nullptr;
    auto* store = static_cast<QImage*>(device);
    const qreal ratio = store->devicePixelRatio();
    // Qt keeps an opaque window's pixels as premultiplied ARGB for faster painting; the
    // alpha that libmpv leaves undefined there is shown to no one.
    const bool opaque = store->format() == QImage::Format_RGB32 ||
                        (store->format() == QImage::Format_ARGB32_Premultiplied &&
                         !window()->testAttribute(Qt::WA_TranslucentBackground));
    if (!opaque || ratio != devicePixelRatioF())
        return nullptr;
    const QRect area = VideoRect();
    rect = QRect((QPointF(mapTo(window(), area.topLeft())) * ratio).toPoint(),
                 (QSizeF(area.size()) * ratio).toSize());
    const auto start = reinterpret_cast<std::uintptr_t>(store->constBits());
    if (rect.isEmpty() || rect.x() != 0 || rect.width() != store->width() ||
        !store->rect().contains(rect) || store->bytesPerLine() % StrideAlign != 0 ||
        start % StrideAlign != 0)
        return nullptr;
    return store;
}

void TMediaPlayer::PaintGL() {
    if (!FRender || !FHasPicture) {
        QOpenGLFunctions* gl = QOpenGLContext::currentContext()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = FView->devicePixelRatio();
    mpv_opengl_fbo fbo{int(FView->defaultFramebufferObject()), qRound(FView->width() * ratio),
                       qRound(FView->height() * ratio), 0};
    // A window's framebuffer has its origin at the bottom left.
    int flipY = 1;
    int blockForTargetTime = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_render(FRender, params);
    // A read-back for Frame() draws the picture too, but shows nothing new.
    if (FNewPicture && !FGrabbing) {
        FNewPicture = false;
        PictureShown();
    }
}

void TMediaPlayer::PictureShown() {
    FSession.OnProgress(FClock.elapsed());
    ShowStatus();
    emit frameRendered();
}

QImage TMediaPlayer::Frame() const {
    if (!FHasPicture)
        return {};
    if (!FView) {
        if (FPictureKept)
            return FPicture;
        // The picture was drawn straight into the window's backing store.
        QRect rect;
        if (const QImage* store = StoreTarget(rect)) {
            QImage picture = store->copy(rect);
            picture.reinterpretAsFormat(QImage::Format_RGB32);
            picture.setDevicePixelRatio(store->devicePixelRatio());
            return picture;
        }
        return const_cast<TMediaPlayer*>(this)->grab(VideoRect()).toImage();
    }
    // What the window shows went with the last swap: the picture is drawn once more
    // for the read-back.
    auto* player = const_cast<TMediaPlayer*>(this);
    FView->makeCurrent();
    FGrabbing = true;
    player->PaintGL();
    FGrabbing = false;
    return FView->grabFramebuffer();
}

void TMediaPlayer::Tick() {
    if (!FSession.Watching()) {
        FWatchdog.stop();
        return;
    }
    Apply(FSession.OnTick(FClock.elapsed()));
    ShowStatus();
}

void TMediaPlayer::ShowStatus() {
    const QString text = FSession.StatusText();
    if (text == FShownStatus)
        return;
    FShownStatus = text;
    FStatusLbl->setText(text);
    ShowBar();
    emit statusChanged(text);
}

void TMediaPlayer::ShowBar() {
    // Full screen the picture fills the screen, and the controls come over it while
    // the pointer moves or rests on them, and whenever the status says more than that
    // the channel plays.
    const QWidget* focus = QApplication::focusWidget();
    const bool shown = !IsFullScreen() || FBarShown.isActive() || FBar->underMouse() ||
                       (focus && FBar->isAncestorOf(focus)) ||
                       FSession.Status() != TStreamStatus::Playing;
    FBar->setVisible(shown);
    // The windows are made anew as the player changes windows, the picture's last.
    if (shown && FViewHost)
        FBar->raise();
}

QString TMediaPlayer::StatusText() const {
    return FShownStatus;
}

void TMediaPlayer::SetFlagProperty(const char* name, bool value) {
    int flag = value ? 1 : 0;
    mpv_set_property_async(FMpv, 0, name, MPV_FORMAT_FLAG, &flag);
}

void TMediaPlayer::TogglePause() {
    const TStreamStatus status = FSession.Status();
    if ((status == TStreamStatus::Stopped || status == TStreamStatus::Failed) && !FUrl.isEmpty()) {
        setURL(FUrl);
        return;
    }
    SetFlagProperty("pause", !FPaused);
}

void TMediaPlayer::Stop() {
    if (FSession.Status() == TStreamStatus::Idle)
        return;
    FRetry.stop();
    FHeldLoad.clear();
    FSession.Stop();
    const char* args[] = {"stop", nullptr};
    mpv_command_async(FMpv, 0, args);
    ShowStatus();
}

void TMediaPlayer::SetMuted(bool muted) {
    SetFlagProperty("mute", muted);
}

void TMediaPlayer::SetVolume(int volume) {
    double value = volume;
    mpv_set_property_async(FMpv, 0, "volume", MPV_FORMAT_DOUBLE, &value);
}

void TMediaPlayer::ToggleFullScreen() {
    // A child widget goes full screen by becoming a window of its own for a while.
    FFullScreen = !FFullScreen;
    if (FFullScreen) {
        FEmbeddedGeometry = geometry();
        if (parentWidget())
            setWindowFlag(Qt::Window, true);
        showFullScreen();
        FBarShown.start();
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
    update();
    ShowBar();
    FFullBtn->setToolTip(IsFullScreen() ? u"退出全屏"_s : u"全屏"_s);
    FFullBtn->setAccessibleName(FFullBtn->toolTip());
    setFocus();
}

QRect TMediaPlayer::VideoRect() const {
    return IsFullScreen() ? rect() : QRect(0, 0, width(), height() - BarHeight);
}

QRect TMediaPlayer::PictureRect() const {
    const QRect area = VideoRect();
    if (FVideoSize.isEmpty())
        return area;
    QRectF picture(QPointF(), QSizeF(FVideoSize).scaled(QSizeF(area.size()), Qt::KeepAspectRatio));
    picture.moveCenter(QRectF(area).center());
    // libmpv rounds the edges of the picture its own way; a pixel more on each side
    // covers that.
    return picture.toAlignedRect().adjusted(-1, -1, 1, 1) & area;
}

void TMediaPlayer::PlaceParts() {
    FBar->setGeometry(0, height() - BarHeight, width(), BarHeight);
    if (FViewHost)
        FViewHost->setGeometry(VideoRect());
    else if (QRect rect; FRender && FHasPicture && !StoreTarget(rect))
        RenderSoftware(false);
}

void TMediaPlayer::resizeEvent(QResizeEvent* event) {
    PlaceParts();
    QWidget::resizeEvent(event);
}

void TMediaPlayer::paintEvent(QPaintEvent* event) {
    if (FView)
        return; // the picture window covers the whole rectangle
    const QRect area = VideoRect();
    if (!event->region().intersects(area))
        return;
    if (FRender && (FHasPicture || FNewPicture)) {
        const bool newPicture = std::exchange(FNewPicture, false);
        QRect rect;
        QImage* store = StoreTarget(rect);
        // libmpv overwrites the whole rectangle, so this painting must cover all of it.
        bool drawn = false;
        if (store && redirected(nullptr) == store && (QRegion(area) - event->region()).isEmpty()) {
            drawn = RenderInto(store->bits() + qsizetype(rect.y()) * store->bytesPerLine(),
                               rect.size(), store->bytesPerLine());
            if (drawn)
                FPictureKept = false;
        } else if ((!newPicture && FPictureKept && FPicture.size() == PictureDeviceSize()) ||
                   RenderPicture()) {
            drawn = true;
            QPainter(this).drawImage(area.topLeft(), FPicture);
        }
        if (drawn) {
            FHasPicture = true;
            if (newPicture)
                PictureShown();
            return;
        }
    }
    QPainter(this).fillRect(area, Qt::black);
}

void TMediaPlayer::mouseMoveEvent(QMouseEvent* event) {
    if (IsFullScreen()) {
        FBarShown.start();
        ShowBar();
    }
    QWidget::mouseMoveEvent(event);
}

void TMediaPlayer::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (VideoRect().contains(at) && !(FBar->isVisible() && FBar->geometry().contains(at)))
        ToggleFullScreen();
}

void TMediaPlayer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F11 || (event->key() == Qt::Key_Escape && IsFullScreen()))
        ToggleFullScreen();
    else
        QWidget::keyPressEvent(event);
}
