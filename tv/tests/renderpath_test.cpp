#include "tv/renderpath.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TPathCase {
    const char* name;
    QString forced;
    bool contextMade;
    QString renderer;
    TRenderPath path;
    bool refused;
};

const QString Gpu = u"Mesa Intel(R) UHD Graphics 620 (KBL GT2)"_s;

const TPathCase PathCases[] = {
    {"unset, a GPU: OpenGL", {}, true, Gpu, TRenderPath::OpenGL, false},
    {"unset, llvmpipe: software",
     {},
     true,
     u"llvmpipe (LLVM 15.0.6, 256 bits)"_s,
     TRenderPath::Software,
     false},
    {"unset, softpipe: software", {}, true, u"softpipe"_s, TRenderPath::Software, false},
    {"unset, swrast: software", {}, true, u"Mesa X11 swrast"_s, TRenderPath::Software, false},
    {"unset, no context: software", {}, false, {}, TRenderPath::Software, false},
    {"forced OpenGL on llvmpipe: OpenGL", u"opengl"_s, true, u"llvmpipe (LLVM 15.0.6)"_s,
     TRenderPath::OpenGL, false},
    {"forced OpenGL without a context: software, said so",
     u"opengl"_s,
     false,
     {},
     TRenderPath::Software,
     true},
    {"forced software on a GPU: software", u"software"_s, true, Gpu, TRenderPath::Software, false},
    {"forced in capitals with spaces", u" OpenGL "_s, true, u"llvmpipe"_s, TRenderPath::OpenGL,
     false},
    {"an unknown value counts as unset", u"vulkan"_s, true, u"llvmpipe"_s, TRenderPath::Software,
     false},
};

TEST(RenderPathTest, EnvironmentAndDisplayChooseThePath) {
    for (const TPathCase& c : PathCases) {
        SCOPED_TRACE(c.name);
        const TRenderChoice choice = ChooseRenderPath(c.forced, c.contextMade, c.renderer);
        EXPECT_EQ(choice.path, c.path);
        EXPECT_EQ(choice.refused, c.refused);
    }
}

} // namespace
