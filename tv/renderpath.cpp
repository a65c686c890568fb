#include "tv/renderpath.h"

using namespace Qt::Literals::StringLiterals;

bool IsSoftwareRasterizer(const QString& renderer) {
    for (const QString& name : {u"llvmpipe"_s, u"softpipe"_s, u"swrast"_s})
        if (renderer.contains(name, Qt::CaseInsensitive))
            return true;
    return false;
}

TRenderChoice ChooseRenderPath(const QString& forced, bool contextMade, const QString& renderer) {
    const QString wanted = forced.trimmed().toLower();
    if (wanted == u"software"_s)
        return {TRenderPath::Software, false};
    if (wanted == u"opengl"_s)
        return contextMade ? TRenderChoice{TRenderPath::OpenGL, false}
                           : TRenderChoice{TRenderPath::Software, true};
    if (contextMade && !IsSoftwareRasterizer(renderer))
        return {TRenderPath::OpenGL, false};
    return {TRenderPath::Software, false};
}
