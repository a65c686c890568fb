#include "game/num24.h"

#include "common/appshell.h"
#include "game/numkeys.h"
#include "game/uistyle.h"
#include "header/makerheader.h"

#include <QCloseEvent>
#include <QDialog>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

// The resources live in a static library, where the linker would drop their
// self-registration: register them by hand, once, before the first use.
extern int qInitResources_numui();

namespace {

void InitResources() {
    [[maybe_unused]] static const int registered = qInitResources_numui();
}

QPixmap RenderSvg(const QString& path, QSize size) {
    InitResources();
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

// The keys of the answer, left to right: each enters its operator, but "←",
// which takes back one entry; the keyboard keys that stand for it; its spoken name.
struct TKeyRow {
    QString Caption;
    int Left;
    std::optional<TOperator> Enters;
    std::vector<Qt::Key> Keys;
    QString SpokenName;
};

const std::array<TKeyRow, 7> KeyRows = {{
    {u"+"_s, 48, TOperator::Plus, {Qt::Key_Plus}, u"plus"_s},
    {u"-"_s, 88, TOperator::Minus, {Qt::Key_Minus}, u"minus"_s},
    {u"X"_s, 128, TOperator::Times, {Qt::Key_Asterisk, Qt::Key_X}, u"times"_s},
    {u"/"_s, 168, TOperator::Divide, {Qt::Key_Slash}, u"divide"_s},
    {u"("_s, 208, TOperator::Open, {Qt::Key_ParenLeft}, u"open bracket"_s},
    {u")"_s, 248, TOperator::Close, {Qt::Key_ParenRight}, u"close bracket"_s},
    {u"←"_s, 288, std::nullopt, {Qt::Key_Backspace}, u"backspace"_s},
}};

constexpr std::array<int, 4> NumLefts = {48, 120, 192, 264};

const QStringList InstructionLines = {
    u"游戏说明："_s,
    u"机选或自选四个数字（1-9）或者（1-13），通"_s,
    u"过+，-，X，/和（）的运算得出最后结果24即"_s,
    u"为胜利，如果无解并最终确认也为胜利。"_s,
};

QLabel* MakeIconHolder(QWidget* parent, const QString& name, const QString& path, int left) {
    auto* image = new QLabel(parent);
    image->setObjectName(name);
    image->setGeometry(left, 8, 32, 32);
    image->setPixmap(RenderSvg(path, {32, 32}));
    image->hide();
    return image;
}

} // namespace

TClickPanel::TClickPanel(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
}

void TClickPanel::mousePressEvent(QMouseEvent* event) {
    FPressed = event->button() == Qt::LeftButton;
}

void TClickPanel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = FPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    FPressed = false;
    if (click)
        emit clicked();
}

void TClickPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        emit clicked();
    else
        QLabel::keyPressEvent(event);
}

void TClickPanel::ShowPressed() {
    setFrameShadow(QFrame::Sunken);
    QTimer::singleShot(ui::PressedLook, this, [this] { setFrameShadow(QFrame::Raised); });
}

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, FPicture);
}

QIcon NumberIcon() {
    QIcon icon;
    for (int side : {16, 32, 48, 256})
        icon.addPixmap(RenderSvg(u":/number/number.svg"_s, {side, side}));
    return icon;
}

TNumFrm::TNumFrm(QWidget* parent)
    : QWidget(parent), FGame(*this),
      FKeys(new TNumKeys(
          *this, [this](std::int32_t number) { return FGame.Usable(number); },
          [this](std::int32_t number) { NumberTyped(number); })) {
    CreateControls();
    FormCreate();
}

TNumFrm::~TNumFrm() = default;

