// The game window driven as a player drives it: its controls, dealing, the score
// strip, giving up, answer entry and judging.

#include "common/appshell.h"
#include "game/core/tests/gamesetup.h"
#include "game/core/tests/messagetexts.h"
#include "game/tests/player.h"
#include "header/fixedvalues.h"
#include "header/makerheader.h"
#include "tests/expectedcolours.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>

#include <memory>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace expected;

QColor WindowText() {
    return QApplication::palette().color(QPalette::WindowText);
}

// The colour role a control draws its caption with, and the one it fills behind it.
QPalette::ColorRole TextRole(const QWidget* w) {
    if (qobject_cast<const QAbstractButton*>(w))
        return QPalette::ButtonText;
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w))
        return QPalette::Text;
    return QPalette::WindowText;
}

QPalette::ColorRole BackRole(const QWidget* w) {
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w))
        return QPalette::Base;
    return QPalette::Window;
}

QString CaptionOf(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* m = qobject_cast<const QPlainTextEdit*>(w))
        return m->toPlainText().section(u'\n', 0, 0);
    return {};
}

} // namespace

class TestNumFrm : public TGameTestCase {
    Q_OBJECT

    TNumFrm& Frm() { return W->NumFrm; }
    QStringList MemoLines() { return Frm().Memo2->toPlainText().split(u'\n'); }

