// visualcheck BINARY PROGRAM SCALE OUT.png
//
// Starts BINARY on the current X display, waits until its main window is drawn,
// photographs the whole screen into OUT.png and compares the picture with the
// designed layout of PROGRAM at the given device pixel ratio: the client area's
// place and size, the background colour, where each control's marks fall, and
// that Chinese captions came out as glyphs rather than empty boxes. Every failure
// names the control; the exit code is the number of failures.

#include "layouts.h"

#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

int g_failures = 0;

void Fail(const char* control, const QString& why) {
    ++g_failures;
    std::fprintf(stderr, "FAIL %s: %s\n", control, qPrintable(why));
}

bool Near(QRgb pixel, const QColor& colour, int tolerance = 24) {
    return std::abs(qRed(pixel) - colour.red()) <= tolerance &&
           std::abs(qGreen(pixel) - colour.green()) <= tolerance &&
           std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// The screen photographed, seen through one window's client coordinates.
struct TView {
    QImage Screen;
    QPoint Origin;
    int Scale;
    QSize Client;

    QRgb At(int x, int y) const { return Screen.pixel(Origin * Scale + QPoint(x, y)); }
    QRect Scaled(const QRect& r) const {
        return {r.x() * Scale, r.y() * Scale, r.width() * Scale, r.height() * Scale};
    }
    bool InClient(int x, int y) const {
        return x >= 0 && y >= 0 && x < Client.width() * Scale && y < Client.height() * Scale;
    }
};

// Share of the pixels in r (device pixels of the client) that satisfy test.
template <typename Test> double Share(const TView& v, const QRect& r, Test test) {
    int hits = 0, all = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            if (!v.InClient(x, y))
                continue;
            ++all;
            hits += test(v.At(x, y)) ? 1 : 0;
        }
    return all == 0 ? 1.0 : double(hits) / all;
}

// The one-pixel ring just outside r, inside the client area.
double RingShare(const TView& v, const QRect& r, const QColor& background) {
    int hits = 0, all = 0;
    const QRect ring = r.adjusted(-1, -1, 1, 1);
    for (int x = ring.left(); x <= ring.right(); ++x)
        for (int y : {ring.top(), ring.bottom()})
            if (v.InClient(x, y)) {
                ++all;
                hits += Near(v.At(x, y), background) ? 1 : 0;
            }
    for (int y = ring.top() + 1; y < ring.bottom(); ++y)
        for (int x : {ring.left(), ring.right()})
            if (v.InClient(x, y)) {
                ++all;
                hits += Near(v.At(x, y), background) ? 1 : 0;
            }
    return all == 0 ? 1.0 : double(hits) / all;
}

