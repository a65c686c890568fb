#include "tv/picturerenderer.h"

#include "tv/mpvengine.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <mpv/render.h>

#include <cstdio>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

int RenderContexts = 0;

void SayOpenGLIsNotUsed(const char* reason) {
    static bool said = false;
    if (!std::exchange(said, true))
        std::fprintf(stderr,
                     "viewdial: the player cannot draw through OpenGL (%s); it draws in software\n",
                     reason);
}

} // namespace

TPictureRenderer* TPictureRenderer::Make(TMpvEngine& engine, QWidget* player, TEvents events,
                                         bool software) {
    const QString forced = qEnvironmentVariable(RenderPathVariable);
    TRenderChoice choice = ChooseRenderPath(forced, true, QString());
    if (!software && choice.path != TRenderPath::Software) { // not forced: ask the display
        static const TOpenGLProbe probe = ProbeOpenGL();
        choice = ChooseRenderPath(forced, probe.contextMade, probe.renderer);
        if (choice.refused)
            SayOpenGLIsNotUsed("no OpenGL context can be made on this display");
        if (choice.path == TRenderPath::OpenGL)
            return MakeOpenGLRenderer(engine, player, std::move(events));
    }
    TPictureRenderer* renderer = MakeSoftwareRenderer(engine, player, std::move(events));
    if (!renderer->Ready()) {
        delete renderer->Host();
        throw EMediaPlayerError(u"无法创建视频输出"_s);
    }
    return renderer;
}

int TPictureRenderer::ContextsAlive() {
    return RenderContexts;
}

TPictureRenderer::TPictureRenderer(TMpvEngine& engine, QWidget* player, TEvents events)
    : FEngine(engine), FEvents(std::move(events)), FPlayer(player) {}

TPictureRenderer::~TPictureRenderer() = default;

void TPictureRenderer::Embed(QObject* self, QWindow* window) {
    FSelf = self;
    window->setObjectName(u"PictureView"_s);
    FHost = QWidget::createWindowContainer(window, FPlayer);
    FHost->setObjectName(u"PictureHost"_s);
    FHost->setFocusPolicy(Qt::NoFocus);
}

bool TPictureRenderer::CreateContext(mpv_render_param* params) {
    if (mpv_render_context_create(&FRender, FEngine.Handle(), params) < 0) {
        FRender = nullptr;
        return false;
    }
    ++RenderContexts;
    mpv_render_context_set_update_callback(FRender, &TPictureRenderer::OnUpdate, this);
    return true;
}

void TPictureRenderer::FreeContext() {
    if (!FRender)
        return;
    mpv_render_context_set_update_callback(FRender, nullptr, nullptr);
    mpv_render_context_free(std::exchange(FRender, nullptr));
    --RenderContexts;
}

void TPictureRenderer::OnUpdate(void* self) {
    auto* renderer = static_cast<TPictureRenderer*>(self);
    if (renderer->FUpdatePosted.exchange(true))
        return;
    QMetaObject::invokeMethod(
        renderer->FSelf,
        [renderer] {
            renderer->FUpdatePosted = false;
            if (renderer->FRender)
                renderer->Updated();
        },
        Qt::QueuedConnection);
}

void TPictureRenderer::GiveUp(const char* reason) {
    SayOpenGLIsNotUsed(reason);
    // Not from within the window's own set-up: the fallback deletes the window.
    QMetaObject::invokeMethod(FPlayer, FEvents.cannotDraw, Qt::QueuedConnection);
}

bool TPictureRenderer::Forward(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonDblClick &&
        type != QEvent::KeyPress)
        return false;
    QCoreApplication::sendEvent(FPlayer, event);
    return true;
}