    // Deals in fresh windows, one seed after another, until the first deal shows
    // a puzzle with (or without) a solution. The score is still 0/0.
    void DealFirst(bool solvable) {
        for (unsigned seed = 1; seed < 1000; ++seed) {
            NewWindows();
            Frm().Game().Random().seed(seed);
            P->Press(u"StartBtn"_s);
            if (SolutionFor(State().Numbers).isEmpty() != solvable)
                return;
        }
        QFAIL("no such deal");
    }

private slots:
    void window() {
        QCOMPARE(Frm().windowTitle(), u"晴棠算24点 1.1"_s);
        QCOMPARE(Frm().geometry(), QRect(149, 90, 489, 427));
        QCOMPARE(Frm().palette().color(QPalette::Window), MoneyGreen);
        QVERIFY(Frm().autoFillBackground());
        QCOMPARE(Frm().font().pixelSize(), 11);
        QVERIFY(QFontMetrics(Frm().font()).inFont(u'算'));
        QCOMPARE(MemoLines(),
                 QStringList({u"游戏说明："_s, u"机选或自选四个数字（1-9）或者（1-13），通"_s,
                              u"过+，-，X，/和（）的运算得出最后结果24即"_s,
                              u"为胜利，如果无解并最终确认也为胜利。"_s}));
        QVERIFY(QTest::qWaitForWindowExposed(&Frm()));
        for (QTextBlock line = Frm().Memo2->document()->begin(); line.isValid(); line = line.next())
            QVERIFY2(line.layout()->lineCount() == 1, qPrintable(line.text()));
        QVERIFY(!Frm().Memo2->isReadOnly());
        QCOMPARE(Frm().Memo2->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(Frm().Memo2->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(Frm().Memo2->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(Frm().Memo2->frameShape(), QFrame::NoFrame);
        QVERIFY(Frm().NumEdt->isReadOnly());
        QVERIFY(!Frm().NumEdt->hasFrame());
        QVERIFY(!Frm().OKBtn->isEnabled());
        QCOMPARE(Frm().ChangeSB->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(Frm().ChangeSB->autoRaise());
        QVERIFY(Frm().SucessImage->isHidden());
        QVERIFY(Frm().FalseImage->isHidden());
        QCOMPARE(Frm().SucessImage->pixmap().size(), QSize(32, 32));
        QCOMPARE(Frm().FalseImage->pixmap().size(), QSize(32, 32));
        QCOMPARE(Frm().StatusImage->Picture().size(), QSize(2048, 32));
        QCOMPARE(Frm().StatusImage->Picture().toImage().pixelColor(5, 5).alpha(), 0);
    }

    // The maker's header sits at the top left, set up before the answer engine.
    void makerHeader() {
        auto* logo = Frm().findChild<QLabel*>(u"LogoImage"_s);
        auto* dovrel = Frm().findChild<QToolButton*>(u"DovrelSB"_s);
        QVERIFY(logo && dovrel);
        QCOMPARE(logo->geometry(), QRect(0, 0, 145, 55));
        QCOMPARE(dovrel->geometry(), QRect(192, 16, 23, 22));
        QCOMPARE(dovrel->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(dovrel->isVisibleTo(&Frm()));
        QCOMPARE(dovrel->toolTip(), MakerHeader::PromotionHint.toString());
        QCOMPARE(dovrel->toolTip().count(u'\n'), 5);
        QCOMPARE(TApplication::HintHidePause(), 30000);
        // The data set is created after the header: answers are still judged.
        QCOMPARE(Frm().Game().EvalSql(u"6*4"_s), u"24"_s);
    }

    void makerHeaderClicks() {
        QStringList opened;
        const App::UrlOpener previous =
            App::SetUrlOpener([&](const QUrl& url) { opened << url.toString(); });
        QTest::mouseClick(Frm().findChild<QLabel*>(u"LogoImage"_s), Qt::LeftButton);
        QCOMPARE(opened, QStringList{MakerHeader::MakerAddress.toString()});

        opened.clear();
        std::mt19937::result_type seed = 0;
        Frm().Header()->SetSeedSource([&seed] { return seed++; });
        auto* dovrel = Frm().findChild<QToolButton*>(u"DovrelSB"_s);
        for (int i = 0; i < 1000; ++i)
            QTest::mouseClick(dovrel, Qt::LeftButton);
        App::SetUrlOpener(previous);
        const auto pageA = opened.count(MakerHeader::DownloadPageA.toString());
        const auto pageB = opened.count(MakerHeader::DownloadPageB.toString());
        QCOMPARE(pageA + pageB, 1000);
        QVERIFY2(pageA > 400 && pageB > 400, qPrintable(u"A %1, B %2"_s.arg(pageA).arg(pageB)));
    }

    void controls_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("fontPixels");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("back");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("spoken");

        const QColor any;
        const QStringList keys = {u"+"_s, u"-"_s, u"X"_s, u"/"_s, u"("_s, u")"_s, u"←"_s};
        const QStringList spoken = {u"plus"_s,     u"minus"_s,        u"times"_s,
                                    u"divide"_s,   u"open bracket"_s, u"close bracket"_s,
                                    u"backspace"_s};
        for (int i = 0; i < keys.size(); ++i)
            QTest::addRow("SpeedButton%d", i + 1)
                << u"QToolButton"_s << QRect(48 + 40 * i, 120, 32, 32) << keys[i] << 32 << any
                << any << QString() << spoken[i];
        for (int i = 0; i < 4; ++i)
            QTest::addRow("Num%d", i) << u"TClickPanel"_s << QRect(48 + 72 * i, 64, 57, 41)
                                      << QString() << 32 << Red << Cream << QString() << u"empty"_s;
        QTest::newRow("StatusImage") << u"TImage"_s << QRect(232, 8, 2048, 32) << QString() << 11
                                     << any << any << QString() << QString();
        QTest::newRow("SucessImage") << u"QLabel"_s << QRect(384, 8, 32, 32) << QString() << 11
                                     << any << any << QString() << QString();
        QTest::newRow("FalseImage") << u"QLabel"_s << QRect(424, 8, 32, 32) << QString() << 11
                                    << any << any << QString() << QString();
        QTest::newRow("ChangeSB") << u"QToolButton"_s << QRect(160, 16, 23, 22) << u"9"_s << 21
                                  << Fuchsia << any << u"出题范围在(1-9)与(1-13)之间切换"_s
                                  << u"9"_s;
        QTest::newRow("PCBtn") << u"QPushButton"_s << QRect(240, 200, 81, 25) << u"放弃,看答案"_s
                               << 11 << any << any << QString() << u"放弃,看答案"_s;
        QTest::newRow("Memo2") << u"QPlainTextEdit"_s << QRect(48, 232, 273, 177) << u"游戏说明："_s
                               << 13 << any << MoneyGreen << QString() << QString();
        QTest::newRow("StartBtn") << u"QPushButton"_s << QRect(352, 56, 75, 25) << u"电脑出题"_s
                                  << 11 << WindowText() << any << QString() << u"电脑出题"_s;
        QTest::newRow("MeBtn") << u"QPushButton"_s << QRect(352, 88, 75, 25) << u"由我出题"_s << 11
                               << any << any << QString() << u"由我出题"_s;
        QTest::newRow("OKBtn") << u"QPushButton"_s << QRect(48, 200, 75, 25) << u"作答完毕"_s << 11
                               << any << any << QString() << u"作答完毕"_s;
        QTest::newRow("NULLBtn") << u"QPushButton"_s << QRect(144, 200, 75, 25) << u"确认无解"_s
                                 << 11 << any << any << QString() << u"确认无解"_s;
        QTest::newRow("NumEdt") << u"QLineEdit"_s << QRect(48, 160, 273, 30) << QString() << 21
                                << any << MoneyGreen << QString() << QString();
    }

    void controls() {
        QFETCH(QString, kind);
        QFETCH(QRect, rect);
        QFETCH(QString, caption);
        QFETCH(int, fontPixels);
        QFETCH(QColor, text);
        QFETCH(QColor, back);
        QFETCH(QString, hint);
        QFETCH(QString, spoken);

        auto* control = Frm().findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(control);
        QCOMPARE(control->parentWidget(), &Frm());
        QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
        QCOMPARE(control->geometry(), rect);
        QCOMPARE(CaptionOf(control), caption);
        QCOMPARE(control->font().pixelSize(), fontPixels);
        if (!caption.isEmpty())
            QVERIFY(QFontMetrics(control->font()).inFont(caption.front()));
        if (text.isValid())
            QCOMPARE(control->palette().color(TextRole(control)), text);
        if (back.isValid()) {
            QCOMPARE(control->palette().color(BackRole(control)), back);
        }
        QCOMPARE(control->toolTip(), hint);
        QCOMPARE(control->accessibleName(), spoken);
        if (auto* key = qobject_cast<QToolButton*>(control))
            QVERIFY(key->autoRaise());
    }

    void tabOrder() {
        QStringList order;
        QWidget* w = Frm().PCBtn;
        do {
            if (w->focusPolicy() & Qt::TabFocus && w->isEnabledTo(&Frm()) && w != &Frm())
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != Frm().PCBtn);
        // OKBtn starts disabled, so the chain skips it until an answer is valid.
        QCOMPARE(order,
                 QStringList({u"PCBtn"_s, u"Memo2"_s, u"Num0"_s, u"Num1"_s, u"Num2"_s, u"Num3"_s,
                              u"StartBtn"_s, u"MeBtn"_s, u"NULLBtn"_s, u"NumEdt"_s}));
        QVERIFY(Frm().OKBtn->focusPolicy() & Qt::TabFocus);
        QCOMPARE(Frm().OKBtn->nextInFocusChain(), Frm().NULLBtn);
        QCOMPARE(Frm().MeBtn->nextInFocusChain(), Frm().OKBtn);
    }

    void firstDealLeavesScoreSecondCountsWrong() {
        P->Press(u"StartBtn"_s);
        QCOMPARE(State().WrongCount, 0);
        QCOMPARE(Frm().StatusImage->width(), 2048);
        QCOMPARE(Frm().StatusImage->toolTip(), QString());
        for (const TClickPanel* panel : Frm().Num)
            QCOMPARE(panel->accessibleName(), panel->text());

        P->Press(u"StartBtn"_s);
        QCOMPARE(State().WrongCount, 1);
        QCOMPARE(State().RightCount, 0);
        QCOMPARE(Frm().StatusImage->size(), QSize(32, 32));
        QCOMPARE(Frm().StatusImage->toolTip(), u"0/1"_s);
        QCOMPARE(Frm().StatusImage->Picture().toImage().pixel(16, 16),
                 Frm().FalseImage->pixmap().toImage().pixel(16, 16));
        QVERIFY(P->Messages.isEmpty());
    }

    void dealRange_data() {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("top");
        QTest::newRow("1-9") << false << 9;
        QTest::newRow("1-13") << true << 13;
    }

    void dealRange() {
        QFETCH(bool, wide);
        QFETCH(int, top);
        if (wide)
            P->Press(u"ChangeSB"_s);
        QCOMPARE(Frm().ChangeSB->text(), QString::number(top));
        QCOMPARE(Frm().ChangeSB->accessibleName(), QString::number(top));
        std::set<int> seen;
        for (int deal = 0; deal < 300; ++deal) {
            P->Press(u"StartBtn"_s);
            for (const TClickPanel* panel : Frm().Num)
                seen.insert(panel->text().toInt());
        }
        QCOMPARE(*seen.begin(), 1);
        QCOMPARE(*seen.rbegin(), top);
        QCOMPARE(int(seen.size()), top);
    }

    void switchingRangeKeepsNumbers() {
        P->Press(u"StartBtn"_s);
        const auto numbers = State().Numbers;
        P->Press(u"ChangeSB"_s);
        QCOMPARE(Frm().ChangeSB->text(), u"13"_s);
        QCOMPARE(State().Numbers, numbers);
        P->Press(u"ChangeSB"_s);
        QCOMPARE(Frm().ChangeSB->text(), u"9"_s);
        QCOMPARE(State().Numbers, numbers);
    }

    void showScore_data() {
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("hint");
        QTest::newRow("zero hides the strip") << 0 << 0 << 0 << u"0/0"_s;
        QTest::newRow("minus three shows three failures") << 0 << 3 << 96 << u"0/3"_s;
        QTest::newRow("right 2 wrong 5") << 2 << 5 << 96 << u"2/7"_s;
        QTest::newRow("plus two shows two successes") << 4 << 2 << 64 << u"4/6"_s;
        QTest::newRow("more than the surface holds") << 0 << 70 << 2240 << u"0/70"_s;
    }

    void showScore() {
        QFETCH(int, right);
        QFETCH(int, wrong);
        QFETCH(int, width);
        QFETCH(QString, hint);
        TGameSetup::State(Frm().Game()).RightCount = right;
        TGameSetup::State(Frm().Game()).WrongCount = wrong;
        Frm().ShowScore(right - wrong);
        QCOMPARE(Frm().StatusImage->size(), QSize(width, 32));
        QCOMPARE(Frm().StatusImage->toolTip(), hint);
        if (width == 0)
            return;
        const QImage icon =
            (right > wrong ? Frm().SucessImage : Frm().FalseImage)->pixmap().toImage();
        const QImage strip = Frm().StatusImage->Picture().toImage();
        const int icons = std::min(width, 2048) / 32;
        for (int i = 0; i < icons; ++i)
            QCOMPARE(strip.pixel(32 * i + 16, 16), icon.pixel(16, 16));
        if (icons < 64)
            QCOMPARE(strip.pixelColor(32 * icons + 16, 16).alpha(), 0);
        // The strip grows from its left edge; the window cuts it off.
        const QImage shot = Frm().grab().toImage();
        QCOMPARE(shot.pixel(232 + 16, 8 + 16), icon.pixel(16, 16));
    }

    void dealAndGiveUpMarks() {
        P->Press(u"StartBtn"_s);
        QCOMPARE(State().DealMark, 1);
        QCOMPARE(Frm().StartBtn->palette().color(QPalette::ButtonText), Red);
        P->Press(u"PCBtn"_s);
        QCOMPARE(P->Messages, QStringList());
        QCOMPARE(State().DealMark, 0);
        QCOMPARE(State().PickMark, 0);
        QCOMPARE(State().WrongCount, 1);
        QCOMPARE(Frm().StatusImage->toolTip(), u"0/1"_s);
        QCOMPARE(Frm().StartBtn->palette().color(QPalette::ButtonText), WindowText());
        const QString memo = MemoLines().front();
        QVERIFY2(memo == u"参考答案："_s || memo == u"无解！"_s, qPrintable(memo));
        // The puzzle is settled: giving up again is refused.
        P->Press(u"PCBtn"_s);
        QCOMPARE(P->Messages, QStringList({NoPuzzle}));
        QCOMPARE(State().WrongCount, 1);
    }

    void solverMemoFor1234() {
        P->Pick({1, 2, 3, 4});
        QCOMPARE(State().Numbers, (std::array<int, 4>{1, 2, 3, 4}));
        QCOMPARE(State().PickMark, 1);
        P->Press(u"PCBtn"_s);
        QCOMPARE(P->Messages, QStringList());
        QCOMPARE(MemoLines(), QStringList({u"参考答案："_s, u"1*2*3*4=24"_s, u"2*3*4/1=24"_s,
                                           u"(1+2+3)*4=24"_s, u"(1+3)*(2+4)=24"_s}));
        QCOMPARE(State().PickMark, 0);
        QCOMPARE(State().WrongCount, 0);
    }

    void giveUpRefused_data() {
        QTest::addColumn<QList<int>>("picked");
        QTest::addColumn<QString>("message");
        QTest::newRow("no puzzle") << QList<int>{} << NoPuzzle;
        QTest::newRow("picker closed after two numbers") << QList<int>{5, 6} << NeedFour;
    }

    void giveUpRefused() {
        QFETCH(QList<int>, picked);
        QFETCH(QString, message);
        if (!picked.isEmpty())
            P->Pick(picked);
        const QStringList memo = MemoLines();
        const TGameState before = State();
        P->Press(u"PCBtn"_s);
        QCOMPARE(P->Messages, QStringList({message}));
        QCOMPARE(P->BoxNames, QStringList({u"MessageBox"_s}));
        QCOMPARE(MemoLines(), memo);
        QCOMPARE(State().PickMark, before.PickMark);
        QCOMPARE(State().Numbers, before.Numbers);
        QCOMPARE(State().WrongCount, 0);
    }

    void entryBeforeAnyPuzzle() {
        for (QToolButton* key : Frm().SpeedButtons)
            P->Click(key);
        for (TClickPanel* panel : Frm().Num)
            P->Click(panel);
        QCOMPARE(P->Messages, QStringList(10, NeedFour));
        QCOMPARE(State().Answer, QString());
        QCOMPARE(Frm().NumEdt->text(), QString());
    }

    void entry_data() {
        QTest::addColumn<QList<int>>("puzzle");
        QTest::addColumn<QStringList>("presses"); // object names of the game window
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("valid");

        const QList<int> p1 = {1, 1, 10, 13};
        QTest::newRow("1+1+ refuses a third 1")
            << p1
            << QStringList{u"Num0"_s, u"SpeedButton1"_s, u"Num0"_s, u"SpeedButton1"_s, u"Num1"_s}
            << u"1+1+"_s << false;
        QTest::newRow("10 after 1+1+")
            << p1
            << QStringList{u"Num0"_s, u"SpeedButton1"_s, u"Num1"_s, u"SpeedButton1"_s, u"Num2"_s}
            << u"1+1+10"_s << true;
        QTest::newRow("13 right after 10 refused")
            << p1 << QStringList{u"Num0"_s,         u"SpeedButton1"_s, u"Num1"_s,
                                 u"SpeedButton1"_s, u"Num2"_s,         u"Num3"_s}
            << u"1+1+10"_s << true;
        QTest::newRow("all four") << p1 << QStringList{u"Num0"_s, u"SpeedButton1"_s,
                                                       u"Num1"_s, u"SpeedButton1"_s,
                                                       u"Num2"_s, u"SpeedButton1"_s,
                                                       u"Num3"_s}
                                  << u"1+1+10+13"_s << true;
        QTest::newRow("second 13 refused")
            << p1 << QStringList{u"Num0"_s,         u"SpeedButton1"_s, u"Num1"_s,
                                 u"SpeedButton1"_s, u"Num2"_s,         u"SpeedButton1"_s,
                                 u"Num3"_s,         u"SpeedButton1"_s, u"Num3"_s}
            << u"1+1+10+13+"_s << false;
        QTest::newRow("1 inside 10 is not a 1")
            << p1 << QStringList{u"Num2"_s, u"SpeedButton1"_s, u"Num1"_s, u"SpeedButton2"_s,
                                 u"Num1"_s, u"SpeedButton3"_s, u"Num0"_s}
            << u"10+1-1*"_s << false;
        QTest::newRow("X enters *") << p1 << QStringList{u"SpeedButton3"_s} << u"*"_s << false;
        QTest::newRow("operators obey no rule") << p1
                                                << QStringList{u"SpeedButton6"_s, u"SpeedButton5"_s,
                                                               u"SpeedButton1"_s, u"SpeedButton1"_s}
                                                << u")(++"_s << false;
        QTest::newRow("13+3* refuses another 3")
            << QList<int>{13, 3, 5, 7}
            << QStringList{u"Num0"_s, u"SpeedButton1"_s, u"Num1"_s, u"SpeedButton3"_s, u"Num1"_s}
            << u"13+3*"_s << false;
        QTest::newRow("13+13- takes the 3")
            << QList<int>{13, 13, 3, 4}
            << QStringList{u"Num1"_s, u"SpeedButton1"_s, u"Num0"_s, u"SpeedButton2"_s, u"Num2"_s}
            << u"13+13-3"_s << true;
        QTest::newRow("12*2-2 then no third 2")
            << QList<int>{12, 2, 2, 6}
            << QStringList{u"Num0"_s, u"SpeedButton3"_s, u"Num1"_s, u"SpeedButton2"_s,
                           u"Num1"_s, u"SpeedButton1"_s, u"Num2"_s}
            << u"12*2-2+"_s << false;
        QTest::newRow("backspace on 1+13")
            << p1 << QStringList{u"Num0"_s, u"SpeedButton1"_s, u"Num3"_s, u"SpeedButton7"_s}
            << u"1+"_s << false;
        QTest::newRow("backspace on 13+")
            << p1 << QStringList{u"Num3"_s, u"SpeedButton1"_s, u"SpeedButton7"_s} << u"13"_s
            << true;
        QTest::newRow("backspace on (1")
            << p1 << QStringList{u"SpeedButton5"_s, u"Num0"_s, u"SpeedButton7"_s} << u"("_s
            << false;
        QTest::newRow("backspace on nothing")
            << p1 << QStringList{u"SpeedButton7"_s} << QString() << false;
        QTest::newRow("backspace then the number again")
            << p1
            << QStringList{u"Num3"_s, u"SpeedButton7"_s, u"Num3"_s, u"SpeedButton3"_s,
                           u"SpeedButton5"_s}
            << u"13*("_s << false;
    }

    void entry() {
        QFETCH(QList<int>, puzzle);
        QFETCH(QStringList, presses);
        QFETCH(QString, answer);
        QFETCH(bool, valid);
        P->Press(u"ChangeSB"_s);
        P->Pick(puzzle);
        for (const QString& name : presses)
            P->Press(name);
        QCOMPARE(P->Messages, QStringList());
        QCOMPARE(State().Answer, answer);
        QCOMPARE(Frm().NumEdt->text(), answer);
        QCOMPARE(Frm().OKBtn->isEnabled(), valid);
    }

    void judging_data() {
        QTest::addColumn<bool>("dealt");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("memo");

        QTest::newRow("dealt, right answer")
            << true << u"OKBtn"_s << true << AnswerRight << u"参考答案："_s;
        QTest::newRow("dealt, wrong answer")
            << true << u"OKBtn"_s << false << AnswerWrong << u"参考答案："_s;
        QTest::newRow("dealt, no-solution claim right")
            << true << u"NULLBtn"_s << true << ClaimRight << u"无解！"_s;
        QTest::newRow("dealt, no-solution claim wrong")
            << true << u"NULLBtn"_s << false << ClaimWrong << u"参考答案："_s;
        QTest::newRow("picked, right answer")
            << false << u"OKBtn"_s << true << AnswerRight << u"参考答案："_s;
        QTest::newRow("picked, wrong answer")
            << false << u"OKBtn"_s << false << AnswerWrong << u"参考答案："_s;
        QTest::newRow("picked, no-solution claim right")
            << false << u"NULLBtn"_s << true << ClaimRight << u"无解！"_s;
        QTest::newRow("picked, no-solution claim wrong")
            << false << u"NULLBtn"_s << false << ClaimWrong << u"参考答案："_s;
    }

    void judging() {
        QFETCH(bool, dealt);
        QFETCH(QString, command);
        QFETCH(bool, right);
        QFETCH(QString, message);
        QFETCH(QString, memo);

        const bool claim = command == u"NULLBtn"_s;
        const bool solvable = !(claim && right);
        if (dealt) {
            DealFirst(solvable);
        } else {
            P->Pick(solvable ? QList<int>{3, 3, 8, 8} : QList<int>{1, 1, 1, 1});
        }
        QCOMPARE(Frm().StartBtn->palette().color(QPalette::ButtonText), dealt ? Red : WindowText());
        if (!claim) {
            const auto& n = State().Numbers;
            P->Enter(right ? SolutionFor(n) : NonSolutionFor(n));
            QVERIFY(Frm().OKBtn->isEnabled());
        }
        const QString answer = State().Answer;
        P->Press(command);
        QCOMPARE(P->Messages, QStringList({message}));
        QCOMPARE(MemoLines().front(), memo);
        QCOMPARE(State().RightCount, dealt && right ? 1 : 0);
        QCOMPARE(State().WrongCount, dealt && !right ? 1 : 0);
        QCOMPARE(Frm().StatusImage->width(), dealt ? 32 : 0);
        QCOMPARE(Frm().StatusImage->toolTip(), dealt ? (right ? u"1/1"_s : u"0/1"_s) : u"0/0"_s);
        if (dealt)
            QCOMPARE(
                Frm().StatusImage->Picture().toImage().pixel(16, 16),
                (right ? Frm().SucessImage : Frm().FalseImage)->pixmap().toImage().pixel(16, 16));
        QCOMPARE(State().DealMark, 0);
        QCOMPARE(State().PickMark, 0);
        QCOMPARE(Frm().StartBtn->palette().color(QPalette::ButtonText), WindowText());
        QCOMPARE(State().Answer, answer);
        QCOMPARE(Frm().NumEdt->text(), answer);

        // A second press has no puzzle left to judge.
        P->Press(command);
        QCOMPARE(P->Messages.size(), 2);
        QCOMPARE(P->Messages.back(), NoPuzzle);
        QCOMPARE(State().RightCount + State().WrongCount, dealt ? 1 : 0);
    }

    void threeNumbersAreNotAnAnswer() {
        P->Pick({1, 2, 3, 4});
        P->Enter(u"1+2+3"_s);
        QVERIFY(Frm().OKBtn->isEnabled());
        P->Press(u"OKBtn"_s);
        QCOMPARE(P->Messages, QStringList({UseAllFour}));
        QCOMPARE(State().PickMark, 1);
        P->Enter(u"*4"_s);
        P->Press(u"OKBtn"_s);
        QCOMPARE(P->Messages.back(), AnswerWrong);
        QCOMPARE(State().Answer, u"1+2+3*4"_s);
    }

    void exactDivisionJudgedRight() {
        P->Pick({3, 3, 8, 8});
        P->Enter(u"8/(3-8/3)"_s);
        P->Press(u"OKBtn"_s);
        QCOMPARE(P->Messages, QStringList({AnswerRight}));
    }

    void pickThenDealCounts() {
        P->Pick({1, 2, 3, 4});
        P->Press(u"StartBtn"_s);
        QCOMPARE(State().PickMark, 1);
        QCOMPARE(State().DealMark, 1);
        P->Press(u"NULLBtn"_s);
        QCOMPARE(State().RightCount + State().WrongCount, 1);
        QCOMPARE(State().DealMark, 0);
        QCOMPARE(State().PickMark, 0);
    }

    void engineErrorReachesTheErrorReport() {
        DealFirst(true);
        P->Enter(SolutionFor(State().Numbers));
        QVERIFY(Frm().OKBtn->isEnabled());
        const QStringList memo = MemoLines();
        Frm().Game().FreeDataSet();
        P->Press(u"OKBtn"_s);
        QCOMPARE(P->BoxNames, QStringList({u"ErrorReport"_s}));
        QVERIFY(P->Messages.front().endsWith(u'.'));
        QCOMPARE(State().RightCount + State().WrongCount, 0);
        QCOMPARE(State().DealMark, 1);
        QCOMPARE(MemoLines(), memo);
        // The program goes on.
        P->Press(u"PCBtn"_s);
        QCOMPARE(State().WrongCount, 1);
    }

    void playedByKeys_data() {
        QTest::addColumn<bool>("addedLater");
        QTest::newRow("the memo has the focus") << false;
        QTest::newRow("an edit field added after construction has the focus") << true;
    }

    // Two whole puzzles by keys alone, typed while an editable control has the focus.
    void playedByKeys() {
        QFETCH(bool, addedLater);
        QWidget* focus = Frm().Memo2;
        if (addedLater) {
            focus = new QLineEdit(&Frm());
            focus->show();
        }
        focus->setFocus();
        QCOMPARE(Frm().focusWidget(), focus);
        P->Key(Qt::Key_F4);
        QCOMPARE(P->Messages, QStringList({NoPuzzle}));
        P->Key(Qt::Key_F6);
        Frm().Game().Random().seed(5);
        P->Key(Qt::Key_F2);
        QCOMPARE(State().Numbers, (std::array<int, 4>{3, 1, 12, 11}));
        QCOMPARE(Frm().StartBtn->property("Tag"), QVariant(1));
        // A 1 waits while 11 or 12 can follow; the 8 right after the 3 is refused.
        const QString keys = u"38x12-1-11"_s;
        const QStringList shown = {u"3"_s,       u"3"_s,        u"3*"_s,    u"3*"_s,
                                   u"3*12"_s,    u"3*12-"_s,    u"3*12-"_s, u"3*12-1-"_s,
                                   u"3*12-1-"_s, u"3*12-1-11"_s};
        for (qsizetype i = 0; i < keys.size(); ++i) {
            P->Type(keys.at(i));
            QCOMPARE(Frm().NumEdt->text(), shown[i]);
        }
        QCOMPARE(P->Messages.size(), 1);
        P->Key(Qt::Key_Return);
        QCOMPARE(P->Messages.back(), AnswerRight);
        QCOMPARE(State().RightCount, 1);

        P->PickerTyped = true;
        P->PickerPresses = {u"13"_s, u"5"_s, u"6"_s, u"2"_s};
        P->Key(Qt::Key_F3);
        QCOMPARE(State().Numbers, (std::array<int, 4>{13, 5, 6, 2}));
        const QString answer = u"13+5+6+2"_s;
        for (qsizetype i = 0; i < answer.size(); ++i) {
            P->Type(answer.at(i));
            QCOMPARE(Frm().NumEdt->text(), i == 0 ? QString() : answer.first(i + 1));
        }
        P->Key(Qt::Key_Enter);
        QCOMPARE(P->Messages.back(), AnswerWrong);
        QCOMPARE(P->Messages.size(), 3);
    }

    void closingTheWindowFreesTheDataSet() {
        P->Pick({1, 2, 3, 4});
        QVERIFY(Frm().close());
        QVERIFY(!Frm().Game().IsValidExpr(u"1+2"_s));
    }
};

NUMUI_TEST_MAIN(TestNumFrm)
#include "tst_numfrm.moc"
