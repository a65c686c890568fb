#include "tv/mediaplayer.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>

#include <mpv/client.h>
#include <mpv/render.h>

#include <clocale>
#include <cstring>
#include <new>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int BarHeight = 28;
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

void FreeAligned(void* data) {
    ::operator delete[](data, std::align_val_t{StrideAlign});
}

} // namespace

EMediaPlayerError::EMediaPlayerError(const QString& message)
    : std::runtime_error(message.toUtf8().toStdString()) {}

TMediaPlayer::TAddressRedirect TMediaPlayer::SetAddressRedirect(TAddressRedirect redirect) {
    TAddressRedirect previous = std::move(Redirect());
    Redirect() = std::move(redirect);
    return previous;
}

TMediaPlayer::TMediaPlayer(QWidget* parent) : QWidget(parent) {
    setObjectName(u"WMP"_s);
    setAccessibleName(u"电视播放器"_s);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    CreateControls();
    CreateEngine();
    m_clock.start();
    m_watchdog.setInterval(TickMs);
    connect(&m_watchdog, &QTimer::timeout, this, &TMediaPlayer::Tick);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] { Load(m_retryAddress); });
    ShowStatus();
}

TMediaPlayer::~TMediaPlayer() {
    // Once the callbacks are gone no engine thread can post to this widget any more;
    // the render context must go before the core it belongs to.
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
    mpv_render_context_free(m_render);
    mpv_terminate_destroy(m_mpv);
}

void TMediaPlayer::CreateControls() {
    m_bar = new QWidget(this);
    m_bar->setObjectName(u"ControlBar"_s);
    m_bar->setAccessibleName(u"播放控制"_s);
    m_bar->setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(m_bar);
    layout->setContentsMargins(2, 2, 4, 2);
    layout->setSpacing(2);

    auto button = [this, layout](const QString& name, const QString& text,
                                 QStyle::StandardPixmap icon) {
        auto* btn = new QToolButton(m_bar);
        btn->setObjectName(name);
        btn->setAutoRaise(true);
        btn->setFocusPolicy(Qt::StrongFocus);
        btn->setIcon(style()->standardIcon(icon));
        btn->setToolTip(text);
        btn->setAccessibleName(text);
        layout->addWidget(btn);
        return btn;
    };
    m_playBtn = button(u"PlayBtn"_s, u"暂停"_s, QStyle::SP_MediaPause);
    m_stopBtn = button(u"StopBtn"_s, u"停止"_s, QStyle::SP_MediaStop);
    m_muteBtn = button(u"MuteBtn"_s, u"静音"_s, QStyle::SP_MediaVolume);
    m_muteBtn->setCheckable(true);
    m_volumeSld = new QSlider(Qt::Horizontal, m_bar);
    m_volumeSld->setObjectName(u"VolumeSld"_s);
    m_volumeSld->setRange(0, 100);
    m_volumeSld->setValue(100);
    m_volumeSld->setFixedWidth(70);
    m_volumeSld->setToolTip(u"音量"_s);
    m_volumeSld->setAccessibleName(u"音量"_s);
    layout->addWidget(m_volumeSld);
    m_statusLbl = new QLabel(m_bar);
    m_statusLbl->setObjectName(u"StatusLbl"_s);
    m_statusLbl->setAccessibleName(u"播放状态"_s);
    layout->addWidget(m_statusLbl, 1);
    m_fullBtn = button(u"FullScreenBtn"_s, u"全屏"_s, QStyle::SP_TitleBarMaxButton);

    connect(m_playBtn, &QToolButton::clicked, this, &TMediaPlayer::TogglePause);
    connect(m_stopBtn, &QToolButton::clicked, this, &TMediaPlayer::Stop);
    connect(m_muteBtn, &QToolButton::toggled, this, &TMediaPlayer::SetMuted);
    connect(m_volumeSld, &QSlider::valueChanged, this, &TMediaPlayer::SetVolume);
    connect(m_fullBtn, &QToolButton::clicked, this, &TMediaPlayer::ToggleFullScreen);
}

