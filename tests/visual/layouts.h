#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

// What a control must look like on screen, in the client coordinates of its window.
enum class TLook {
    Filled, // its inside is mostly Colour, and nothing of it spills past its rectangle
    Framed, // a bordered control: its inside differs from the window background
    Ink,    // a flat control: it draws marks of Colour inside its rectangle, none outside
};

struct TControlLook {
    const char* Name;
    QRect Rect;
    TLook Look;
    QColor Colour;         // for Filled and Ink; for Ink an invalid colour means any mark
    QString Text;          // a caption with Chinese glyphs to find inside the rectangle, or empty
    int FontPixels;        // the caption's font height
    bool Contained = true; // its marks stay inside its rectangle
};

struct TWindowLayout {
    const char* Name;
    QPoint Origin; // the client area's top-left on screen
    QSize ClientSize;
    QColor Background;
    std::vector<QPoint> BackgroundPoints; // client points no control covers
    std::vector<TControlLook> Controls;
};

// The windows of a program, in the order they are checked. Each window after the
// first is opened by a click on a point of the main window's client area.
struct TProgramLayout {
    std::vector<TWindowLayout> Windows;
    std::vector<QPoint> Openers;
};

const TProgramLayout& LayoutOf(const QString& program);