void TNumFrm::CreateControls() {
    setWindowTitle(u"晴棠算24点 1.1"_s);
    setGeometry(149, 90, 489, 427);
    setFont(ui::PixelFont(11));
    setAutoFillBackground(true);
    QPalette green = palette();
    green.setColor(QPalette::Window, ui::MoneyGreen);
    green.setColor(QPalette::Base, ui::MoneyGreen);
    setPalette(green);

    for (std::size_t i = 0; i < KeyRows.size(); ++i) {
        const TKeyRow& row = KeyRows[i];
        auto* key = ui::MakeSpeedButton(this, u"SpeedButton%1"_s.arg(i + 1), row.Caption,
                                        {row.Left, 120, 32, 32}, 32);
        key->setAccessibleName(row.SpokenName);
        const auto click = [this, key, &row] {
            if (row.Enters)
                SpeedButton1Click(key);
            else
                SpeedButton7Click();
        };
        connect(key, &QToolButton::clicked, this, click);
        FKeys->Bind(row.Keys, key, click);
        SpeedButtons[i] = key;
    }

    FHeader = new TMakerHeader(this, TMakerHeader::TPlacement::Number, FGame.Random());

    StatusImage = new TImage(this);
    StatusImage->setObjectName(u"StatusImage"_s);
    StatusImage->setGeometry(232, 8, 2048, 32);
    StatusImage->Picture() = QPixmap(2048, 32);
    StatusImage->Picture().fill(Qt::transparent);

    SucessImage = MakeIconHolder(this, u"SucessImage"_s, u":/number/success.svg"_s, 384);
    FalseImage = MakeIconHolder(this, u"FalseImage"_s, u":/number/failure.svg"_s, 424);

    ChangeSB = ui::MakeSpeedButton(this, u"ChangeSB"_s, u"9"_s, {160, 16, 23, 22}, 21);
    ChangeSB->setAccessibleName(ChangeSB->text());
    ChangeSB->setCursor(Qt::PointingHandCursor);
    ChangeSB->setToolTip(u"出题范围在(1-9)与(1-13)之间切换"_s);
    ui::SetTextColour(ChangeSB, QPalette::ButtonText, ui::Fuchsia);
    connect(ChangeSB, &QToolButton::clicked, this, &TNumFrm::ChangeSBClick);
    FKeys->Bind({Qt::Key_F6}, ChangeSB, [this] { ChangeSBClick(); });

    PCBtn = MakeCommand(u"PCBtn"_s, u"放弃,看答案"_s, {240, 200, 81, 25}, &TNumFrm::PCBtnClick,
                        {Qt::Key_F5});

    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName(u"Memo2"_s);
    Memo2->setGeometry(48, 232, 273, 177);
    Memo2->setFrameShape(QFrame::NoFrame);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo2->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo2->setTabChangesFocus(true);
    Memo2->setFont(ui::PixelFont(13));
    // A narrow inner margin, so that each instruction line fits on one line.
    Memo2->document()->setDocumentMargin(2);
    SetMemoLines(InstructionLines);

    QPalette cream = palette();
    cream.setColor(QPalette::Window, ui::Cream);
    for (std::size_t i = 0; i < Num.size(); ++i) {
        auto* panel = new TClickPanel(this);
        panel->setObjectName(u"Num%1"_s.arg(i));
        panel->setGeometry(NumLefts[i], 64, 57, 41);
        panel->setAutoFillBackground(true);
        panel->setPalette(cream);
        ui::SetTextColour(panel, QPalette::WindowText, ui::Red);
        panel->setFont(ui::PixelFont(32));
        panel->setAccessibleDescription(u"keys: the digits of its number"_s);
        connect(panel, &TClickPanel::clicked, this, [this, panel] { SpeedButton1Click(panel); });
        Num[i] = panel;
    }

    StartBtn = MakeCommand(u"StartBtn"_s, u"电脑出题"_s, {352, 56, 75, 25}, &TNumFrm::StartBtnClick,
                           {Qt::Key_F2});
    MeBtn = MakeCommand(u"MeBtn"_s, u"由我出题"_s, {352, 88, 75, 25}, &TNumFrm::MeBtnClick,
                        {Qt::Key_F3});
    OKBtn = MakeCommand(u"OKBtn"_s, u"作答完毕"_s, {48, 200, 75, 25}, &TNumFrm::OKBtnClick,
                        {Qt::Key_Return, Qt::Key_Enter});
    OKBtn->setEnabled(false);
    NULLBtn = MakeCommand(u"NULLBtn"_s, u"确认无解"_s, {144, 200, 75, 25}, &TNumFrm::NULLBtnClick,
                          {Qt::Key_F4});

    NumEdt = new QLineEdit(this);
    NumEdt->setObjectName(u"NumEdt"_s);
    NumEdt->setGeometry(48, 160, 273, 30);
    NumEdt->setFrame(false);
    NumEdt->setReadOnly(true);
    NumEdt->setFont(ui::PixelFont(21));

    ShowNumbers();

    const std::array<QWidget*, 11> tabOrder = {PCBtn,    Memo2, Num[0], Num[1],  Num[2], Num[3],
                                               StartBtn, MeBtn, OKBtn,  NULLBtn, NumEdt};
    for (std::size_t i = 0; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
}

QPushButton* TNumFrm::MakeCommand(const QString& name, const QString& caption, const QRect& rect,
                                  void (TNumFrm::*click)(), const std::vector<Qt::Key>& keys) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(rect);
    button->setAccessibleName(caption);
    button->setProperty("Tag", 0);
    connect(button, &QPushButton::clicked, this, click);
    FKeys->Bind(keys, button, [this, click] { (this->*click)(); });
    return button;
}

