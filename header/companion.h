#pragma once

// The companion product as the header uses it: its detection (companion_detection.h) and the
// shell's open call, together behind TCompanionPlatform so that both can be checked against a
// made-up platform. NativePlatform() (nativeplatform.h) is the real one.

#include "header/companion_detection.h"

class QString;
class QWidget;

class TCompanionPlatform : public TCompanionServices {
public:
    // Opens an address with the system's default handler, on behalf of owner's window. A
    // failure is silent.
    virtual void Open(QWidget* owner, const QString& address) = 0;
};

namespace MakerHeader {

// Opens address (cut to MaxAddressLength characters) on behalf of owner's window.
void OpenUrl(TCompanionPlatform& platform, QWidget* owner, const QString& address);

} // namespace MakerHeader
