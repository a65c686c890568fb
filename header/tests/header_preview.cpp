// A bare host window carrying the maker header, for looking at the strip by eye:
//   makerheader_preview number|viewdial [hint]
// "hint" also pops up the companion button's hint, as hovering over it would.

#include "header/makerheader.h"

#include "common/appshell.h"

#include <QHelpEvent>
#include <QTimer>
#include <QToolButton>

#include <random>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool number = arguments.value(1) != u"viewdial"_s;

    QWidget host;
    host.setWindowTitle(number ? u"晴棠算24点"_s : u"晴棠网络电视"_s);
    host.setAutoFillBackground(true);
    QPalette palette = host.palette();
    palette.setColor(QPalette::Window, number ? QColor(192, 220, 192) : QColor(166, 202, 240));
    host.setPalette(palette);
    host.setGeometry(20, 20, number ? 489 : 458, 70);

    std::mt19937 random;
    auto* header = new TMakerHeader(
        &host, number ? TMakerHeader::TPlacement::Number : TMakerHeader::TPlacement::Viewdial,
        random);
    TApplication::SetHintHidePause(30000);
    header->Setup();
    host.show();

    if (arguments.contains(u"hint"_s)) {
        QTimer::singleShot(300, header, [header] {
            QToolButton* dovrel = header->DovrelSB();
            const QPoint centre = dovrel->rect().center();
            QHelpEvent hover(QEvent::ToolTip, centre, dovrel->mapToGlobal(centre));
            QApplication::sendEvent(dovrel, &hover);
        });
    }
    return app.exec();
}
