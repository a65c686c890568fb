#include "header/companion.h"

#include "header/fixedvalues.h"

#include <QString>

namespace MakerHeader {

void OpenUrl(TCompanionPlatform& platform, QWidget* owner, const QString& address) {
    platform.Open(owner, address.left(MaxAddressLength));
}

} // namespace MakerHeader
