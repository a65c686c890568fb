#pragma once

#include "game/core/rules.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>

// Lets test failures print texts readably.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// A control of the game window as the rules take it: a number panel's caption
// such as "12", or an operator key's caption, "X" for times.
inline TPress PressOf(const QString& caption) {
    if (caption.front().isDigit())
        return caption.toInt();
    if (caption == QStringLiteral("X"))
        return TOperator::Times;
    return static_cast<TOperator>(caption.front().toLatin1());
}

// A window that only writes down what the rules asked of it, in order.
class TFakeView : public TGameView {
public:
    QStringList Log;                // every call, e.g. "ShowScore -1"
    QStringList Messages;           // the texts of the message boxes
    QStringList Memo;               // Memo2 as last set
    QString AnswerText;             // NumEdt
    bool OKEnabled = false;         // OKBtn
    bool PickTag = false;           // MeBtn's tag, which has no look of its own
    std::function<void()> OnPicker; // what the player does while the picker is open

    void ShowMessage(const QString& text) override {
        Messages << text;
        Log << QStringLiteral("ShowMessage ") + text;
    }
    void ShowNumbers() override { Log << QStringLiteral("ShowNumbers"); }
    void ShowScore(int n) override { Log << QStringLiteral("ShowScore ") + QString::number(n); }
    void SetAnswerText(const QString& text) override {
        AnswerText = text;
        Log << QStringLiteral("SetAnswerText ") + text;
    }
    void SetOKEnabled(bool enabled) override {
        OKEnabled = enabled;
        Log << QStringLiteral("SetOKEnabled ") + QString::number(enabled);
    }
    void SetDealPending(bool pending) override {
        Log << QStringLiteral("SetDealPending ") + QString::number(pending);
    }
    void SetMemoLines(const QStringList& lines) override {
        Memo = lines;
        Log << QStringLiteral("SetMemoLines ") + lines.join(u'|');
    }
    void SetPickPending(bool pending) override { PickTag = pending; }
    void SetRange(std::int32_t range) override {
        Log << QStringLiteral("SetRange ") + QString::number(range);
    }
    void ShowPicker() override {
        Log << QStringLiteral("ShowPicker");
        if (OnPicker)
            OnPicker();
    }

    // The calls of one kind, e.g. Calls(u"ShowScore") gives {"ShowScore -1", ...}.
    QStringList Calls(const QString& kind) const {
        QStringList calls;
        for (const QString& call : Log) {
            if (call == kind || call.startsWith(kind + u' '))
                calls << call;
        }
        return calls;
    }
};
