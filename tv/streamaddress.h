#pragma once

#include <QString>

// What a channel list may ask of the server for one address; empty means the engine's own.
struct TRequestHeaders {
    QString userAgent;
    QString referrer;
};

// One of a channel's addresses, with what its server is to be asked with.
struct TStreamAddress {
    QString url;
    TRequestHeaders headers;
};

// The player takes one absolute address with a scheme and a host, and nothing else.
bool IsSingleAbsoluteAddress(const QString& text);
