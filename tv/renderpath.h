#pragma once

#include <QString>

// How the media-player control draws its pictures: through OpenGL, where libmpv scales
// and converts colours on the GPU (and may decode there), or in software, where libmpv
// draws straight into an image at the size it is shown.
enum class TRenderPath { OpenGL, Software };

struct TRenderChoice {
    TRenderPath path = TRenderPath::Software;
    // OpenGL was asked for and cannot be had: the user should hear why it is not used.
    bool refused = false;
};

// The environment variable that forces a path: "opengl" or "software".
inline constexpr char RenderPathVariable[] = "VIEWDIAL_RENDER";

// A software rasterizer draws OpenGL on the CPU, and more slowly than libmpv's own
// software renderer, so a context that names one counts as no GPU.
bool IsSoftwareRasterizer(const QString& renderer);

// forced: the value of VIEWDIAL_RENDER (empty when unset); contextMade and renderer:
// whether an OpenGL context could be made on this display, and its GL_RENDERER.
TRenderChoice ChooseRenderPath(const QString& forced, bool contextMade, const QString& renderer);
