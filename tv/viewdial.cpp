#include "common/appshell.h"
#include "tv/main.h"

#include <clocale>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    // QApplication has just set the locale from the environment; libmpv needs C numbers.
    std::setlocale(LC_NUMERIC, "C");
    TApplication::SetTitle(u"晴棠网络电视"_s);
    QApplication::setApplicationName(u"viewdial"_s);
    QApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
    QGuiApplication::setDesktopFileName(u"viewdial"_s);
    TMainFrm mainFrm;
    QApplication::setWindowIcon(mainFrm.windowIcon());
    mainFrm.show();
    return app.exec();
}
