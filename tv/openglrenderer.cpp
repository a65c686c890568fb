#include "tv/mpvengine.h"
#include "tv/picturerenderer.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWindow>
#include <QWidget>

#include <mpv/render_gl.h>

#include <cstdio>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

void SayOpenGLIsNotUsed(const char* reason) {
    static bool said = false;
    if (!std::exchange(said, true))
        std::fprintf(stderr,
                     "viewdial: the player cannot draw through OpenGL (%s); it draws in software\n",
                     reason);
}

void* GLProcAddress(void* context, const char* name) {
    return reinterpret_cast<void*>(static_cast<QOpenGLContext*>(context)->getProcAddress(name));
}

// libmpv draws through OpenGL into the picture's window, scaling and converting colours
// on the GPU and decoding in hardware where it safely can. An OpenGL widget would have
// it draw into a texture that Qt then copies into the window and covers with the
// window's other contents, three more passes over the whole picture each time, which a
// software rasterizer pays with more CPU than the drawing itself.
class TOpenGLRenderer : public QOpenGLWindow, public TPictureRenderer {
public:
    TOpenGLRenderer(TMpvEngine& engine, QWidget* player, TEvents events)
        : TPictureRenderer(engine, player, std::move(events), this) {
        // libmpv falls back to software decoding by itself where no safe decoder is found.
        engine.Set("hwdec", "auto-safe");
    }
    ~TOpenGLRenderer() override { FreeRender(); }

    TRenderPath Path() const override { return TRenderPath::OpenGL; }

    void Clear() override {
        FHasPicture = false;
        FNewPicture = false;
        update();
    }

    QImage Frame() override {
        if (!FHasPicture)
            return {};
        // What the window shows went with the last swap: the picture is drawn once more
        // for the read-back, which shows nothing new.
        makeCurrent();
        const bool newPicture = std::exchange(FNewPicture, false);
        paintGL();
        FNewPicture = newPicture;
        return grabFramebuffer();
    }

protected:
    void Updated() override {
        makeCurrent();
        const bool frame = mpv_render_context_update(Context()) & MPV_RENDER_UPDATE_FRAME;
        doneCurrent();
        if (frame) {
            FHasPicture = true;
            FNewPicture = true;
            update();
        }
    }

    bool event(QEvent* event) override { return Forward(event) || QOpenGLWindow::event(event); }

    void initializeGL() override {
        if (Ready())
            return;
        // Qt makes the window's context as the window is first shown, and asks it to set
        // up even where that failed.
        QOpenGLContext* gl = context();
        if (!gl || !gl->isValid())
            return GiveUp("no OpenGL context for the picture");
        mpv_opengl_init_params init{&GLProcAddress, gl};
        char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
        std::vector<mpv_render_param> params{{MPV_RENDER_PARAM_API_TYPE, apiType},
                                             {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init}};
#if QT_CONFIG(xcb)
        // Some hardware decoders hand their pictures to OpenGL through the X display.
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            params.push_back({MPV_RENDER_PARAM_X11_DISPLAY, x11->display()});
#endif
        params.push_back({MPV_RENDER_PARAM_INVALID, nullptr});
        if (!CreateContext(params.data()))
            return GiveUp("libmpv cannot draw with this OpenGL");
        FContextGone = connect(gl, &QOpenGLContext::aboutToBeDestroyed, this,
                               &TOpenGLRenderer::FreeRender, Qt::DirectConnection);
    }

    void paintGL() override {
        if (!Ready() || !FHasPicture) {
            QOpenGLFunctions* gl = context()->functions();
            gl->glClearColor(0, 0, 0, 1);
            gl->glClear(GL_COLOR_BUFFER_BIT);
            return;
        }
        mpv_opengl_fbo fbo{int(defaultFramebufferObject()), qRound(width() * devicePixelRatio()),
                           qRound(height() * devicePixelRatio()), 0};
        // A window's framebuffer has its origin at the bottom left.
        int flipY = 1;
        int blockForTargetTime = 0;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                     {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                     {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_render(Context(), params);
        if (std::exchange(FNewPicture, false))
            FEvents.pictureShown();
    }

private:
    void GiveUp(const char* reason) {
        SayOpenGLIsNotUsed(reason);
        // Not from within the window's own set-up: the fallback deletes the window.
        QMetaObject::invokeMethod(FPlayer, FEvents.cannotDraw, Qt::QueuedConnection);
    }

    void FreeRender() {
        if (!Ready())
            return;
        disconnect(FContextGone);
        makeCurrent();
        FreeContext();
        doneCurrent();
    }

    QMetaObject::Connection FContextGone;
    bool FHasPicture = false;
    bool FNewPicture = false;
};

struct TOpenGLProbe {
    bool contextMade = false;
    QString renderer;
};

// Whether an OpenGL context can be made on this display, and its renderer's name.
TOpenGLProbe ProbeOpenGL() {
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
    TOpenGLProbe probe{true, QString::fromUtf8(renderer ? renderer : "")};
    context.doneCurrent();
    return probe;
}

} // namespace

TPictureRenderer* MakeOpenGLRenderer(TMpvEngine& engine, QWidget* player,
                                     const TPictureRenderer::TEvents& events) {
    const QString forced = qEnvironmentVariable(RenderPathVariable);
    if (ChooseRenderPath(forced, true, QString()).path == TRenderPath::Software)
        return nullptr; // forced: no need to look at the display
    static const TOpenGLProbe probe = ProbeOpenGL();
    const TRenderChoice choice = ChooseRenderPath(forced, probe.contextMade, probe.renderer);
    if (choice.refused)
        SayOpenGLIsNotUsed("no OpenGL context can be made on this display");
    return choice.path == TRenderPath::OpenGL ? new TOpenGLRenderer(engine, player, events)
                                              : nullptr;
}
