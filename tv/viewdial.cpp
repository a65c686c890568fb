#include "common/appshell.h"
#include "tv/main.h"

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TApplication::SetTitle(u"晴棠网络电视"_s);
    QApplication::setApplicationName(u"viewdial"_s);
    QApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
    QGuiApplication::setDesktopFileName(u"viewdial"_s);
    TMainFrm mainFrm;
    QApplication::setWindowIcon(mainFrm.windowIcon());
    mainFrm.show();
    return app.exec();
}
