#include "game/core/rules.h"
#include "game/core/sqlengine.h"

#include "fakeview.h"
#include "gamesetup.h"

#include "casename.h"
#include "messagetexts.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

using casename::PrintTo;

using namespace expected;

class Game : public testing::Test {
protected:
    Game() { game.CreateDataSet(); }

    // A dealt puzzle with known numbers: deal, then put the numbers in place.
    void Deal(std::array<std::int32_t, 4> numbers) {
        game.Deal();
        state.Numbers = numbers;
    }
    // The player opens the picker and presses these numbers.
    void Pick(std::vector<int> numbers) {
        view.OnPicker = [this, numbers] {
            game.OpenPicker();
            for (int n : numbers)
                game.PickNumber(n);
        };
        game.PickOwnPuzzle();
        view.OnPicker = nullptr;
    }
    void Press(const std::vector<const char*>& captions) {
        for (const char* caption : captions)
            game.Press(PressOf(QString::fromUtf8(caption)));
    }

    TFakeView view;
    TNumGame game{view};
    TGameState& state = TGameSetup::State(game);
};

// ---- Dealing and the range ----

TEST_F(Game, FirstDealLeavesTheScoreAloneSecondCountsWrong) {
    game.Deal();
    EXPECT_EQ(view.Calls(u"ShowScore"_s), QStringList{});
    EXPECT_EQ(state.DealMark, 1);
    EXPECT_EQ(state.WrongCount, 0);
    game.Deal();
    EXPECT_EQ(state.RightCount, 0);
    EXPECT_EQ(state.WrongCount, 1);
    EXPECT_EQ(view.Calls(u"ShowScore"_s), QStringList{u"ShowScore -1"_s});
    EXPECT_EQ(state.DealMark, 1);
    EXPECT_EQ(view.Calls(u"SetDealPending"_s),
              (QStringList{u"SetDealPending 1"_s, u"SetDealPending 1"_s}));
}

TEST_F(Game, DealEmptiesTheAnswerAndDisablesOK) {
    Deal({1, 2, 3, 4});
    Press({"1", "+", "2"});
    view.Log.clear();
    game.Deal();
    EXPECT_EQ(state.Answer, u""_s);
    EXPECT_EQ(view.Log.mid(0, 3),
              (QStringList{u"SetAnswerText "_s, u"SetOKEnabled 0"_s, u"ShowNumbers"_s}));
    EXPECT_EQ(state.PickMark, 0);
}

TEST_F(Game, DealDoesNotTouchThePickMark) {
    Pick({1, 2, 3, 4});
    game.Deal();
    EXPECT_EQ(state.PickMark, 1);
    EXPECT_EQ(state.DealMark, 1);
}

struct TRangeCase {
    const char* Name;
    int Switches;
    int Highest;
};

class DealRange : public Game, public testing::WithParamInterface<TRangeCase> {};

TEST_P(DealRange, EveryNumberOfTheRangeAndNoOther) {
    for (int i = 0; i < GetParam().Switches; ++i)
        game.SwitchRange();
    game.Random().seed(24);
    std::set<int> seen;
    for (int deal = 0; deal < 500; ++deal) {
        game.Deal();
        seen.insert(state.Numbers.begin(), state.Numbers.end());
    }
    EXPECT_EQ(*seen.begin(), 1);
    EXPECT_EQ(*seen.rbegin(), GetParam().Highest);
    EXPECT_EQ(static_cast<int>(seen.size()), GetParam().Highest);
}

INSTANTIATE_TEST_SUITE_P(Ranges, DealRange,
                         testing::Values(TRangeCase{"NineAtStart", 0, 9},
                                         TRangeCase{"ThirteenAfterOneSwitch", 1, 13},
                                         TRangeCase{"NineAgainAfterTwoSwitches", 2, 9}),
                         [](const auto& info) { return info.param.Name; });

