#include "common/appshell.h"
#include "tv/allocator.h"
#include "tv/main.h"

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    SetAllocatorPolicy();
    TApplication app(argc, argv);
    TApplication::SetIdentity(u"晴棠网络电视"_s, u"viewdial"_s, QStringLiteral(PROGRAM_VERSION));
    TMainFrm mainFrm;
    QApplication::setWindowIcon(mainFrm.windowIcon());
    mainFrm.show();
    return app.exec();
}
