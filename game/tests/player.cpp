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
#include <numeric>

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

void TPlayer::Click(QWidget* control) {
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [this] { AnswerModal(); });
    watcher.start();
    QTest::mouseClick(control, Qt::LeftButton);
    watcher.stop();
}

void TPlayer::AnswerModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        Messages << box->text();
        BoxNames << box->objectName();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    } else if (modal == &W.SelFrm) {
        const QStringList presses = std::exchange(PickerPresses, {});
        for (const QString& caption : presses)
            QTest::mouseClick(PickerButton(caption), Qt::LeftButton);
        W.SelFrm.close();
    }
}

QAbstractButton* TPlayer::PickerButton(const QString& caption) const {
    for (QToolButton* button : W.SelFrm.SpeedButtons)
        if (button->text() == caption)
            return button;
    qFatal("the picker has no button %s", qPrintable(caption));
}

void TPlayer::Press(const QString& objectName) {
    auto* control = W.NumFrm.findChild<QWidget*>(objectName);
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
            Click(W.NumFrm.SpeedButtons[std::size_t(key)]);
            continue;
        }
        const auto panel = std::find_if(W.NumFrm.Num.begin(), W.NumFrm.Num.end(),
                                        [&](const TClickPanel* p) { return p->text() == text; });
        if (panel == W.NumFrm.Num.end())
            qFatal("no panel shows %s", qPrintable(text));
        Click(*panel);
    }
}

void TPlayer::Pick(const QList<int>& numbers) {
    for (int number : numbers)
        PickerPresses << QString::number(number);
    Click(W.NumFrm.MeBtn);
}

QList<int> WholeNumbers(const QString& answer) {
    static const QRegularExpression number(u"\\d+"_s);
    QList<int> numbers;
    for (const auto& match : number.globalMatch(answer))
        numbers << match.captured().toInt();
    return numbers;
}

namespace {

struct TFraction {
    long long Num = 0;
    long long Den = 1; // 0 after a division by zero

    bool Is24() const { return Den != 0 && Num == 24 * Den; }
};

TFraction Apply(TFraction a, QChar op, TFraction b) {
    if (a.Den == 0 || b.Den == 0)
        return {0, 0};
    TFraction r;
    switch (op.unicode()) {
    case u'+':
        r = {a.Num * b.Den + b.Num * a.Den, a.Den * b.Den};
        break;
    case u'-':
        r = {a.Num * b.Den - b.Num * a.Den, a.Den * b.Den};
        break;
    case u'*':
        r = {a.Num * b.Num, a.Den * b.Den};
        break;
    default:
        if (b.Num == 0)
            return {0, 0};
        r = {a.Num * b.Den, a.Den * b.Num};
    }
    const long long g = std::gcd(r.Num, r.Den);
    r.Num /= g;
    r.Den /= g;
    if (r.Den < 0)
        r = {-r.Num, -r.Den};
    return r;
}

struct TTerm {
    TFraction Value;
    QString Text;
};

TTerm Combine(const TTerm& a, QChar op, const TTerm& b) {
    return {Apply(a.Value, op, b.Value), u"("_s + a.Text + op + b.Text + u")"_s};
}

// Calls found for every fully bracketed expression over the numbers in this order.
void EachExpression(const std::array<int, 4>& n, const std::function<void(const TTerm&)>& found) {
    static const QString ops = u"+-*/"_s;
    std::array<TTerm, 4> t;
    for (std::size_t i = 0; i < 4; ++i)
        t[i] = {{n[i], 1}, QString::number(n[i])};
    for (QChar x : ops)
        for (QChar y : ops)
            for (QChar z : ops) {
                found(Combine(Combine(Combine(t[0], x, t[1]), y, t[2]), z, t[3]));
                found(Combine(Combine(t[0], x, Combine(t[1], y, t[2])), z, t[3]));
                found(Combine(t[0], x, Combine(Combine(t[1], y, t[2]), z, t[3])));
                found(Combine(t[0], x, Combine(t[1], y, Combine(t[2], z, t[3]))));
                found(Combine(Combine(t[0], x, t[1]), y, Combine(t[2], z, t[3])));
            }
}

QString FirstExpression(std::array<int, 4> numbers, bool wanted24) {
    std::sort(numbers.begin(), numbers.end());
    QString result;
    do {
        EachExpression(numbers, [&](const TTerm& term) {
            if (result.isEmpty() && term.Value.Den != 0 && term.Value.Is24() == wanted24)
                result = term.Text;
        });
    } while (result.isEmpty() && std::next_permutation(numbers.begin(), numbers.end()));
    return result;
}

} // namespace

QString SolutionFor(const std::array<int, 4>& numbers) {
    return FirstExpression(numbers, true);
}

QString NonSolutionFor(const std::array<int, 4>& numbers) {
    return FirstExpression(numbers, false);
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
