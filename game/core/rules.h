#pragma once

// The rules of the 24-points game: the game state and every command of the game
// window and the picker, without any widget. The window owns one TNumGame, lends
// it to the picker, forwards each click to the method of the same name, and shows
// what the rules ask for through TGameView.

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <random>

class TSqlDataSet;

// The shared game state.
struct TGameState {
    std::array<std::int32_t, 4> Numbers{}; // the puzzle; 0 marks an empty slot, slots fill in order
    QString Answer;                        // the expression the player has built
    std::int32_t RightCount = 0;           // dealt puzzles judged right
    std::int32_t WrongCount = 0;           // dealt puzzles judged wrong, given up or replaced
    int DealMark = 0;                      // 1 while a dealt puzzle awaits judging
    int PickMark = 0;                      // 1 while a picked puzzle awaits judging
    // The dealing range, as ChangeSB shows it: "9" or "13".
    QString RangeCaption = QStringLiteral("9");
};

// What the rules ask of the window that shows the game.
class TGameView {
public:
    virtual ~TGameView() = default;
    virtual void ShowMessage(const QString& text) = 0;   // modal message box, returns when closed
    virtual void ShowNumbers() = 0;                      // Num0..Num3 from State().Numbers
    virtual void ShowScore(int n) = 0;                   // score strip; hint from the counters
    virtual void SetAnswerText(const QString& text) = 0; // NumEdt
    virtual void SetOKEnabled(bool enabled) = 0;         // OKBtn
    virtual void SetDealPending(bool pending) = 0;       // StartBtn text red, or window text
    virtual void SetMemoLines(const QStringList& lines) = 0;  // Memo2, replacing what it held
    virtual void SetRangeCaption(const QString& caption) = 0; // ChangeSB
    virtual void ShowPicker() = 0; // the modal picker, returns when closed
};

class TNumGame {
public:
    TNumGame(TGameView& view);
    ~TNumGame();
    TNumGame(const TNumGame&) = delete;
    TNumGame& operator=(const TNumGame&) = delete;

    TGameState& State() { return FState; }
    const TGameState& State() const { return FState; }

    // The program's one pseudo-random generator: dealing draws from it, and the
    // maker header's download button re-seeds it.
    std::mt19937& Random() { return FRandom; }
    void Randomize(); // seed from the clock

    // The SQL data set lives from the end of window creation to window close.
    void CreateDataSet();
    void FreeDataSet();
    QString EvalSql(const QString& expression); // throws what the engine raises
    bool IsValidExpr(const QString& expression);

    // Game window commands.
    void StartBtnClick();                           // deal a puzzle
    void ChangeSBClick();                           // switch the range 9 <-> 13
    void PCBtnClick();                              // give up and show the answers
    void SpeedButton1Click(const QString& caption); // an operator key or number panel
    void SpeedButton7Click();                       // backspace
    void OKBtnClick();                              // judge the answer; EvalSql errors escape
    void NULLBtnClick();                            // judge a no-solution claim
    void MeBtnClick();                              // open the picker, then start a picked puzzle
    bool ShowAnswers();                             // solve, rewrite the memo

    // Picker commands.
    void PickerFormActivate();
    void PickerNumberClick(const QString& caption);
    void PickerBackspaceClick();
    bool PickerBigNumbersEnabled() const; // buttons 10-13

    TSqlDataSet* SqlDataSet() const { return FSqlDataSet.get(); } // null outside its lifetime

private:
    bool Pending() const;                // a dealt or picked puzzle awaits judging
    bool PuzzleComplete() const;         // slot 3 filled; slots fill in order
    bool RequireCompletePendingPuzzle(); // tells the player what is missing
    void CountWrongDeal();               // WrongCount += 1 and redraw the score
    void AbandonDeal();                  // the pending dealt puzzle counts wrong and stops pending
    void ClearMarks();
    void ClearAnswer();
    void ShowAnswerState(); // NumEdt from Answer, OKBtn from IsValidExpr

    TGameView& FView;
    TGameState FState;
    std::mt19937 FRandom;
    std::unique_ptr<TSqlDataSet> FSqlDataSet;
};