void TMediaPlayer::CreateEngine() {
    // libmpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (!m_mpv)
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
        {"demuxer-lavf-o", demuxerOptions.constData()},
        {"stream-lavf-o", streamOptions.constData()},
        {"network-timeout", networkTimeout.constData()},
    };
    bool ok = true;
    for (const auto& [name, value] : options)
        ok = mpv_set_option_string(m_mpv, name, value) >= 0 && ok;
    if (!ok || mpv_initialize(m_mpv) < 0) {
        mpv_terminate_destroy(m_mpv);
        throw EMediaPlayerError(u"无法启动播放器"_s);
    }

    mpv_request_log_messages(m_mpv, "warn");
    mpv_observe_property(m_mpv, WatchWidth, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(m_mpv, WatchHeight, "dheight", MPV_FORMAT_INT64);
    mpv_observe_property(m_mpv, WatchPausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, WatchBufferingPercent, "cache-buffering-state", MPV_FORMAT_INT64);
    mpv_observe_property(m_mpv, WatchPlaybackTime, "playback-time", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, WatchPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, WatchMute, "mute", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, WatchVolume, "volume", MPV_FORMAT_DOUBLE);

    char apiType[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, apiType},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&m_render, m_mpv, params) < 0) {
        mpv_terminate_destroy(m_mpv);
        throw EMediaPlayerError(u"无法创建视频输出"_s);
    }
    mpv_set_wakeup_callback(m_mpv, &TMediaPlayer::OnWakeup, this);
    mpv_render_context_set_update_callback(m_render, &TMediaPlayer::OnRenderUpdate, this);
}

void TMediaPlayer::OnWakeup(void* self) {
    auto* player = static_cast<TMediaPlayer*>(self);
    if (!player->m_drainPosted.exchange(true))
        QMetaObject::invokeMethod(player, &TMediaPlayer::DrainEvents, Qt::QueuedConnection);
}

void TMediaPlayer::OnRenderUpdate(void* self) {
    auto* player = static_cast<TMediaPlayer*>(self);
    if (!player->m_renderPosted.exchange(true))
        QMetaObject::invokeMethod(player, &TMediaPlayer::RenderFrame, Qt::QueuedConnection);
}

void TMediaPlayer::setURL(const QString& url) {
    if (!IsSingleAbsoluteAddress(url))
        throw EMediaPlayerError(u"无效的节目地址：%1"_s.arg(url));
    const QString target = Redirect() ? Redirect()(url) : url;
    const TStreamSession before = m_session;
    m_retry.stop();
    const int rc = Load(m_session.Start(target, m_clock.elapsed()));
    if (rc < 0) {
        m_session = before;
        throw EMediaPlayerError(
            u"播放器拒绝了地址 %1：%2"_s.arg(url, QString::fromUtf8(mpv_error_string(rc))));
    }
    m_url = url;
    m_frame = QImage();
    m_videoSize = QSize();
    if (m_paused)
        SetFlagProperty("pause", false);
    m_watchdog.start();
    update();
    ShowStatus();
}

int TMediaPlayer::Load(const QString& address) {
    const QByteArray utf8 = address.toUtf8();
    const char* args[] = {"loadfile", utf8.constData(), "replace", nullptr};
    const int rc = mpv_command_async(m_mpv, m_loadNumber + 1, args);
    if (rc >= 0) {
        ++m_loadNumber;
        m_entryId = -1;
        m_pendingEnd.reset();
        m_entryStarted = false;
    }
    return rc;
}

void TMediaPlayer::Apply(const TStreamAction& action) {
    switch (action.kind) {
    case TStreamAction::None:
        break;
    case TStreamAction::Load:
        m_retryAddress = action.address;
        m_retry.start(action.delayMs);
        break;
    case TStreamAction::Stop: {
        m_retry.stop();
        const char* args[] = {"stop", nullptr};
        mpv_command_async(m_mpv, 0, args);
        break;
    }
    }
}