TEST_F(Game, RangeSwitchKeepsTheNumbersOnShow) {
    Deal({7, 8, 9, 1});
    game.SwitchRange();
    EXPECT_EQ(state.Range, 13);
    EXPECT_EQ(state.Numbers, (std::array<std::int32_t, 4>{7, 8, 9, 1}));
    game.SwitchRange();
    EXPECT_EQ(state.Range, 9);
    EXPECT_EQ(view.Calls(u"SetRange"_s), (QStringList{u"SetRange 13"_s, u"SetRange 9"_s}));
    EXPECT_EQ(view.Calls(u"ShowNumbers"_s).size(), 1);
}

TEST_F(Game, DealingDrawsFromTheProgramsOneGenerator) {
    game.Random().seed(2024);
    game.Deal();
    const auto first = state.Numbers;
    game.Random().seed(2024);
    game.Deal();
    EXPECT_EQ(state.Numbers, first);
}

TEST_F(Game, RandomizeSeedsFromTheClock) {
    game.Randomize();
    const auto first = game.Random()();
    game.Randomize();
    EXPECT_NE(game.Random()(), first);
}

// ---- How the marks move ----

enum class TEvent { Deal, Pick, GiveUp, AnswerRight, AnswerWrong, ClaimRight, ClaimWrong };

struct TMarkCase {
    const char* Name;
    int DealBefore;
    int PickBefore;
    TEvent Event;
    int DealAfter;
    int PickAfter;
    int Right; // counters after, from 3 right and 1 wrong
    int Wrong;
    QStringList Scores;   // ShowScore calls
    QStringList Messages; // message boxes
};

class Marks : public Game, public testing::WithParamInterface<TMarkCase> {};

TEST_P(Marks, MoveAsTheRulesSay) {
    const TMarkCase& c = GetParam();
    const bool unsolvable = c.Event == TEvent::ClaimRight;
    state.Numbers = unsolvable ? std::array<std::int32_t, 4>{1, 1, 1, 1}
                               : std::array<std::int32_t, 4>{1, 2, 3, 4};
    state.RightCount = 3;
    state.WrongCount = 1;
    state.DealMark = c.DealBefore;
    state.PickMark = c.PickBefore;
    view.PickTag = c.PickBefore;
    switch (c.Event) {
    case TEvent::Deal:
        game.Deal();
        break;
    case TEvent::Pick:
        Pick({2, 3, 4, 5});
        break;
    case TEvent::GiveUp:
        game.GiveUp();
        break;
    case TEvent::AnswerRight:
        state.Answer = u"1*2*3*4"_s;
        game.Submit();
        break;
    case TEvent::AnswerWrong:
        state.Answer = u"1+2+3+4"_s;
        game.Submit();
        break;
    case TEvent::ClaimRight:
    case TEvent::ClaimWrong:
        game.ClaimNoSolution();
        break;
    }
    EXPECT_EQ(state.DealMark, c.DealAfter);
    EXPECT_EQ(state.PickMark, c.PickAfter);
    EXPECT_EQ(state.RightCount, c.Right);
    EXPECT_EQ(state.WrongCount, c.Wrong);
    EXPECT_EQ(view.Calls(u"ShowScore"_s), c.Scores);
    EXPECT_EQ(view.Messages, c.Messages);
    EXPECT_EQ(view.PickTag, state.PickMark);
    // The deal button turns normal whenever the deal mark goes from 1 to 0.
    if (c.DealBefore == 1 && c.DealAfter == 0) {
        EXPECT_TRUE(view.Calls(u"SetDealPending"_s).contains(u"SetDealPending 0"_s));
    }
}

const QStringList NoScore;
const QStringList ScoreOneLess{u"ShowScore 1"_s};
const QStringList ScoreSame{u"ShowScore 2"_s};
const QStringList ScoreOneMore{u"ShowScore 3"_s};

