#include "common/appshell.h"
#include "game/num24.h"
#include "game/sel.h"

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TApplication::SetIdentity(u"晴棠算24点"_s, u"number"_s, QStringLiteral(PROGRAM_VERSION));
    QApplication::setWindowIcon(NumberIcon());

    TNumFrm NumFrm;
    TSelFrm SelFrm(NumFrm.Game(), &NumFrm);
    NumFrm.SetPicker(&SelFrm);

    NumFrm.show();
    return app.exec();
}
