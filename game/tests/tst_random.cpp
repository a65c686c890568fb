// Random presses over every control of both windows, half of them clicks and
// half the keys that stand for the controls, checking after each press the
// invariants of the answer and that the score counts exactly the dealt puzzles
// that were settled or replaced.

#include "common/appshell.h"
#include "game/numkeys.h"
#include "game/tests/player.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <map>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Presses = 20000;

// What the player knows of the pending marks, kept from what each press does.
struct TMarks {
    bool Deal = false;
    bool Pick = false;
    int Counted = 0; // dealt puzzles judged, given up or replaced

    void Settle() {
        Counted += Deal ? 1 : 0;
        Deal = Pick = false;
    }
};

} // namespace

class TestRandomPresses : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { IgnorePlatformNoise(); }

    void cleanup() { QVERIFY(!QApplication::activeModalWidget()); }

    void randomPresses() {
        TGameWindows w;
        TPlayer player(w);
        TNumFrm& frm = w.NumFrm;
        TNumGame& game = frm.Game();
        std::mt19937 random(20240607);
        game.Random().seed(7);

        QList<QWidget*> commands = {frm.StartBtn, frm.MeBtn, frm.PCBtn, frm.NULLBtn, frm.ChangeSB};
        QList<QWidget*> operators;
        for (std::size_t i = 0; i < frm.SpeedButtons.size(); ++i)
            for (int copies = i < 4 ? 4 : 1; copies > 0; --copies) // + - X / over ( ) and ←
                operators << frm.SpeedButtons[i];
        QList<QWidget*> panels;
        for (TClickPanel* panel : frm.Num)
            panels << panel;
        // Every control can be pressed at any time, but like a player the test
        // mostly presses a number after an operator and an operator after a
        // number, and "作答完毕" once it is enabled, so that many answers get judged.
        const auto nextControl = [&]() -> QWidget* {
            const QString& answer = game.State().Answer;
            const bool afterNumber = !answer.isEmpty() && answer.back().isDigit();
            const bool allUsed = WholeNumbers(answer).size() >= 4;
            const bool pending = game.State().DealMark == 1 || game.State().PickMark == 1;
            const std::array<int, 5> weights = {pending ? 1 : 6, frm.OKBtn->isEnabled() ? 3 : 1,
                                                afterNumber ? 8 : 2, afterNumber ? 1 : 10,
                                                allUsed && !frm.OKBtn->isEnabled() ? 6 : 1};
            std::discrete_distribution<int> kind(weights.begin(), weights.end());
            const auto pickFrom = [&](const QList<QWidget*>& list) {
                return list[qsizetype(random() % list.size())];
            };
            switch (kind(random)) {
            case 0:
                return pickFrom(commands);
            case 1:
                return frm.OKBtn;
            case 2:
                return pickFrom(operators);
            case 3:
                return pickFrom(panels);
            default:
                return frm.SpeedButtons[6]; // backspace
            }
        };
        const QStringList pickable = [&] {
            QStringList captions;
            for (const QToolButton* button : w.SelFrm.SpeedButtons)
                captions << button->text();
            return captions;
        }();

        // The keys that stand for the controls; a number panel is typed as its digits.
        std::map<QWidget*, Qt::Key> keyOf = {
            {frm.OKBtn, Qt::Key_Return}, {frm.StartBtn, Qt::Key_F2}, {frm.MeBtn, Qt::Key_F3},
            {frm.NULLBtn, Qt::Key_F4},   {frm.PCBtn, Qt::Key_F5},    {frm.ChangeSB, Qt::Key_F6}};
        const std::array<Qt::Key, 7> operatorKeys = {
            Qt::Key_Plus,      Qt::Key_Minus,      Qt::Key_Asterisk, Qt::Key_Slash,
            Qt::Key_ParenLeft, Qt::Key_ParenRight, Qt::Key_Backspace};
        for (std::size_t i = 0; i < operatorKeys.size(); ++i)
            keyOf[frm.SpeedButtons[i]] = operatorKeys[i];
        // Returns how many presses it took: a number of two digits takes two.
        const auto pressByKey = [&](QWidget* control) -> qsizetype {
            const auto* panel = qobject_cast<const TClickPanel*>(control);
            if (!panel)
                player.Key(keyOf.at(control));
            else if (panel->text().isEmpty())
                player.Click(control); // an empty panel has no key
            else
                player.Type(panel->text());
            return panel ? std::max<qsizetype>(panel->text().size(), 1) : 1;
        };

        TMarks marks;
        int verdicts = 0;
        for (int press = 0; press < Presses; ++press) {
            QWidget* control = nextControl();
            const bool byKey = random() % 2 == 0;
            // The player stops typing before judging, so that the verdict is foreseen.
            if (control == frm.OKBtn)
                frm.Keyboard().EndWait();
            const TGameState& state = game.State();
            const bool pending = marks.Deal || marks.Pick;
            const bool complete = state.Numbers[3] != 0;
            if (control == frm.StartBtn) {
                marks.Counted += marks.Deal ? 1 : 0;
                marks.Deal = true;
            } else if (control == frm.MeBtn) {
                marks.Counted += marks.Deal ? 1 : 0;
                marks.Deal = false;
                marks.Pick = true;
                player.PickerPresses.clear();
                player.PickerTyped = random() % 2 == 0;
                for (int i = 2 + int(random() % 7); i > 0; --i)
                    player.PickerPresses << pickable[qsizetype(random() % pickable.size())];
            } else if (control == frm.PCBtn || control == frm.NULLBtn) {
                if (pending && complete)
                    marks.Settle();
            } else if (control == frm.OKBtn) {
                if (frm.OKBtn->isEnabled() && pending && WholeNumbers(state.Answer).size() == 4) {
                    marks.Settle();
                    ++verdicts;
                }
            }

            const qsizetype boxes = player.Messages.size();
            qsizetype presses = 1;
            if (byKey)
                presses = pressByKey(control);
            else
                player.Click(control);
            const QString where = u"press %1 on %2"_s.arg(press).arg(control->objectName());

            QVERIFY2(player.Messages.size() - boxes <= presses, qPrintable(where));
            QVERIFY2(!player.BoxNames.contains(u"ErrorReport"_s), qPrintable(where));
            for (QChar c : state.Answer)
                QVERIFY2(u"0123456789+-*/()"_s.contains(c), qPrintable(where));
            const QList<int> used = WholeNumbers(state.Answer);
            for (int value : used) {
                QVERIFY2(value >= 1 && value <= 13, qPrintable(where));
                QVERIFY2(used.count(value) <=
                             std::count(state.Numbers.begin(), state.Numbers.end(), value),
                         qPrintable(where + u" answer "_s + state.Answer));
            }
            QCOMPARE(frm.NumEdt->text(), state.Answer);
            QVERIFY2(frm.OKBtn->isEnabled() == game.IsValidExpr(state.Answer),
                     qPrintable(where + u" answer "_s + state.Answer));
            QVERIFY2(state.RightCount + state.WrongCount == marks.Counted, qPrintable(where));
            QVERIFY2((state.DealMark == 1) == marks.Deal, qPrintable(where));
            QVERIFY2((state.PickMark == 1) == marks.Pick, qPrintable(where));
            QVERIFY2(QApplication::activeModalWidget() == nullptr, qPrintable(where));
        }
        qInfo("%d presses, %d answers judged, %d dealt puzzles counted, %lld boxes answered",
              Presses, verdicts, marks.Counted, qlonglong(player.Messages.size()));
        QVERIFY(verdicts > 0);
    }
};

NUMUI_TEST_MAIN(TestRandomPresses)
#include "tst_random.moc"
