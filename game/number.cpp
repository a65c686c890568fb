#include "common/appshell.h"
#include "game/num24.h"
#include "game/sel.h"

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TApplication::SetTitle(u"晴棠算24点"_s);
    QApplication::setApplicationName(u"number"_s);
    QApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
    QGuiApplication::setDesktopFileName(u"number"_s);
    QApplication::setWindowIcon(NumberIcon());

    TNumFrm NumFrm;
    TSelFrm SelFrm(NumFrm.Game(), &NumFrm);
    NumFrm.SetPicker(&SelFrm);

    NumFrm.show();
    return app.exec();
}