INSTANTIATE_TEST_SUITE_P(
    Events, Marks,
    testing::Values(
        TMarkCase{"DealWhileDealPending", 1, 0, TEvent::Deal, 1, 0, 3, 2, ScoreOneLess, {}},
        TMarkCase{"DealWithNothingPending", 0, 0, TEvent::Deal, 1, 0, 3, 1, NoScore, {}},
        TMarkCase{"DealWhilePickPending", 0, 1, TEvent::Deal, 1, 1, 3, 1, NoScore, {}},
        TMarkCase{"PickWhileDealPending", 1, 0, TEvent::Pick, 0, 1, 3, 2, ScoreOneLess, {}},
        TMarkCase{"PickWithNothingPending", 0, 0, TEvent::Pick, 0, 1, 3, 1, NoScore, {}},
        TMarkCase{"PickWhilePickPending", 0, 1, TEvent::Pick, 0, 1, 3, 1, NoScore, {}},
        TMarkCase{"GiveUpDealt", 1, 0, TEvent::GiveUp, 0, 0, 3, 2, ScoreOneLess, {}},
        TMarkCase{"GiveUpPicked", 0, 1, TEvent::GiveUp, 0, 0, 3, 1, NoScore, {}},
        TMarkCase{"GiveUpPickedThenDealt", 1, 1, TEvent::GiveUp, 0, 0, 3, 2, ScoreOneLess, {}},
        TMarkCase{"GiveUpNothingPending", 0, 0, TEvent::GiveUp, 0, 0, 3, 1, NoScore, {NoPuzzle}},
        TMarkCase{
            "AnswerRightDealt", 1, 0, TEvent::AnswerRight, 0, 0, 4, 1, ScoreOneMore, {AnswerRight}},
        TMarkCase{
            "AnswerRightPicked", 0, 1, TEvent::AnswerRight, 0, 0, 3, 1, ScoreSame, {AnswerRight}},
        TMarkCase{"AnswerRightPickedThenDealt",
                  1,
                  1,
                  TEvent::AnswerRight,
                  0,
                  0,
                  4,
                  1,
                  ScoreOneMore,
                  {AnswerRight}},
        TMarkCase{
            "AnswerWrongDealt", 1, 0, TEvent::AnswerWrong, 0, 0, 3, 2, ScoreOneLess, {AnswerWrong}},
        TMarkCase{
            "AnswerWrongPicked", 0, 1, TEvent::AnswerWrong, 0, 0, 3, 1, ScoreSame, {AnswerWrong}},
        TMarkCase{
            "AnswerNothingPending", 0, 0, TEvent::AnswerRight, 0, 0, 3, 1, NoScore, {NoPuzzle}},
        TMarkCase{
            "ClaimRightDealt", 1, 0, TEvent::ClaimRight, 0, 0, 4, 1, ScoreOneMore, {ClaimRight}},
        TMarkCase{
            "ClaimRightPicked", 0, 1, TEvent::ClaimRight, 0, 0, 3, 1, ScoreSame, {ClaimRight}},
        TMarkCase{
            "ClaimWrongDealt", 1, 0, TEvent::ClaimWrong, 0, 0, 3, 2, ScoreOneLess, {ClaimWrong}},
        TMarkCase{
            "ClaimWrongPicked", 0, 1, TEvent::ClaimWrong, 0, 0, 3, 1, ScoreSame, {ClaimWrong}},
        TMarkCase{
            "ClaimNothingPending", 0, 0, TEvent::ClaimWrong, 0, 0, 3, 1, NoScore, {NoPuzzle}}),
    [](const auto& info) { return info.param.Name; });

// ---- Giving up ----

TEST_F(Game, GiveUpWithoutPuzzleChangesNothing) {
    game.GiveUp();
    EXPECT_EQ(view.Log, QStringList{u"ShowMessage "_s + NoPuzzle});
}

TEST_F(Game, GiveUpOnIncompletePuzzleChangesNothing) {
    Pick({3, 8});
    view.Log.clear();
    game.GiveUp();
    EXPECT_EQ(view.Log, QStringList{u"ShowMessage "_s + NeedFour});
    EXPECT_EQ(state.PickMark, 1);
}