void TNumFrm::FormCreate() {
    FGame.Randomize();
    TApplication::SetHintHidePause(App::MainWindowHintHidePause);
    FHeader->Setup();
    FGame.CreateDataSet();
}

void TNumFrm::FormClose() {
    FGame.FreeDataSet();
}

void TNumFrm::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TNumFrm::StartBtnClick() {
    FGame.Deal();
}

void TNumFrm::ChangeSBClick() {
    FGame.SwitchRange();
}

void TNumFrm::PCBtnClick() {
    FGame.GiveUp();
}

void TNumFrm::SpeedButton1Click(QWidget* Sender) {
    FGame.Press(PressOf(Sender));
}

TPress TNumFrm::PressOf(const QWidget* control) const {
    const auto key = std::find(SpeedButtons.begin(), SpeedButtons.end(), control);
    if (key != SpeedButtons.end())
        return KeyRows.at(std::size_t(key - SpeedButtons.begin())).Enters.value();
    // A panel enters its number, not its slot; an empty slot enters 0, which the
    // rules refuse with their message, as there is no complete puzzle.
    const auto panel = std::find(Num.begin(), Num.end(), control);
    return FGame.State().Numbers.at(std::size_t(panel - Num.begin()));
}

void TNumFrm::NumberTyped(std::int32_t number) {
    // The first panel that holds the number stands for it, as its click would; a
    // number no panel holds has no control to press.
    const auto& numbers = FGame.State().Numbers;
    const auto slot = std::find(numbers.begin(), numbers.end(), number);
    if (slot == numbers.end())
        return;
    TClickPanel* panel = Num.at(std::size_t(slot - numbers.begin()));
    panel->ShowPressed();
    SpeedButton1Click(panel);
}

void TNumFrm::SpeedButton7Click() {
    FGame.TakeBack();
}

void TNumFrm::OKBtnClick() {
    FGame.Submit();
}

void TNumFrm::NULLBtnClick() {
    FGame.ClaimNoSolution();
}

void TNumFrm::MeBtnClick() {
    FGame.PickOwnPuzzle();
}

void TNumFrm::ShowMessage(const QString& text) {
    App::ShowMessage(text);
}

void TNumFrm::ShowNumbers() {
    const auto& numbers = FGame.State().Numbers;
    for (std::size_t i = 0; i < Num.size(); ++i) {
        const QString caption = numbers[i] != 0 ? QString::number(numbers[i]) : QString();
        Num[i]->setText(caption);
        Num[i]->setAccessibleName(caption.isEmpty() ? u"empty"_s : caption);
    }
}

void TNumFrm::ShowScore(int n) {
    const auto& state = FGame.State();
    StatusImage->setToolTip(
        u"%1/%2"_s.arg(state.RightCount).arg(qint64(state.RightCount) + state.WrongCount));
    const qint64 count = std::abs(qint64(n));
    QPixmap& surface = StatusImage->Picture();
    if (count > 0) {
        surface.fill(Qt::transparent);
        const QPixmap icon = (n > 0 ? SucessImage : FalseImage)->pixmap();
        QPainter painter(&surface);
        const qint64 fitting = std::min<qint64>(count, surface.width() / 32);
        for (int i = 0; i < fitting; ++i)
            painter.drawPixmap(32 * i, 0, icon);
    }
    StatusImage->resize(int(std::min<qint64>(32 * count, QWIDGETSIZE_MAX)), 32);
    StatusImage->update();
}

void TNumFrm::SetAnswerText(const QString& text) {
    NumEdt->setText(text);
}

void TNumFrm::SetOKEnabled(bool enabled) {
    OKBtn->setEnabled(enabled);
}

void TNumFrm::SetDealPending(bool pending) {
    StartBtn->setProperty("Tag", int(pending));
    ui::SetTextColour(StartBtn, QPalette::ButtonText,
                      pending ? ui::Red : QApplication::palette().color(QPalette::WindowText));
}

void TNumFrm::SetMemoLines(const QStringList& lines) {
    Memo2->setPlainText(lines.join(u'\n'));
}

void TNumFrm::SetPickPending(bool pending) {
    MeBtn->setProperty("Tag", int(pending));
}

void TNumFrm::SetRange(std::int32_t range) {
    ChangeSB->setText(QString::number(range));
    ChangeSB->setAccessibleName(ChangeSB->text());
}

void TNumFrm::ShowPicker() {
    if (FPicker)
        FPicker->exec();
}
