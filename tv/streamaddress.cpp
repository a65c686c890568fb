#include "tv/streamaddress.h"

#include <QUrl>

bool IsSingleAbsoluteAddress(const QString& text) {
    if (text.trimmed() != text || text.isEmpty())
        return false;
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty();
}
