#pragma once

// The game window of the 24-points game. It owns the rules object, shows what the
// rules ask for and forwards every click to the rules command of the same name.

#include "game/core/rules.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <array>
#include <vector>

class QDialog;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class TMakerHeader;
class TNumKeys;

// A panel the player can press: the number panels of the game window. It takes
// keyboard focus so that it sits in the tab order, and Space presses it too.
class TClickPanel : public QLabel {
    Q_OBJECT
public:
    explicit TClickPanel(QWidget* parent = nullptr);

    // Sunken for a moment, as when a key stands in for its click.
    void ShowPressed();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool FPressed = false;
};

// An image control: paints its surface at its own top left corner, so shrinking
// the control shows only the left part of the surface.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    QPixmap& Picture() { return FPicture; }
    const QPixmap& Picture() const { return FPicture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap FPicture;
};

// The application icon of the game.
QIcon NumberIcon();

class TNumFrm : public QWidget, public TGameView {
    Q_OBJECT
public:
    explicit TNumFrm(QWidget* parent = nullptr);
    ~TNumFrm() override;

    TNumGame& Game() { return FGame; }
    TMakerHeader* Header() const { return FHeader; }
    TNumKeys& Keyboard() const { return *FKeys; }

    // The modal window "由我出题" opens; the game window does not own it.
    void SetPicker(QDialog* picker) { FPicker = picker; }

    // Click handlers.
    void StartBtnClick();
    void ChangeSBClick();
    void PCBtnClick();
    void SpeedButton1Click(QWidget* Sender);
    void SpeedButton7Click();
    void OKBtnClick();
    void NULLBtnClick();
    void MeBtnClick();

    // TGameView
    void ShowMessage(const QString& text) override;
    void ShowNumbers() override;
    void ShowScore(int n) override;
    void SetAnswerText(const QString& text) override;
    void SetOKEnabled(bool enabled) override;
    void SetDealPending(bool pending) override;
    void SetPickPending(bool pending) override;
    void SetMemoLines(const QStringList& lines) override;
    void SetRange(std::int32_t range) override;
    void ShowPicker() override;

    // The controls, by the names the window gives them.
    std::array<QToolButton*, 7> SpeedButtons{}; // SpeedButton1..7: + - X / ( ) and backspace
    TImage* StatusImage = nullptr;
    QLabel* SucessImage = nullptr;
    QLabel* FalseImage = nullptr;
    QToolButton* ChangeSB = nullptr;
    QPushButton* PCBtn = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    std::array<TClickPanel*, 4> Num{};
    QPushButton* StartBtn = nullptr;
    QPushButton* MeBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* NULLBtn = nullptr;
    QLineEdit* NumEdt = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    // A command button whose click and keys run the handler.
    QPushButton* MakeCommand(const QString& name, const QString& caption, const QRect& rect,
                             void (TNumFrm::*click)(), const std::vector<Qt::Key>& keys);
    void FormCreate();
    void FormClose();
    TPress PressOf(const QWidget* control) const; // an operator key or a number panel
    void NumberTyped(std::int32_t number);        // a number typed on the keyboard

    TNumGame FGame;
    TMakerHeader* FHeader = nullptr;
    TNumKeys* FKeys = nullptr;
    QDialog* FPicker = nullptr;
};