QImage InkMask(const QImage& image) {
    QImage mask(image.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            mask.setPixel(x, y, qGray(image.pixel(x, y)) < 150 ? 0xffffffff : 0xff000000);
    return mask;
}

QImage RenderText(const QString& text, const QFont& font) {
    QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 2, metrics.height() + 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(1, 1 + metrics.ascent(), text);
    painter.end();
    // Trim to the ink so that the search below compares glyph shapes only.
    const QImage mask = InkMask(image);
    QRect ink;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (qGray(mask.pixel(x, y)) > 0)
                ink |= QRect(x, y, 1, 1);
    return ink.isEmpty() ? mask : mask.copy(ink);
}

// Best overlap (intersection over union of ink) of the glyph picture anywhere in area.
double BestOverlap(const QImage& area, const QImage& glyphs) {
    double best = 0;
    for (int oy = 0; oy + glyphs.height() <= area.height(); ++oy)
        for (int ox = 0; ox + glyphs.width() <= area.width(); ++ox) {
            int both = 0, either = 0;
            for (int y = 0; y < glyphs.height(); ++y)
                for (int x = 0; x < glyphs.width(); ++x) {
                    const bool a = qGray(area.pixel(ox + x, oy + y)) > 0;
                    const bool b = qGray(glyphs.pixel(x, y)) > 0;
                    both += a && b;
                    either += a || b;
                }
            if (either > 0)
                best = std::max(best, double(both) / either);
        }
    return best;
}

// The caption must match its text drawn with a font that has Chinese glyphs far
// better than the same text drawn with a font that shows empty boxes for them.
void CheckGlyphs(const TView& v, const TControlLook& c) {
    const QRect r = v.Scaled(c.Rect).translated(v.Origin * v.Scale);
    const QImage area = InkMask(v.Screen.copy(r.intersected(v.Screen.rect())));
    QFont good(QStringList{u"MS Sans Serif"_s, u"WenQuanYi Micro Hei"_s});
    good.setPixelSize(c.FontPixels * v.Scale);
    QFont boxes(u"DejaVu Sans"_s);
    boxes.setPixelSize(c.FontPixels * v.Scale);
    boxes.setStyleStrategy(QFont::NoFontMerging);
    const double withGlyphs = BestOverlap(area, RenderText(c.Text, good));
    const double withBoxes = BestOverlap(area, RenderText(c.Text, boxes));
    std::printf("  %-10s caption \"%s\": glyph match %.2f, box match %.2f\n", c.Name,
                qPrintable(c.Text), withGlyphs, withBoxes);
    if (withGlyphs < 0.5 || withGlyphs <= withBoxes)
        Fail(c.Name,
             u"caption \"%1\" does not show as Chinese glyphs (match %2, boxes %3)"_s.arg(c.Text)
                 .arg(withGlyphs, 0, 'f', 2)
                 .arg(withBoxes, 0, 'f', 2));
}

void CheckControl(const TView& v, const TControlLook& c, const QColor& background) {
    const QRect r = v.Scaled(c.Rect);
    const QRect inner = r.adjusted(3 * v.Scale, 3 * v.Scale, -3 * v.Scale, -3 * v.Scale);
    const double ring = RingShare(v, r, background);
    double inside = 0;
    switch (c.Look) {
    case TLook::Filled:
        inside = Share(v, inner, [&](QRgb p) { return Near(p, c.Colour); });
        if (inside < 0.6)
            Fail(c.Name, u"only %1% of its inside has its colour %2"_s.arg(int(inside * 100))
                             .arg(c.Colour.name()));
        break;
    case TLook::Framed:
        inside = Share(v, inner, [&](QRgb p) { return !Near(p, background, 6); });
        if (inside < 0.5)
            Fail(c.Name,
                 u"only %1% of its inside differs from the background"_s.arg(int(inside * 100)));
        break;
    case TLook::Ink:
        inside = Share(v, r, [&](QRgb p) {
            return c.Colour.isValid() ? Near(p, c.Colour, 90) : !Near(p, background, 6);
        });
        if (inside <= 0.0)
            Fail(c.Name, u"draws nothing inside its rectangle"_s);
        break;
    }
    if (c.Contained && ring < 0.9)
        Fail(c.Name,
             u"spills past its rectangle %1,%2 %3x%4 (%5% of the ring around it is background)"_s
                 .arg(c.Rect.x())
                 .arg(c.Rect.y())
                 .arg(c.Rect.width())
                 .arg(c.Rect.height())
                 .arg(int(ring * 100)));
    std::printf("  %-10s inside %.2f, ring %.2f\n", c.Name, inside, ring);
    if (!c.Text.isEmpty())
        CheckGlyphs(v, c);
}

void CheckWindow(const TView& v, const TWindowLayout& w) {
    for (const QPoint& p : w.BackgroundPoints)
        if (!Near(v.At(p.x() * v.Scale, p.y() * v.Scale), w.Background, 6))
            Fail(w.Name, u"point %1,%2 is %3, not the background %4"_s.arg(p.x())
                             .arg(p.y())
                             .arg(QColor(v.At(p.x() * v.Scale, p.y() * v.Scale)).name())
                             .arg(w.Background.name()));
    // The client area ends exactly at its designed size: its last pixels are the
    // window's, the next ones the empty screen's.
    const int right = w.ClientSize.width() * v.Scale, bottom = w.ClientSize.height() * v.Scale;
    if (!Near(v.At(right - 1, bottom / 2), w.Background, 6) ||
        Near(v.At(right, bottom / 2), w.Background, 6))
        Fail(w.Name, u"client area is not %1 pixels wide"_s.arg(w.ClientSize.width()));
    if (!Near(v.At(right / 2 + 20, bottom - 1), w.Background, 6) ||
        Near(v.At(right / 2 + 20, bottom), w.Background, 6))
        Fail(w.Name, u"client area is not %1 pixels high"_s.arg(w.ClientSize.height()));
    for (const TControlLook& c : w.Controls)
        CheckControl(v, c, w.Background);
}

// Waits until the window's background shows at both ends of its client area, then a
// little longer so that every control has painted, photographs the screen and checks it.
void CheckOnScreen(QGuiApplication& app, const TWindowLayout& layout, int scale,
                   const QString& out) {
    TView view{{}, layout.Origin, scale, layout.ClientSize};
    QElapsedTimer clock;
    clock.start();
    bool shown = false;
    while (clock.elapsed() < 30000 && !shown) {
        QThread::msleep(200);
        view.Screen = app.primaryScreen()->grabWindow(0).toImage();
        shown = Near(view.At(layout.BackgroundPoints.front().x() * scale,
                             layout.BackgroundPoints.front().y() * scale),
                     layout.Background, 6) &&
                Near(view.At(layout.ClientSize.width() * scale - 2,
                             layout.ClientSize.height() * scale - 2),
                     layout.Background, 6);
    }
    QThread::msleep(1000);
    view.Screen =
        app.primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    view.Screen.save(out);
    std::printf("%s at x%d: screenshot %s\n", layout.Name, scale, qPrintable(out));
    if (!shown)
        Fail(layout.Name, u"no window with the background colour at the designed place"_s);
    else
        CheckWindow(view, layout);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: visualcheck BINARY PROGRAM SCALE OUT.png\n");
        return 2;
    }
    const QString binary = QString::fromLocal8Bit(argv[1]);
    const QString program = QString::fromLocal8Bit(argv[2]);
    const int scale = std::atoi(argv[3]);
    const QString out = QString::fromLocal8Bit(argv[4]);
    const TProgramLayout& programLayout = LayoutOf(program);
    const TWindowLayout& layout = programLayout.Windows.front();

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"QT_SCALE_FACTOR"_s, QString::number(scale));
    env.insert(u"QT_AUTO_SCREEN_SCALE_FACTOR"_s, u"0"_s);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(binary, {});
    if (!process.waitForStarted(10000)) {
        Fail(layout.Name, u"could not start "_s + binary);
        return g_failures;
    }

    for (std::size_t i = 0; i < programLayout.Windows.size(); ++i) {
        if (i > 0) {
            const QPoint click = (layout.Origin + programLayout.Openers[i - 1]) * scale;
            QProcess::execute(u"xdotool"_s, {u"mousemove"_s, QString::number(click.x()),
                                             QString::number(click.y()), u"click"_s, u"1"_s});
        }
        QString file = out;
        if (i > 0)
            file.replace(u".png"_s, u"-%1.png"_s.arg(i));
        CheckOnScreen(app, programLayout.Windows[i], scale, file);
    }

    process.kill();
    process.waitForFinished(5000);
    std::printf("%s at x%d: %d failure(s)\n", qPrintable(program), scale, g_failures);
    return g_failures;
}