void TMediaPlayer::DrainEvents() {
    m_drainPosted = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        HandleEvent(*event);
    }
    // libmpv hands out its log lines only once no other event is waiting, so the line
    // that says why a load failed comes after the load's end: judge the end only now.
    if (m_pendingEnd) {
        const TStreamEnd end = *m_pendingEnd;
        m_pendingEnd.reset();
        Apply(m_session.OnEnd(end, m_clock.elapsed()));
    }
    ShowStatus();
}

void TMediaPlayer::HandleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE:
        m_session.OnLog(QString::fromUtf8(static_cast<mpv_event_log_message*>(event.data)->text));
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata != 0 && event.reply_userdata == m_loadNumber) {
            if (event.error < 0)
                m_pendingEnd = TStreamEnd::Error;
            else
                m_entryId = EntryIdOf(static_cast<mpv_event_command*>(event.data)->result);
        }
        break;
    case MPV_EVENT_START_FILE:
        if (static_cast<mpv_event_start_file*>(event.data)->playlist_entry_id == m_entryId)
            m_entryStarted = true;
        break;
    case MPV_EVENT_FILE_LOADED:
        if (m_entryStarted)
            m_session.OnLoaded();
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<mpv_event_end_file*>(event.data);
        if (end->playlist_entry_id != m_entryId)
            break; // a channel that was replaced: not a failure
        m_entryStarted = false;
        const TStreamEnd how = end->reason == MPV_END_FILE_REASON_EOF     ? TStreamEnd::EndOfStream
                               : end->reason == MPV_END_FILE_REASON_ERROR ? TStreamEnd::Error
                                                                          : TStreamEnd::Replaced;
        m_pendingEnd = how;
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
        m_videoSize.setWidth(int(asInt()));
        break;
    case WatchHeight:
        m_videoSize.setHeight(int(asInt()));
        break;
    case WatchPausedForCache:
        m_session.OnBuffering(asFlag(), m_session.BufferingPercent());
        break;
    case WatchBufferingPercent:
        m_session.OnBuffering(m_session.Status() == TStreamStatus::Buffering, int(asInt()));
        break;
    case WatchPlaybackTime:
        if (present)
            m_session.OnProgress(m_clock.elapsed());
        break;
    case WatchPause:
        m_paused = asFlag();
        m_session.SetPaused(m_paused, m_clock.elapsed());
        m_playBtn->setIcon(
            style()->standardIcon(m_paused ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause));
        m_playBtn->setToolTip(m_paused ? u"播放"_s : u"暂停"_s);
        m_playBtn->setAccessibleName(m_playBtn->toolTip());
        break;
    case WatchMute: {
        m_muted = asFlag();
        const QSignalBlocker block(m_muteBtn);
        m_muteBtn->setChecked(m_muted);
        m_muteBtn->setIcon(
            style()->standardIcon(m_muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
        m_muteBtn->setToolTip(m_muted ? u"取消静音"_s : u"静音"_s);
        m_muteBtn->setAccessibleName(m_muteBtn->toolTip());
        break;
    }
    case WatchVolume:
        if (present) {
            const QSignalBlocker block(m_volumeSld);
            m_volumeSld->setValue(qRound(*static_cast<double*>(property->data)));
        }
        break;
    default:
        break;
    }
    if (m_framePending && !m_videoSize.isEmpty())
        RenderFrame();
}

