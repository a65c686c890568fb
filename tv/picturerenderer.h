#pragma once

#include "tv/renderpath.h"

#include <QImage>

#include <atomic>
#include <functional>
#include <memory>

class QEvent;
class QObject;
class QWidget;
class QWindow;
class TMpvEngine;
class TPictureRenderer;
struct mpv_render_context;
struct mpv_render_param;

// A renderer lives in its window, Host(), a child of the player: the window owns the
// renderer, and letting go of a renderer deletes that window.
struct TRendererDeleter {
    void operator()(TPictureRenderer* renderer) const;
};
using TRendererPtr = std::unique_ptr<TPictureRenderer, TRendererDeleter>;

// What draws libmpv's pictures: a native window of the picture's own that covers the
// picture's rectangle inside the player, so that each picture goes straight to what
// the screen shows. Each drawing path is one kind of renderer, and which one draws is
// known only to them and to Make.
class TPictureRenderer {
public:
    struct TEvents {
        std::function<void()> pictureShown;
        // This path cannot draw here after all; called from the event loop.
        std::function<void()> cannotDraw;
    };

    // The renderer of the path ChooseRenderPath picks for this display, or the software
    // one. It tells the engine when its render context is made and freed. Throws
    // EMediaPlayerError when it cannot draw at all.
    static TRendererPtr Make(TMpvEngine& engine, QWidget* player, TEvents events,
                             bool software = false);
    // How many of libmpv's render contexts are alive in the process, for the tests.
    static int ContextsAlive();

    virtual ~TPictureRenderer() = default;
    virtual TRenderPath Path() const = 0;
    // A new channel: black until its first picture.
    virtual void Clear() = 0;
    // The picture as shown, letterboxed, in device pixels; null before the first picture
    // of the channel. It is drawn once more for this: for tests, not for every picture.
    virtual QImage Frame() = 0;
    bool Ready() const { return FRender != nullptr; }
    QWidget* Host() const { return FHost; }

protected:
    // Puts the renderer, the picture's window, into the player.
    TPictureRenderer(TMpvEngine& engine, QWidget* player, TEvents events, QWindow* self);
    bool CreateContext(mpv_render_param* params);
    void FreeContext();
    mpv_render_context* Context() const { return FRender; }
    // libmpv has something new to show; called on the window's thread.
    virtual void Updated() = 0;
    // The pointer and the keys are the player's, whichever of its parts they reach;
    // the picture lies at the player's origin, so positions need no mapping.
    bool Forward(QEvent* event);

    TMpvEngine& FEngine;
    TEvents FEvents;
    QWidget* FPlayer;

private:
    static void OnUpdate(void* self);

    QWindow* FSelf;
    QWidget* FHost;
    mpv_render_context* FRender = nullptr;
    std::atomic_bool FUpdatePosted{false};
};

// The two paths, each in a file of its own; null where the OpenGL path is not to be used.
TPictureRenderer* MakeOpenGLRenderer(TMpvEngine& engine, QWidget* player,
                                     const TPictureRenderer::TEvents& events);
TPictureRenderer* MakeSoftwareRenderer(TMpvEngine& engine, QWidget* player,
                                       TPictureRenderer::TEvents events);
