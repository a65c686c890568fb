#pragma once

#include <QString>

// What a channel list may ask of the server for one address; empty means the engine's own.
struct TRequestHeaders {
    QString userAgent;
    QString referrer;
};

// What an address plays: a channel as it airs, or a recording of it, which can be seeked.
enum class TStreamKind { Live, Archive };

// One of a channel's addresses, with what its server is to be asked with.
struct TStreamAddress {
    QString url;
    TRequestHeaders headers;
    TStreamKind kind = TStreamKind::Live;
};

// The player takes one absolute address with a scheme and a host, and nothing else.
bool IsSingleAbsoluteAddress(const QString& text);
