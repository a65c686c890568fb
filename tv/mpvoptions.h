#pragma once

#include "tv/streamaddress.h"

#include <QByteArray>

#include <utility>
#include <vector>

struct mpv_handle;

// The options the engine starts libmpv with, and those each load adds for its stream.

// False when libmpv refused one of them.
bool SetEngineOptions(mpv_handle* mpv);
// The per-file options of a load, by name; an empty value leaves libmpv's own.
std::vector<std::pair<const char*, QByteArray>> LoadOptions(const TStreamAddress& address);
