#include "tv/picturerenderer.h"

#include "tv/mpvengine.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <mpv/render.h>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

int RenderContexts = 0;

} // namespace

void TRendererDeleter::operator()(TPictureRenderer* renderer) const {
    delete renderer->Host();
}

TRendererPtr TPictureRenderer::Make(TMpvEngine& engine, QWidget* player, TEvents events,
                                    bool software) {
    if (TRendererPtr renderer{software ? nullptr : MakeOpenGLRenderer(engine, player, events)})
        return renderer;
    TRendererPtr renderer{MakeSoftwareRenderer(engine, player, std::move(events))};
    if (!renderer->Ready())
        throw EMediaPlayerError(u"无法创建视频输出"_s);
    return renderer;
}

int TPictureRenderer::ContextsAlive() {
    return RenderContexts;
}

TPictureRenderer::TPictureRenderer(TMpvEngine& engine, QWidget* player, TEvents events,
                                   QWindow* self)
    : FEngine(engine), FEvents(std::move(events)), FPlayer(player), FSelf(self),
      FHost(QWidget::createWindowContainer(self, player)) {
    self->setObjectName(u"PictureView"_s);
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
    FEngine.SetRenderContext(true);
    return true;
}

void TPictureRenderer::FreeContext() {
    if (!FRender)
        return;
    mpv_render_context_set_update_callback(FRender, nullptr, nullptr);
    mpv_render_context_free(std::exchange(FRender, nullptr));
    --RenderContexts;
    FEngine.SetRenderContext(false);
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

bool TPictureRenderer::Forward(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonDblClick &&
        type != QEvent::KeyPress)
        return false;
    QCoreApplication::sendEvent(FPlayer, event);
    return true;
}
