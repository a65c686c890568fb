#include "game/tests/player.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>

using namespace Qt::Literals::StringLiterals;

TGameWindows::TGameWindows() : SelFrm(NumFrm.Game(), &NumFrm) {
    NumFrm.SetPicker(&SelFrm);
    NumFrm.show();
}

void TGameTestCase::NewWindows() {
    P.reset();
    W.reset();
    W = std::make_unique<TGameWindows>();
    P = std::make_unique<TPlayer>(*W);
}

void TGameTestCase::initTestCase() {
    IgnorePlatformNoise();
}

void TGameTestCase::init() {
    NewWindows();
}

void TGameTestCase::cleanup() {
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(W->SelFrm.isHidden());
    P.reset();
    W.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TPlayer::AnswerModals(const std::function<void()>& action) {
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [this] { AnswerModal(); });
    watcher.start();
    action();
    watcher.stop();
}

void TPlayer::Click(QWidget* control) {
    AnswerModals([control] { QTest::mouseClick(control, Qt::LeftButton); });
}

void TPlayer::Key(Qt::Key key) {
    QWidget* focus = FWindows.NumFrm.focusWidget();
    QWidget* target = focus ? focus : &FWindows.NumFrm;
    AnswerModals([target, key] { QTest::keyClick(target, key); });
}

void TPlayer::Type(const QString& keys) {
    // Qt's codes of the printable keys are their upper-case characters.
    for (QChar c : keys)
        Key(Qt::Key(c.toUpper().unicode()));
}

void TPlayer::AnswerModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        Messages << box->text();
        BoxNames << box->objectName();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    } else if (modal == &FWindows.SelFrm) {
        const QStringList presses = std::exchange(PickerPresses, {});
        for (const QString& caption : presses) {
            if (!PickerTyped)
                QTest::mouseClick(PickerButton(caption), Qt::LeftButton);
            else if (caption == u"←"_s)
                QTest::keyClick(&FWindows.SelFrm, Qt::Key_Backspace);
            else
                QTest::keyClicks(&FWindows.SelFrm, caption);
        }
        if (PickerTyped)
            QTest::keyClick(&FWindows.SelFrm, Qt::Key_Escape);
        else
            FWindows.SelFrm.close();
    }
}

QAbstractButton* TPlayer::PickerButton(const QString& caption) const {
    for (QToolButton* button : FWindows.SelFrm.SpeedButtons)
        if (button->text() == caption)
            return button;
    qFatal("the picker has no button %s", qPrintable(caption));
}

void TPlayer::Press(const QString& objectName) {
    auto* control = FWindows.NumFrm.findChild<QWidget*>(objectName);
    if (!control)
        qFatal("the game window has no control %s", qPrintable(objectName));
    Click(control);
}

void TPlayer::Enter(const QString& expression) {
    static const QString keys = u"+-*/()"_s;
    static const QRegularExpression token(u"\\d+|."_s);
    for (const auto& match : token.globalMatch(expression)) {
        const QString text = match.captured();
        const qsizetype key = keys.indexOf(text);
        if (key >= 0) {
            Click(FWindows.NumFrm.SpeedButtons[std::size_t(key)]);
            continue;
        }
        const auto panel = std::find_if(FWindows.NumFrm.Num.begin(), FWindows.NumFrm.Num.end(),
                                        [&](const TClickPanel* p) { return p->text() == text; });
        if (panel == FWindows.NumFrm.Num.end())
            qFatal("no panel shows %s", qPrintable(text));
        Click(*panel);
    }
}

void TPlayer::Pick(const QList<int>& numbers) {
    for (int number : numbers)
        PickerPresses << QString::number(number);
    Click(FWindows.NumFrm.MeBtn);
}

QList<int> WholeNumbers(const QString& answer) {
    static const QRegularExpression number(u"\\d+"_s);
    QList<int> numbers;
    for (const auto& match : number.globalMatch(answer))
        numbers << match.captured().toInt();
    return numbers;
}

namespace {

QtMessageHandler g_nextHandler = nullptr;

void FilterPlatformNoise(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text == u"This plugin does not support propagateSizeHints()"_s)
        return;
    g_nextHandler(type, context, text);
}

} // namespace

void IgnorePlatformNoise() {
    g_nextHandler = qInstallMessageHandler(FilterPlatformNoise);
}
