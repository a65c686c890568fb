#pragma once

#include "tv/recording.h"

#include <mpv/client.h>

#include <QList>

#include <cstdint>

// Reading and making libmpv's tree values (mpv_node): plain data, no calls into libmpv.

// A string value that points into text, which must outlive it.
mpv_node StringNode(const char* text);
// The value under key in a map, or nullptr when node is no map or has no such key.
const mpv_node* MapValue(const mpv_node& node, const char* key);
// The playlist entry a "loadfile" command answers with, -1 when it names none.
std::int64_t EntryIdOf(const mpv_node& result);
// The stretches of the stream that "demuxer-cache-state" says the cache can seek in.
QList<TCachedSpan> SeekableSpans(const mpv_node& state);
