#include "tv/addressrotation.h"

using namespace Qt::Literals::StringLiterals;

int TAddressRotation::Start(const QString& channel, int count) {
    FChannel = channel;
    FCount = count;
    const int last = FLastPlayed.value(channel, 0);
    FCurrent = last < count ? last : 0;
    FTried = 1;
    FPlayed = false;
    return FCurrent;
}

int TAddressRotation::Failed() {
    if (FTried >= FCount)
        return -1;
    ++FTried;
    FPlayed = false;
    FCurrent = (FCurrent + 1) % FCount;
    return FCurrent;
}

void TAddressRotation::Played() {
    FPlayed = true;
    FLastPlayed.insert(FChannel, FCurrent);
}

QString TAddressRotation::StatusText(TStreamStatus status, const QString& sessionText) const {
    if (FCount <= 1)
        return sessionText;
    if (status == TStreamStatus::Failed)
        return sessionText + u"（%1 个地址均无法播放）"_s.arg(FCount);
    // Until the next address shows something, the line says that it is being tried.
    if (FTried > 1 && !FPlayed &&
        (status == TStreamStatus::Connecting || status == TStreamStatus::Buffering))
        return u"正在尝试第 %1 个地址（共 %2 个）"_s.arg(FCurrent + 1).arg(FCount);
    return sessionText;
}