void TMediaPlayer::RenderFrame() {
    m_renderPosted = false;
    const std::uint64_t flags = mpv_render_context_update(m_render);
    if (!(flags & MPV_RENDER_UPDATE_FRAME) && !m_framePending)
        return;
    // The picture is kept at the stream's own size; painting scales it to the widget.
    if (m_videoSize.isEmpty()) {
        m_framePending = true;
        return;
    }
    m_framePending = false;
    if (m_frame.size() != m_videoSize || !m_frame.isDetached()) {
        const qsizetype stride =
            (qsizetype(m_videoSize.width()) * 4 + StrideAlign - 1) / StrideAlign * StrideAlign;
        void* pixels = ::operator new[](std::size_t(stride) * m_videoSize.height(),
                                        std::align_val_t{StrideAlign});
        m_frame = QImage(static_cast<uchar*>(pixels), m_videoSize.width(), m_videoSize.height(),
                         stride, QImage::Format_RGB32, &FreeAligned, pixels);
    }
    int size[2] = {m_frame.width(), m_frame.height()};
    char format[] = "bgr0"; // byte order of QImage::Format_RGB32 on a little-endian machine
    std::size_t stride = std::size_t(m_frame.bytesPerLine());
    int blockForTargetTime = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                                 {MPV_RENDER_PARAM_SW_FORMAT, format},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, m_frame.bits()},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_render(m_render, params) < 0)
        return;
    m_session.OnProgress(m_clock.elapsed());
    update(VideoRect());
    ShowStatus();
    emit frameRendered();
}

void TMediaPlayer::Tick() {
    if (!m_session.Watching()) {
        m_watchdog.stop();
        return;
    }
    Apply(m_session.OnTick(m_clock.elapsed()));
    ShowStatus();
}

void TMediaPlayer::ShowStatus() {
    const QString text = m_session.StatusText();
    if (text == m_shownStatus)
        return;
    m_shownStatus = text;
    m_statusLbl->setText(text);
    emit statusChanged(text);
}

QString TMediaPlayer::StatusText() const {
    return m_shownStatus;
}

void TMediaPlayer::SetFlagProperty(const char* name, bool value) {
    int flag = value ? 1 : 0;
    mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_FLAG, &flag);
}

void TMediaPlayer::TogglePause() {
    const TStreamStatus status = m_session.Status();
    if ((status == TStreamStatus::Stopped || status == TStreamStatus::Failed) && !m_url.isEmpty()) {
        setURL(m_url);
        return;
    }
    SetFlagProperty("pause", !m_paused);
}

void TMediaPlayer::Stop() {
    if (m_session.Status() == TStreamStatus::Idle)
        return;
    m_retry.stop();
    m_session.Stop();
    const char* args[] = {"stop", nullptr};
    mpv_command_async(m_mpv, 0, args);
    ShowStatus();
}

void TMediaPlayer::SetMuted(bool muted) {
    SetFlagProperty("mute", muted);
}

void TMediaPlayer::SetVolume(int volume) {
    double value = volume;
    mpv_set_property_async(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &value);
}

void TMediaPlayer::ToggleFullScreen() {
    // A child widget goes full screen by becoming a window of its own for a while.
    if (IsFullScreen()) {
        setWindowFlag(Qt::Window, false);
        setGeometry(m_embeddedGeometry);
        show();
    } else {
        m_embeddedGeometry = geometry();
        setWindowFlag(Qt::Window, true);
        showFullScreen();
    }
    m_fullBtn->setToolTip(IsFullScreen() ? u"退出全屏"_s : u"全屏"_s);
    m_fullBtn->setAccessibleName(m_fullBtn->toolTip());
    setFocus();
}

QRect TMediaPlayer::VideoRect() const {
    return QRect(0, 0, width(), height() - BarHeight);
}

void TMediaPlayer::resizeEvent(QResizeEvent* event) {
    m_bar->setGeometry(0, height() - BarHeight, width(), BarHeight);
    QWidget::resizeEvent(event);
}

void TMediaPlayer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = VideoRect();
    painter.fillRect(area, Qt::black);
    if (m_frame.isNull())
        return;
    QSize size = m_frame.size().scaled(area.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_frame);
}

void TMediaPlayer::mouseDoubleClickEvent(QMouseEvent* event) {
    if (VideoRect().contains(event->position().toPoint()))
        ToggleFullScreen();
}

void TMediaPlayer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F11 || (event->key() == Qt::Key_Escape && IsFullScreen()))
        ToggleFullScreen();
    else
        QWidget::keyPressEvent(event);
}
