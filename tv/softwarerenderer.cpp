#include "tv/mpvengine.h"
#include "tv/picturerenderer.h"

#include <QBackingStore>
#include <QPainter>
#include <QResizeEvent>
#include <QWindow>

#include <mpv/render.h>

#include <cstdint>
#include <new>
#include <utility>

namespace {

// The software renderer works fastest (and some of its paths only work) when every
// line of the target starts on a 64-byte boundary.
constexpr int StrideAlign = 64;

void FreeAligned(void* data) {
    ::operator delete[](data, std::align_val_t{StrideAlign});
}

QImage AlignedImage(QSize size, qreal ratio) {
    const qsizetype stride = (size.width() * 4 + StrideAlign - 1) / StrideAlign * StrideAlign;
    void* pixels =
        ::operator new[](std::size_t(stride) * size.height(), std::align_val_t{StrideAlign});
    QImage image(static_cast<uchar*>(pixels), size.width(), size.height(), stride,
                 QImage::Format_RGB32, &FreeAligned, pixels);
    image.setDevicePixelRatio(ratio);
    return image;
}

// The backing store as libmpv can draw into it: whole lines, each starting on a 64-byte
// boundary, of pixels in libmpv's order. Qt keeps an opaque window's pixels as
// premultiplied ARGB for faster painting; the alpha that libmpv leaves undefined there
// is shown to no one.
QImage* Suited(QPaintDevice* device) {
    auto* image =
        device && device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    const bool suited = image &&
                        (image->format() == QImage::Format_RGB32 ||
                         image->format() == QImage::Format_ARGB32_Premultiplied) &&
                        image->bytesPerLine() % StrideAlign == 0 &&
                        reinterpret_cast<std::uintptr_t>(image->constBits()) % StrideAlign == 0;
    return suited ? image : nullptr;
}

// libmpv draws in software, at the size the picture is shown in device pixels, into a
// backing store of the window's own that holds nothing but the picture: straight into
// it where its lines suit libmpv, and otherwise into an image that is copied there.
class TSoftwareRenderer : public QWindow, public TPictureRenderer {
public:
    TSoftwareRenderer(TMpvEngine& engine, QWidget* player, TEvents events)
        : TPictureRenderer(engine, player, std::move(events), this), FStore(this) {
        engine.Set("hwdec", "no");
        char apiType[] = MPV_RENDER_API_TYPE_SW;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, apiType},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        CreateContext(params);
    }
    ~TSoftwareRenderer() override { FreeContext(); }

    TRenderPath Path() const override { return TRenderPath::Software; }

    void Clear() override {
        FHasPicture = false;
        FNewPicture = false;
        Draw(false);
    }

    QImage Frame() override {
        QImage picture = AlignedImage(DeviceSize(), devicePixelRatio());
        return FHasPicture && RenderInto(picture) ? picture : QImage();
    }

protected:
    void Updated() override {
        if (mpv_render_context_update(Context()) & MPV_RENDER_UPDATE_FRAME)
            Draw(true);
    }
    void exposeEvent(QExposeEvent*) override { Draw(false); }
    void resizeEvent(QResizeEvent* event) override {
        FStore.resize(event->size());
        Draw(false);
    }
    bool event(QEvent* event) override { return Forward(event) || QWindow::event(event); }

private:
    QSize DeviceSize() const {
        return (QSizeF(size()) * devicePixelRatio()).toSize().expandedTo({1, 1});
    }

    bool RenderInto(QImage& target) {
        // libmpv scales and letterboxes the picture to the rectangle it is shown in, in
        // device pixels, so that nothing scales it a second time.
        int size[2] = {target.width(), target.height()};
        char format[] = "bgr0"; // byte order of QImage::Format_RGB32 on a little-endian machine
        std::size_t stride = std::size_t(target.bytesPerLine());
        int blockForTargetTime = 0;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                                     {MPV_RENDER_PARAM_SW_FORMAT, format},
                                     {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                     {MPV_RENDER_PARAM_SW_POINTER, target.bits()},
                                     {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        return mpv_render_context_render(Context(), params) >= 0;
    }

    // Shows the current picture, or black before the first; newPicture says that libmpv
    // has a new one. One that comes while the window is hidden is shown once it is exposed.
    void Draw(bool newPicture) {
        FNewPicture = std::exchange(FNewPicture, false) || newPicture;
        if (!isExposed())
            return;
        const QRect whole(QPoint(), size());
        FStore.beginPaint(whole);
        QPaintDevice* device = FStore.paintDevice();
        bool drawn = false;
        if (QImage* target = Suited(device);
            (FHasPicture || FNewPicture) && target && target->size() == DeviceSize()) {
            drawn = RenderInto(*target);
        } else if (FHasPicture || FNewPicture) {
            if (FPicture.size() != DeviceSize())
                FPicture = AlignedImage(DeviceSize(), devicePixelRatio());
            drawn = RenderInto(FPicture);
            if (drawn)
                QPainter(device).drawImage(0, 0, FPicture);
        }
        if (!drawn)
            QPainter(device).fillRect(whole, Qt::black);
        FStore.endPaint();
        FStore.flush(whole);
        FHasPicture = drawn;
        if (drawn && std::exchange(FNewPicture, false))
            FEvents.pictureShown();
    }

    QBackingStore FStore;
    QImage FPicture; // where libmpv draws when the backing store does not suit it
    bool FHasPicture = false;
    bool FNewPicture = false;
};

} // namespace

TPictureRenderer* MakeSoftwareRenderer(TMpvEngine& engine, QWidget* player,
                                       TPictureRenderer::TEvents events) {
    return new TSoftwareRenderer(engine, player, std::move(events));
}
