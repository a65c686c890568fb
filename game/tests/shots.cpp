// number_shots OUTDIR: plays a few turns of the game and photographs the game
// window with reference answers after giving up (number-window.png), the game
// window in the middle of an answer (number-answer.png) and the picker
// (picker.png). Run it under Xvfb to photograph the windows as the X server
// shows them.

#include "common/appshell.h"
#include "game/tests/player.h"

#include <QDir>
#include <QScreen>
#include <QTest>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

// Photographs the part of the screen under area (the window's own client area
// when empty) once the window is drawn.
bool Photograph(QWidget& window, const QRect& area, const QString& path) {
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QTest::qWait(300);
    const QRect rect = area.isEmpty() ? window.geometry() : area;
    QPixmap shot = window.screen()->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height());
    if (shot.isNull())
        shot = window.grab();
    return shot.save(path);
}

// Deals until the puzzle on show has a solution, and returns it.
QString DealSolvable(TPlayer& player, TGameWindows& w) {
    QString solution;
    while (solution.isEmpty()) {
        player.Press(u"StartBtn"_s);
        solution = SolutionFor(w.NumFrm.Game().State().Numbers);
    }
    return solution;
}

} // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TApplication::SetTitle(u"晴棠算24点"_s);
    QApplication::setWindowIcon(NumberIcon());
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s);

    TGameWindows w;
    TPlayer player(w);
    w.NumFrm.Game().Random().seed(24);

    // Two puzzles answered right, then one given up: the strip shows one success
    // and the memo the reference answers.
    for (int turn = 0; turn < 2; ++turn) {
        player.Enter(DealSolvable(player, w));
        player.Press(u"OKBtn"_s);
    }
    DealSolvable(player, w);
    player.Press(u"PCBtn"_s);
    bool ok = Photograph(w.NumFrm, {}, out.filePath(u"number-window.png"_s));

    const QString solution = DealSolvable(player, w);
    player.Enter(solution.left(solution.lastIndexOf(u')') - 1));
    ok = Photograph(w.NumFrm, {}, out.filePath(u"number-answer.png"_s)) && ok;

    // The picker over the game window, as the player sees it while picking.
    player.Press(u"ChangeSB"_s);
    w.SelFrm.show();
    for (const int number : {3, 8, 12})
        QTest::mouseClick(w.SelFrm.SpeedButtons[std::size_t(number - 1)], Qt::LeftButton);
    ok = Photograph(w.SelFrm, w.NumFrm.geometry(), out.filePath(u"picker.png"_s)) && ok;
    w.SelFrm.hide();
    return ok ? 0 : 1;
}