TEST_F(Game, GiveUpShowsTheAnswersAndLeavesTheEntryAlone) {
    Deal({3, 3, 8, 8});
    Press({"8", "/"});
    view.Log.clear();
    game.GiveUp();
    EXPECT_EQ(view.Log, (QStringList{u"SetMemoLines 参考答案：|8/(3-8/3)=24"_s, u"ShowScore -1"_s,
                                     u"SetDealPending 0"_s}));
    EXPECT_EQ(state.Answer, u"8/"_s);
}

// ---- Answer entry ----

struct TEntryCase {
    const char* Name;
    std::array<std::int32_t, 4> Numbers;
    std::vector<const char*> Presses;
    QString Answer;
};

class Entry : public Game, public testing::WithParamInterface<TEntryCase> {};

TEST_P(Entry, KeepsEachNumberToItsCount) {
    Deal(GetParam().Numbers);
    Press(GetParam().Presses);
    EXPECT_EQ(state.Answer, GetParam().Answer);
    EXPECT_EQ(view.AnswerText, state.Answer);
    EXPECT_EQ(view.OKEnabled, game.IsValidExpr(state.Answer));
    EXPECT_EQ(view.Messages, QStringList{});
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Entry,
    testing::Values(
        TEntryCase{"ThirdOneRefused", {1, 1, 10, 13}, {"1", "+", "1", "+", "1"}, u"1+1+"_s},
        TEntryCase{"TenAfterOperator", {1, 1, 10, 13}, {"1", "+", "1", "+", "10"}, u"1+1+10"_s},
        TEntryCase{"NumberRightAfterNumberRefused",
                   {1, 1, 10, 13},
                   {"1", "+", "1", "+", "10", "13"},
                   u"1+1+10"_s},
        TEntryCase{
            "AllFour", {1, 1, 10, 13}, {"1", "+", "1", "+", "10", "13", "+", "13"}, u"1+1+10+13"_s},
        TEntryCase{"SecondThirteenRefused",
                   {1, 1, 10, 13},
                   {"1", "+", "1", "+", "10", "+", "13", "+", "13"},
                   u"1+1+10+13+"_s},
        TEntryCase{
            "OneTwiceAfterTen", {1, 1, 10, 13}, {"10", "+", "1", "+", "1", "+", "1"}, u"10+1+1+"_s},
        TEntryCase{
            "ThreeBesideThirteenUsedUp", {13, 3, 5, 7}, {"13", "+", "3", "*", "3"}, u"13+3*"_s},
        TEntryCase{
            "ThreeBesideTwoThirteens", {13, 13, 3, 4}, {"13", "+", "13", "-", "3"}, u"13+13-3"_s},
        TEntryCase{"SecondTwoThenNoThird",
                   {12, 2, 2, 6},
                   {"12", "X", "2", "-", "2", "+", "2"},
                   u"12*2-2+"_s},
        TEntryCase{"XEntersTimes", {1, 2, 3, 4}, {"X"}, u"*"_s},
        TEntryCase{"OperatorsFollowNoRule", {1, 2, 3, 4}, {")", "(", "+", "+"}, u")(++"_s},
        TEntryCase{"SamePanelTwiceForTwoFives", {5, 5, 1, 2}, {"5", "+", "5"}, u"5+5"_s},
        TEntryCase{"ValueNotInPuzzleRefused", {1, 2, 3, 4}, {"5"}, u""_s},
        TEntryCase{"CompleteAnswer",
                   {3, 3, 8, 8},
                   {"8", "/", "(", "3", "-", "8", "/", "3", ")"},
                   u"8/(3-8/3)"_s}),
    [](const auto& info) { return info.param.Name; });

TEST_F(Game, RefusedNumberPressLeavesEverythingAsItWas) {
    Deal({13, 3, 5, 7});
    Press({"13", "+", "3"});
    view.Log.clear();
    Press({"5"});  // right after a number
    Press({"13"}); // likewise
    EXPECT_EQ(view.Log, QStringList{});
    EXPECT_EQ(state.Answer, u"13+3"_s);
}

