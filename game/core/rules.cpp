#include "game/core/rules.h"

#include "game/core/answertext.h"
#include "game/core/solver.h"
#include "game/core/sqlengine.h"

#include <algorithm>
#include <chrono>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString MsgNoPuzzle = u"请先出题！"_s;
const QString MsgNeedFourNumbers = u"需要四个数字才能开始解答!"_s;
const QString MsgUseAllFour = u"四个数字需要全部使用一遍!"_s;
const QString MsgAnswerRight = u"正确!晴棠数字游戏给出的参考答案如下:"_s;
const QString MsgAnswerWrong = u"错误!晴棠数字游戏给出的参考答案如下:"_s;
const QString MsgClaimRight = u"正确！"_s;
const QString MsgClaimWrong = u"错误！参考答案如下："_s;
const QString MemoAnswers = u"参考答案："_s;
const QString MemoNoSolution = u"无解！"_s;

constexpr std::int32_t RangeSmall = 9;
constexpr std::int32_t RangeLarge = 13;

} // namespace

TNumGame::TNumGame(TGameView& view) : FView(view) {}

TNumGame::~TNumGame() = default;

void TNumGame::Randomize() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32)};
    FRandom.seed(seed);
}

void TNumGame::CreateDataSet() {
    FSqlDataSet = std::make_unique<TSqlDataSet>();
    FSqlDataSet->SetConnectionString(sqlengine::DefaultConnectionString());
}

void TNumGame::FreeDataSet() {
    FSqlDataSet.reset();
}

QString TNumGame::EvalSql(const QString& expression) {
    if (!FSqlDataSet)
        throw TSqlError(u"The SQL data set does not exist"_s);
    return sqlengine::EvalSql(*FSqlDataSet, expression);
}

bool TNumGame::IsValidExpr(const QString& expression) {
    try {
        EvalSql(expression);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TNumGame::Pending() const {
    return FState.DealMark || FState.PickMark;
}

bool TNumGame::PuzzleComplete() const {
    return FState.Numbers[3] != 0;
}

bool TNumGame::RequireCompletePendingPuzzle() {
    if (!Pending()) {
        FView.ShowMessage(MsgNoPuzzle);
        return false;
    }
    if (!PuzzleComplete()) {
        FView.ShowMessage(MsgNeedFourNumbers);
        return false;
    }
    return true;
}

void TNumGame::CountWrongDeal() {
    ++FState.WrongCount;
    FView.ShowScore(FState.RightCount - FState.WrongCount);
}

void TNumGame::AbandonDeal() {
    CountWrongDeal();
    SetDealMark(false);
}

void TNumGame::SetDealMark(bool pending) {
    FState.DealMark = pending;
    FView.SetDealPending(pending);
}

void TNumGame::SetPickMark(bool pending) {
    FState.PickMark = pending;
    FView.SetPickPending(pending);
}

void TNumGame::ClearMarks() {
    SetDealMark(false);
    SetPickMark(false);
}

void TNumGame::SettlePuzzle(bool right, const QString& verdict) {
    FView.ShowMessage(verdict);
    if (FState.DealMark)
        ++(right ? FState.RightCount : FState.WrongCount);
    FView.ShowScore(FState.RightCount - FState.WrongCount);
    ClearMarks();
}

void TNumGame::ClearAnswer() {
    FState.Answer.clear();
    FView.SetAnswerText(FState.Answer);
    FView.SetOKEnabled(false);
}

void TNumGame::ShowAnswerState() {
    FView.SetAnswerText(FState.Answer);
    FView.SetOKEnabled(IsValidExpr(FState.Answer));
}

void TNumGame::Deal() {
    // Each slot draws on its own, from 1 to the dealing range.
    std::uniform_int_distribution<std::int32_t> draw(1, FState.Range);
    for (std::int32_t& number : FState.Numbers)
        number = draw(FRandom);
    ClearAnswer();
    FView.ShowNumbers();
    if (FState.DealMark)
        CountWrongDeal(); // the previous dealt puzzle was never judged
    SetDealMark(true);
}

void TNumGame::SwitchRange() {
    FState.Range = FState.Range != RangeSmall ? RangeSmall : RangeLarge;
    FView.SetRange(FState.Range);
}

bool TNumGame::ShowAnswers() {
    const std::vector<std::string> answers = solver::Solve(FState.Numbers);
    QStringList memo{answers.empty() ? MemoNoSolution : MemoAnswers};
    for (const std::string& answer : answers)
        memo << QString::fromLatin1(answer) + u"=24"_s;
    FView.SetMemoLines(memo);
    return !answers.empty();
}

void TNumGame::GiveUp() {
    if (!RequireCompletePendingPuzzle())
        return;
    ShowAnswers();
    if (FState.DealMark)
        AbandonDeal();
    SetPickMark(false);
}

bool TNumGame::Usable(std::int32_t value) const {
    const auto onTable = std::count(FState.Numbers.begin(), FState.Numbers.end(), value);
    return PuzzleComplete() && value != 0 &&
           answertext::CountNumber(FState.Answer, QString::number(value)) < onTable;
}

void TNumGame::Press(TPress press) {
    if (!PuzzleComplete()) {
        FView.ShowMessage(MsgNeedFourNumbers);
        return;
    }
    if (const auto* number = std::get_if<std::int32_t>(&press)) {
        // A number follows an operator or starts the answer, and is used no more
        // often than the puzzle holds it; anything else is refused silently.
        if (!FState.Answer.isEmpty() && answertext::IsDigit(FState.Answer.back()))
            return;
        if (!Usable(*number))
            return;
        FState.Answer += QString::number(*number);
    } else {
        FState.Answer += QLatin1Char(static_cast<char>(std::get<TOperator>(press)));
    }
    ShowAnswerState();
}

void TNumGame::TakeBack() {
    answertext::RemoveLastEntry(FState.Answer);
    ShowAnswerState();
}

void TNumGame::Submit() {
    if (!Pending()) {
        FView.ShowMessage(MsgNoPuzzle);
        return;
    }
    if (answertext::CountWholeNumbers(FState.Answer) != 4) {
        FView.ShowMessage(MsgUseAllFour);
        return;
    }
    // An engine error leaves through here on purpose: nothing is counted and the
    // window's event loop reports it.
    const bool right = EvalSql(FState.Answer) == u"24"_s;
    SettlePuzzle(right, right ? MsgAnswerRight : MsgAnswerWrong);
    ShowAnswers();
}

void TNumGame::ClaimNoSolution() {
    if (!RequireCompletePendingPuzzle())
        return;
    // The answers are on show behind the verdict box.
    const bool right = !ShowAnswers();
    SettlePuzzle(right, right ? MsgClaimRight : MsgClaimWrong);
}

void TNumGame::PickOwnPuzzle() {
    FView.ShowPicker();
    ClearAnswer();
    if (FState.DealMark)
        AbandonDeal();
    SetPickMark(true); // however many numbers were picked
}

void TNumGame::OpenPicker() {
    FState.Numbers.fill(0);
    FView.ShowNumbers();
}

void TNumGame::PickNumber(std::int32_t number) {
    for (std::int32_t& slot : FState.Numbers) {
        if (slot == 0) {
            slot = number;
            FView.ShowNumbers();
            return;
        }
    }
}

void TNumGame::UnpickNumber() {
    for (auto slot = FState.Numbers.rbegin(); slot != FState.Numbers.rend(); ++slot) {
        if (*slot != 0) {
            *slot = 0;
            FView.ShowNumbers();
            return;
        }
    }
}

bool TNumGame::BigNumbersPickable() const {
    return FState.Range == RangeLarge;
}
