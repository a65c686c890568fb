#pragma once

// The rules of the 24-points game: the game state and every action of the player,
// without any widget. The game window owns one TNumGame, lends it to the picker,
// forwards each click to the action it stands for, and shows what the rules ask
// for through TGameView.

#include "game/core/press.h"

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
    bool DealMark = false;                 // while a dealt puzzle awaits judging
    bool PickMark = false;                 // while a picked puzzle awaits judging
    std::int32_t Range = 9;                // dealing range 1..Range: 9 or 13
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
    virtual void SetDealPending(bool pending) = 0; // StartBtn's tag, its text red or window text
    virtual void SetPickPending(bool pending) = 0; // MeBtn's tag
    virtual void SetMemoLines(const QStringList& lines) = 0; // Memo2, replacing what it held
    virtual void SetRange(std::int32_t range) = 0;           // ChangeSB's caption
    virtual void ShowPicker() = 0; // the modal picker, returns when closed
};

class TNumGame {
public:
    TNumGame(TGameView& view);
    ~TNumGame();
    TNumGame(const TNumGame&) = delete;
    TNumGame& operator=(const TNumGame&) = delete;

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

    // What the player does in the game window.
    void Deal();              // the computer deals a puzzle
    void SwitchRange();       // dealing range 9 <-> 13
    void GiveUp();            // show the answers; a dealt puzzle counts wrong
    void Press(TPress press); // an operator key or a number panel
    void TakeBack();          // backspace: one operator or one whole number
    void Submit();            // judge the answer; EvalSql errors escape
    void ClaimNoSolution();   // the solver judges the claim
    void PickOwnPuzzle();     // the picker, then a picked puzzle starts
    bool ShowAnswers();       // solve, rewrite the memo

    // A value of a complete puzzle that the answer has not used up yet.
    bool Usable(std::int32_t value) const;

    // What the player does in the picker.
    void OpenPicker();
    void PickNumber(std::int32_t number);
    void UnpickNumber();
    bool BigNumbersPickable() const; // 10-13, only in the wide range

    TSqlDataSet* SqlDataSet() const { return FSqlDataSet.get(); } // null outside its lifetime

private:
    // Tests and benchmarks put a game straight into the middle of play through it.
    friend class TGameSetup;

    bool Pending() const;                // a dealt or picked puzzle awaits judging
    bool PuzzleComplete() const;         // slot 3 filled; slots fill in order
    bool RequireCompletePendingPuzzle(); // tells the player what is missing
    void CountWrongDeal();               // WrongCount += 1 and redraw the score
    void AbandonDeal();                  // the pending dealt puzzle counts wrong and stops pending
    void SetDealMark(bool pending);
    void SetPickMark(bool pending);
    void ClearMarks();
    // The verdict box, then the score of a dealt puzzle; the puzzle is no longer pending.
    void SettlePuzzle(bool right, const QString& verdict);
    void ClearAnswer();
    void ShowAnswerState(); // NumEdt from Answer, OKBtn from IsValidExpr

    TGameView& FView;
    TGameState FState;
    std::mt19937 FRandom;
    std::unique_ptr<TSqlDataSet> FSqlDataSet;
};