TEST_F(Game, OKFollowsTheEngineAfterEveryPress) {
    Deal({1, 2, 3, 4});
    const std::vector<std::pair<QString, bool>> steps = {
        {u"("_s, false}, {u"1"_s, false}, {u"+"_s, false}, {u"2"_s, false},
        {u")"_s, true},  {u"*"_s, false}, {u"3"_s, true},  {u"X"_s, false}};
    for (const auto& [caption, enabled] : steps) {
        game.Press(PressOf(caption));
        EXPECT_EQ(view.OKEnabled, enabled) << state.Answer.toStdString();
    }
}

TEST_F(Game, EntryBeforeAnyPuzzleShowsTheMessageBackspaceDoesNot) {
    for (const QString& caption :
         {u"+"_s, u"-"_s, u"X"_s, u"/"_s, u"("_s, u")"_s, u"1"_s, u"13"_s}) {
        view.Log.clear();
        game.Press(PressOf(caption));
        EXPECT_EQ(view.Log, QStringList{u"ShowMessage "_s + NeedFour});
    }
    view.Log.clear();
    game.TakeBack();
    EXPECT_EQ(view.Log, (QStringList{u"SetAnswerText "_s, u"SetOKEnabled 0"_s}));
}

TEST_F(Game, EntryWithThreePickedNumbersShowsTheMessage) {
    Pick({1, 2, 3});
    view.Log.clear();
    game.Press(1);
    EXPECT_EQ(view.Log, QStringList{u"ShowMessage "_s + NeedFour});
    EXPECT_EQ(state.Answer, u""_s);
}

struct TBackspaceCase {
    const char* Name;
    QString Before;
    QString After;
    bool OKEnabled;
};

class Backspace : public Game, public testing::WithParamInterface<TBackspaceCase> {};

TEST_P(Backspace, RemovesOneEntryAndRefreshes) {
    Deal({1, 13, 2, 3});
    state.Answer = GetParam().Before;
    view.Log.clear();
    game.TakeBack();
    EXPECT_EQ(state.Answer, GetParam().After);
    EXPECT_EQ(view.Log, (QStringList{u"SetAnswerText "_s + GetParam().After,
                                     u"SetOKEnabled "_s + QString::number(GetParam().OKEnabled)}));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Backspace,
    testing::Values(TBackspaceCase{"TwoDigitNumber", u"1+13"_s, u"1+"_s, false},
                    TBackspaceCase{"Operator", u"13+"_s, u"13"_s, true},
                    TBackspaceCase{"OneDigit", u"(1"_s, u"("_s, false},
                    TBackspaceCase{"Empty", u""_s, u""_s, false},
                    TBackspaceCase{"WholeAnswerIsOneNumber", u"13"_s, u""_s, false},
                    TBackspaceCase{"BackToAValidAnswer", u"1+2*"_s, u"1+2"_s, true}),
    [](const auto& info) { return info.param.Name; });

// ---- Judging ----

TEST_F(Game, RightAnswerOnDealtPuzzle) {
    Deal({1, 2, 3, 4});
    Press({"1", "X", "2", "X", "3", "X", "4"});
    EXPECT_TRUE(view.OKEnabled);
    view.Log.clear();
    game.Submit();
    // The verdict box is modal: the score and the memo change after it closes.
    EXPECT_EQ(view.Log,
              (QStringList{u"ShowMessage "_s + AnswerRight, u"ShowScore 1"_s, u"SetDealPending 0"_s,
                           u"SetMemoLines 参考答案：|1*2*3*4=24|2*3*4/1=24|"
                           u"(1+2+3)*4=24|(1+3)*(2+4)=24"_s}));
    EXPECT_EQ(state.RightCount, 1);
    EXPECT_EQ(state.WrongCount, 0);
    EXPECT_EQ(state.Answer, u"1*2*3*4"_s);
}

