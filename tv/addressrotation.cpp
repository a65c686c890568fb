#include "tv/addressrotation.h"

using namespace Qt::Literals::StringLiterals;

TStreamAddress TAddressRotation::Start(const QList<TStreamAddress>& addresses) {
    FAddresses = addresses;
    const int last = FLastPlayed.value(addresses.value(0).url, 0);
    FCurrent = last < addresses.size() ? last : 0;
    FTried = 1;
    FPlayed = false;
    return addresses.value(FCurrent);
}

std::optional<TStreamAddress> TAddressRotation::Failed() {
    FPlayed = false;
    while (FTried < FAddresses.size()) {
        ++FTried;
        FCurrent = (FCurrent + 1) % int(FAddresses.size());
        // An address the player would refuse counts as tried and failed.
        if (IsSingleAbsoluteAddress(FAddresses[FCurrent].url))
            return FAddresses[FCurrent];
    }
    return std::nullopt;
}

void TAddressRotation::Played() {
    FPlayed = true;
    FLastPlayed.insert(FAddresses.value(0).url, FCurrent);
}

QString TAddressRotation::StatusText(TStreamStatus status, const QString& sessionText) const {
    const auto count = FAddresses.size();
    if (count <= 1)
        return sessionText;
    if (status == TStreamStatus::Failed)
        return sessionText + u"（%1 个地址均无法播放）"_s.arg(count);
    // Until the next address shows something, the line says that it is being tried.
    if (FTried > 1 && !FPlayed &&
        (status == TStreamStatus::Connecting || status == TStreamStatus::Buffering))
        return u"正在尝试第 %1 个地址（共 %2 个）"_s.arg(FCurrent + 1).arg(count);
    return sessionText;
}
