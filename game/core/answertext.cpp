#include "game/core/answertext.h"

namespace answertext {

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int CountWholeNumbers(const QString& answer) {
    int count = 0;
    for (qsizetype i = 0; i < answer.size(); ++i) {
        if (IsDigit(answer[i]) && (i == 0 || !IsDigit(answer[i - 1])))
            ++count;
    }
    return count;
}

int CountNumber(const QString& answer, const QString& number) {
    int count = 0;
    qsizetype i = 0;
    while (i < answer.size()) {
        if (!IsDigit(answer[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < answer.size() && IsDigit(answer[i]))
            ++i;
        if (QStringView(answer).sliced(start, i - start) == number)
            ++count;
    }
    return count;
}

void RemoveLastEntry(QString& answer) {
    if (answer.isEmpty())
        return;
    const QChar last = answer.back();
    answer.chop(1);
    // Numbers have at most two digits, so one more digit finishes the number.
    if (IsDigit(last) && !answer.isEmpty() && IsDigit(answer.back()))
        answer.chop(1);
}

} // namespace answertext
