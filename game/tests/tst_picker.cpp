// The number picker, opened from the game window with "由我出题" and closed with
// its close box.

#include "common/appshell.h"
#include "game/tests/player.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::Literals::StringLiterals;

class TestPicker : public TGameTestCase {
    Q_OBJECT

    TSelFrm& Sel() { return W->SelFrm; }

private slots:
    void window() {
        Sel().show();
        QCOMPARE(Sel().windowTitle(), u"选择数字"_s);
        QCOMPARE(Sel().frameGeometry(), QRect(149, 223, 497, 77));
        QCOMPARE(Sel().palette().color(QPalette::Window), QColor(255, 251, 240));
        QVERIFY(Sel().autoFillBackground());
        QCOMPARE(Sel().font().pixelSize(), 11);
        Sel().close();
    }

    void buttons_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("left");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("spoken");
        const int lefts[] = {8, 40, 72, 104, 136, 168, 200, 232, 264, 296, 328, 360, 392};
        for (int i = 0; i < 13; ++i)
            QTest::addRow("SpeedButton%d", i + 1) << i << QString::number(i + 1) << lefts[i]
                                                  << QColor(255, 0, 0) << QString::number(i + 1);
        QTest::newRow("SpeedButton14")
            << 13 << u"←"_s << 448 << QColor(255, 0, 255) << u"backspace"_s;
    }

    void buttons() {
        QFETCH(int, index);
        QFETCH(QString, caption);
        QFETCH(int, left);
        QFETCH(QColor, colour);
        QFETCH(QString, spoken);
        QToolButton* button = Sel().SpeedButtons[std::size_t(index)];
        QCOMPARE(button->objectName(), QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->geometry(), QRect(left, 8, 33, 33));
        QCOMPARE(button->font().pixelSize(), 32);
        QVERIFY(QFontMetrics(button->font()).inFont(caption.front()));
        QCOMPARE(button->palette().color(QPalette::ButtonText), colour);
        QVERIFY(button->autoRaise());
        QCOMPARE(button->accessibleName(), spoken);
    }

    void presses_data() {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QList<int>>("numbers");
        QTest::newRow("five sevens fill four slots")
            << QStringList{u"7"_s, u"7"_s, u"7"_s, u"7"_s, u"7"_s} << QList<int>{7, 7, 7, 7};
        QTest::newRow("3 8 back back 5")
            << QStringList{u"3"_s, u"8"_s, u"←"_s, u"←"_s, u"5"_s} << QList<int>{5, 0, 0, 0};
        QTest::newRow("backspace on nothing") << QStringList{u"←"_s} << QList<int>{0, 0, 0, 0};
        QTest::newRow("backspace frees the last slot")
            << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"←"_s, u"9"_s}
            << QList<int>{1, 2, 3, 9};
        QTest::newRow("closed without a press") << QStringList{} << QList<int>{0, 0, 0, 0};
    }

    void presses() {
        QFETCH(QStringList, presses);
        QFETCH(QList<int>, numbers);
        P->Pick({6, 6, 6, 6});
        P->PickerPresses = presses;
        P->Press(u"MeBtn"_s);
        for (std::size_t i = 0; i < 4; ++i) {
            QCOMPARE(State().Numbers[i], numbers[qsizetype(i)]);
            QCOMPARE(W->NumFrm.Num[i]->text(),
                     numbers[qsizetype(i)] ? QString::number(numbers[qsizetype(i)]) : QString());
        }
        QCOMPARE(State().PickMark, 1);
        QCOMPARE(P->Messages, QStringList());
    }

    void bigNumbers_data() {
        QTest::addColumn<bool>("wide");
        QTest::newRow("range 9") << false;
        QTest::newRow("range 13") << true;
    }

    void bigNumbers() {
        QFETCH(bool, wide);
        P->Pick({});
        if (wide)
            P->Press(u"ChangeSB"_s);
        P->Pick({12, 10, 13, 11});
        for (std::size_t i = 9; i < 13; ++i) {
            QCOMPARE(Sel().SpeedButtons[i]->isEnabled(), wide);
            // Disabled keys show a greyed caption, not the red one.
            QVERIFY(Sel().SpeedButtons[i]->palette().color(QPalette::Disabled,
                                                           QPalette::ButtonText) != Qt::red);
        }
        for (std::size_t i : {0u, 8u, 13u})
            QVERIFY(Sel().SpeedButtons[i]->isEnabled());
        QCOMPARE(State().Numbers,
                 (wide ? std::array<int, 4>{12, 10, 13, 11} : std::array<int, 4>{}));
    }

    void openingCountsPendingDealWrong() {
        P->Press(u"StartBtn"_s);
        P->Press(u"SpeedButton5"_s);
        P->Pick({});
        QCOMPARE(State().WrongCount, 1);
        QCOMPARE(State().DealMark, 0);
        QCOMPARE(State().PickMark, 1);
        QCOMPARE(W->NumFrm.StatusImage->toolTip(), u"0/1"_s);
        QCOMPARE(W->NumFrm.StartBtn->palette().color(QPalette::ButtonText),
                 QApplication::palette().color(QPalette::WindowText));
        QCOMPARE(State().Answer, QString());
        QCOMPARE(W->NumFrm.NumEdt->text(), QString());
        QVERIFY(!W->NumFrm.OKBtn->isEnabled());
        for (const TClickPanel* panel : W->NumFrm.Num) {
            QCOMPARE(panel->text(), QString());
            QCOMPARE(panel->accessibleName(), u"empty"_s);
        }
    }

    void fewerThanFourNumbersLeft() {
        P->Pick({4, 6});
        P->Press(u"NULLBtn"_s);
        P->Press(u"Num0"_s);
        QCOMPARE(P->Messages, QStringList(2, u"需要四个数字才能开始解答!"_s));
        QCOMPARE(State().PickMark, 1);
        QCOMPARE(State().Answer, QString());
    }

    void pickThenDeal() {
        P->Pick({1, 2, 3, 4});
        P->Enter(u"1+2"_s);
        P->Press(u"StartBtn"_s);
        QCOMPARE(State().Answer, QString());
        QCOMPARE(State().WrongCount, 0);
        QVERIFY(State().Numbers[3] != 0);
        QCOMPARE(State().PickMark, 1);
        QCOMPARE(State().DealMark, 1);
    }
};

NUMUI_TEST_MAIN(TestPicker)
#include "tst_picker.moc"
