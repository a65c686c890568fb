#pragma once

// The messages the player must see, written out here independently of the rules,
// so that a mistyped text in the game is caught by both the rules' and the window's tests.

#include <QString>

namespace expected {

inline const QString NoPuzzle = QStringLiteral("请先出题！");
inline const QString NeedFour = QStringLiteral("需要四个数字才能开始解答!");
inline const QString UseAllFour = QStringLiteral("四个数字需要全部使用一遍!");
inline const QString AnswerRight = QStringLiteral("正确!晴棠数字游戏给出的参考答案如下:");
inline const QString AnswerWrong = QStringLiteral("错误!晴棠数字游戏给出的参考答案如下:");
inline const QString ClaimRight = QStringLiteral("正确！");
inline const QString ClaimWrong = QStringLiteral("错误！参考答案如下：");

} // namespace expected
