#pragma once

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
struct mpv_handle;
struct mpv_render_context;
struct mpv_event;

// Thrown when the player refuses an address.
class EMediaPlayerError : public std::runtime_error {
public:
    explicit EMediaPlayerError(const QString& message);
};

// The media-player control: plays a network stream given by its address, draws the
// picture within its own rectangle and shows its own controls and status line below
// it. This is the one class of the program that talks to libmpv.
//
// libmpv renders in software into an image that this widget paints, so the control
// works with no display and no GPU at all. libmpv calls back from its own threads;
// those callbacks only post a call to this widget's thread, and everything else the
// widget asks of libmpv is asynchronous, so the window never waits on the network.
class TMediaPlayer : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString URL READ URL WRITE setURL)
public:
    explicit TMediaPlayer(QWidget* parent = nullptr);
    ~TMediaPlayer() override;

    QString URL() const { return m_url; }
    // Starts playing the address at once, replacing whatever played before. Throws
    // EMediaPlayerError for an address that is not one absolute address, or when the
    // engine refuses it; the address played before is then kept.
    void setURL(const QString& url);

    // The last picture of the stream, at the stream's own size; null before the first.
    QImage Frame() const { return m_frame; }
    TStreamStatus Status() const { return m_session.Status(); }
    QString StatusText() const;

    void TogglePause();
    void Stop();
    void SetMuted(bool muted);
    void SetVolume(int volume);
    void ToggleFullScreen();
    bool IsFullScreen() const { return isWindow(); }

    // Lets the tests send every address to a loopback server of their own, so that no
    // test ever reaches a real host; URL still answers the address that was given.
    using TAddressRedirect = std::function<QString(const QString&)>;
    static TAddressRedirect SetAddressRedirect(TAddressRedirect redirect);

signals:
    void frameRendered();
    void statusChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static void OnWakeup(void* self);
    static void OnRenderUpdate(void* self);

    void CreateControls();
    void CreateEngine();
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void HandlePropertyChange(const mpv_event& event);
    void RenderFrame();
    int Load(const QString& address);
    void Apply(const TStreamAction& action);
    void Tick();
    void ShowStatus();
    void SetFlagProperty(const char* name, bool value);
    QRect VideoRect() const;

    mpv_handle* m_mpv = nullptr;
    mpv_render_context* m_render = nullptr;
    std::atomic_bool m_drainPosted{false};
    std::atomic_bool m_renderPosted{false};

    QString m_url;
    TStreamSession m_session;
    QElapsedTimer m_clock;
    QTimer m_watchdog;
    QTimer m_retry;
    QString m_retryAddress;

    // Each load gets a number; the engine answers with the playlist entry it made for
    // it, and only that entry's events concern the channel now chosen.
    std::uint64_t m_loadNumber = 0;
    std::int64_t m_entryId = -1;
    bool m_entryStarted = false;
    std::optional<TStreamEnd> m_pendingEnd;

    QImage m_frame;
    QSize m_videoSize;
    bool m_framePending = false;
    bool m_paused = false;
    bool m_muted = false;
    QRect m_embeddedGeometry;
    QString m_shownStatus;

    QWidget* m_bar = nullptr;
    QToolButton* m_playBtn = nullptr;
    QToolButton* m_stopBtn = nullptr;
    QToolButton* m_muteBtn = nullptr;
    QSlider* m_volumeSld = nullptr;
    QToolButton* m_fullBtn = nullptr;
    QLabel* m_statusLbl = nullptr;
};