TEST_F(Game, RightAnswerOnPickedPuzzleCountsNothing) {
    Pick({1, 2, 3, 4});
    Press({"1", "X", "2", "X", "3", "X", "4"});
    view.Log.clear();
    game.Submit();
    EXPECT_EQ(view.Messages, QStringList{AnswerRight});
    EXPECT_EQ(view.Calls(u"ShowScore"_s), QStringList{u"ShowScore 0"_s});
    EXPECT_EQ(state.RightCount, 0);
    EXPECT_EQ(state.WrongCount, 0);
    EXPECT_EQ(state.PickMark, 0);
}

struct TJudgeCase {
    const char* Name;
    std::array<std::int32_t, 4> Numbers;
    std::vector<const char*> Presses;
    QString Verdict;
};

class Judge : public Game, public testing::WithParamInterface<TJudgeCase> {};

// A row without a verdict is an answer the engine refuses: "作答完毕" stays disabled.
TEST_P(Judge, ByTheEnginesTextAgainst24) {
    Deal(GetParam().Numbers);
    Press(GetParam().Presses);
    const bool judged = !GetParam().Verdict.isEmpty();
    ASSERT_EQ(view.OKEnabled, judged) << state.Answer.toStdString();
    if (!judged)
        return;
    game.Submit();
    EXPECT_EQ(view.Messages, QStringList{GetParam().Verdict});
    const bool right = GetParam().Verdict == AnswerRight;
    EXPECT_EQ(state.RightCount, right ? 1 : 0);
    EXPECT_EQ(state.WrongCount, right ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Judge,
    testing::Values(
        TJudgeCase{"ThirdsAreExact",
                   {3, 3, 8, 8},
                   {"8", "/", "(", "3", "-", "8", "/", "3", ")"},
                   AnswerRight},
        TJudgeCase{"DivisionIsNotIntegral",
                   {7, 2, 8, 1},
                   {"7", "/", "2", "X", "8", "X", "1"},
                   AnswerWrong},
        TJudgeCase{"DivisionByZeroIsWrong",
                   {5, 3, 3, 1},
                   {"5", "/", "(", "3", "-", "3", ")", "+", "1"},
                   AnswerWrong},
        TJudgeCase{"WrongValue", {1, 2, 3, 4}, {"1", "+", "2", "+", "3", "+", "4"}, AnswerWrong},
        TJudgeCase{"ExactQuotient",
                   {12, 2, 2, 6},
                   {"(", "12", "/", "2", "-", "2", ")", "X", "6"},
                   AnswerRight},
        TJudgeCase{"CommentAroundOneNumberIsNoAnswer",
                   {3, 8, 1, 1},
                   {"3", "X", "8", "/", "X", "1", "+", "1", "X", "/"},
                   {}},
        TJudgeCase{"CommentOnUnsolvablePuzzleIsNoAnswer",
                   {3, 3, 5, 8},
                   {"3", "X", "8", "/", "X", "3", "+", "5", "X", "/"},
                   {}},
        TJudgeCase{"DoubleMinusReadsTwentyFive",
                   {6, 4, 1, 1},
                   {"6", "X", "4", "-", "-", "1", "X", "1"},
                   AnswerWrong},
        TJudgeCase{"DoubleMinusIsTwoSigns",
                   {6, 4, 1, 1},
                   {"6", "X", "4", "-", "-", "1", "-", "1"},
                   AnswerRight}),
    [](const auto& info) { return info.param.Name; });

TEST_F(Game, ThreeNumbersAreRefusedThenTheFourthJudges) {
    Deal({1, 2, 3, 4});
    Press({"1", "+", "2", "+", "3"});
    EXPECT_TRUE(view.OKEnabled);
    game.Submit();
    EXPECT_EQ(view.Messages, QStringList{UseAllFour});
    EXPECT_EQ(state.DealMark, 1);
    EXPECT_EQ(state.Answer, u"1+2+3"_s);
    Press({"X", "4"});
    game.Submit();
    EXPECT_EQ(view.Messages, (QStringList{UseAllFour, AnswerWrong}));
    EXPECT_EQ(state.WrongCount, 1);
}

TEST_F(Game, SecondPressAfterAVerdictFindsNoPuzzle) {
    Deal({1, 2, 3, 4});
    Press({"1", "X", "2", "X", "3", "X", "4"});
    game.Submit();
    view.Log.clear();
    game.Submit();
    game.ClaimNoSolution();
    EXPECT_EQ(view.Log, (QStringList{u"ShowMessage "_s + NoPuzzle, u"ShowMessage "_s + NoPuzzle}));
    EXPECT_EQ(state.RightCount, 1);
    // The keys keep editing the judged answer.
    game.TakeBack();
    EXPECT_EQ(state.Answer, u"1*2*3*"_s);
    EXPECT_FALSE(view.OKEnabled);
}

TEST_F(Game, NoSolutionClaimRightShowsTheMemoFirst) {
    Deal({1, 1, 1, 1});
    view.Log.clear();
    game.ClaimNoSolution();
    EXPECT_EQ(view.Log, (QStringList{u"SetMemoLines 无解！"_s, u"ShowMessage "_s + ClaimRight,
                                     u"ShowScore 1"_s, u"SetDealPending 0"_s}));
    EXPECT_EQ(state.RightCount, 1);
}

struct TClaimCase {
    const char* Name;
    std::array<std::int32_t, 4> Numbers;
    QString Memo;
};

class WrongClaim : public Game, public testing::WithParamInterface<TClaimCase> {};

TEST_P(WrongClaim, ShowsTheAnswersBeforeTheVerdict) {
    Deal(GetParam().Numbers);
    view.Log.clear();
    game.ClaimNoSolution();
    EXPECT_EQ(view.Log,
              (QStringList{u"SetMemoLines "_s + GetParam().Memo, u"ShowMessage "_s + ClaimWrong,
                           u"ShowScore -1"_s, u"SetDealPending 0"_s}));
    EXPECT_EQ(state.WrongCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Claims, WrongClaim,
    testing::Values(TClaimCase{"AllSixes", {6, 6, 6, 6}, u"参考答案：|6+6+6+6=24|6*6-6-6=24"_s},
                    TClaimCase{
                        "OnlyTheLastResortShape", {1, 8, 12, 12}, u"参考答案：|12/(12/8-1)=24"_s}),
    [](const auto& info) { return info.param.Name; });

TEST_F(Game, NoSolutionClaimOnIncompletePickStaysPending) {
    Pick({1, 2});
    view.Log.clear();
    game.ClaimNoSolution();
    EXPECT_EQ(view.Log, QStringList{u"ShowMessage "_s + NeedFour});
    EXPECT_EQ(state.PickMark, 1);
}

TEST_F(Game, PickThenDealThenVerdictCounts) {
    Pick({1, 1, 1, 1});
    Deal({1, 2, 3, 4});
    EXPECT_EQ(state.PickMark, 1);
    EXPECT_EQ(state.DealMark, 1);
    game.ClaimNoSolution();
    EXPECT_EQ(state.WrongCount, 1);
    EXPECT_EQ(state.DealMark, 0);
    EXPECT_EQ(state.PickMark, 0);
}

TEST_F(Game, VerdictsLeaveTheEntryAlone) {
    Deal({1, 2, 3, 4});
    Press({"1", "X", "2", "X", "3", "X", "4"});
    view.Log.clear();
    game.Submit();
    Deal({1, 1, 1, 1});
    view.Log.clear();
    game.ClaimNoSolution();
    EXPECT_EQ(view.Calls(u"SetAnswerText"_s), QStringList{});
    EXPECT_EQ(view.Calls(u"SetOKEnabled"_s), QStringList{});
}

TEST_F(Game, EngineErrorEscapesJudgingAndCountsNothing) {
    Deal({1, 2, 3, 4});
    state.Answer = u"1+2+3+4+"_s; // four numbers, but the engine refuses it
    view.Log.clear();
    EXPECT_THROW(game.Submit(), std::exception);
    EXPECT_EQ(view.Log, QStringList{});
    EXPECT_EQ(state.DealMark, 1);
    EXPECT_EQ(state.WrongCount, 0);
    EXPECT_FALSE(game.SqlDataSet()->Active());
}

// ---- The data set's lifetime ----

TEST(GameDataSet, NoDataSetMeansNoEngine) {
    TFakeView view;
    TNumGame game(view);
    EXPECT_EQ(game.SqlDataSet(), nullptr);
    EXPECT_THROW(game.EvalSql(u"6*4"_s), std::exception);
    EXPECT_FALSE(game.IsValidExpr(u"6*4"_s));
    game.CreateDataSet();
    EXPECT_EQ(game.SqlDataSet()->ConnectionString(), sqlengine::DefaultConnectionString());
    EXPECT_EQ(game.SqlDataSet()->OpenCount(), 0) << "no connection is made at creation";
    EXPECT_EQ(game.EvalSql(u"6*4"_s), u"24"_s);
    game.FreeDataSet();
    EXPECT_FALSE(game.IsValidExpr(u"6*4"_s));
}

struct TValidCase {
    const char* Name;
    QString Expression;
    bool Valid;
};

class Validity : public Game, public testing::WithParamInterface<TValidCase> {};

TEST_P(Validity, IsValidExprSwallowsEveryError) {
    EXPECT_EQ(game.IsValidExpr(GetParam().Expression), GetParam().Valid);
    EXPECT_FALSE(game.SqlDataSet()->Active());
}

INSTANTIATE_TEST_SUITE_P(Answers, Validity,
                         testing::Values(TValidCase{"Product", u"6*4"_s, true},
                                         TValidCase{"DivisionByZero", u"5/(3-3)"_s, true},
                                         TValidCase{"EngineError", u"(3+5"_s, false},
                                         TValidCase{"RefusedText", u"1;drop table x"_s, false}),
                         [](const auto& info) { return info.param.Name; });

// ---- The picker ----

TEST_F(Game, FivePressesOnSevenFillFourSlots) {
    Pick({7, 7, 7, 7, 7});
    EXPECT_EQ(state.Numbers, (std::array<std::int32_t, 4>{7, 7, 7, 7}));
    EXPECT_EQ(view.Calls(u"ShowNumbers"_s).size(), 5) << "activation and four accepted presses";
}

TEST_F(Game, PickerBackspaceEmptiesTheLastFilledSlot) {
    view.OnPicker = [this] {
        game.OpenPicker();
        game.PickNumber(3);
        game.PickNumber(8);
        game.UnpickNumber();
        game.UnpickNumber();
        game.PickNumber(5);
    };
    game.PickOwnPuzzle();
    EXPECT_EQ(state.Numbers, (std::array<std::int32_t, 4>{5, 0, 0, 0}));
}

TEST_F(Game, PickerBackspaceOnEmptySlotsDoesNothing) {
    game.OpenPicker();
    view.Log.clear();
    game.UnpickNumber();
    EXPECT_EQ(view.Log, QStringList{});
}

TEST_F(Game, BigNumbersOnlyInTheWideRange) {
    EXPECT_FALSE(game.BigNumbersPickable());
    game.SwitchRange();
    EXPECT_TRUE(game.BigNumbersPickable());
    game.SwitchRange();
    EXPECT_FALSE(game.BigNumbersPickable());
}

TEST_F(Game, OpeningThePickerOnAPendingDealCountsItWrong) {
    Deal({1, 2, 3, 4});
    Press({"1", "+", "2"});
    view.Log.clear();
    Pick({});
    EXPECT_EQ(view.Log,
              (QStringList{u"ShowPicker"_s, u"ShowNumbers"_s, u"SetAnswerText "_s,
                           u"SetOKEnabled 0"_s, u"ShowScore -1"_s, u"SetDealPending 0"_s}));
    EXPECT_EQ(state.Numbers, (std::array<std::int32_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(state.Answer, u""_s);
    EXPECT_EQ(state.WrongCount, 1);
    EXPECT_EQ(state.DealMark, 0);
    EXPECT_EQ(state.PickMark, 1);
}

} // namespace
