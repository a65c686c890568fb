#include "tv/mpvnode.h"

#include <cstring>

namespace {

double DoubleOf(const mpv_node* node) {
    return node && node->format == MPV_FORMAT_DOUBLE ? node->u.double_ : 0;
}

} // namespace

mpv_node StringNode(const char* text) {
    mpv_node node{};
    node.format = MPV_FORMAT_STRING;
    node.u.string = const_cast<char*>(text);
    return node;
}

const mpv_node* MapValue(const mpv_node& node, const char* key) {
    if (node.format != MPV_FORMAT_NODE_MAP)
        return nullptr;
    const mpv_node_list* map = node.u.list;
    for (int i = 0; i < map->num; ++i)
        if (std::strcmp(map->keys[i], key) == 0)
            return &map->values[i];
    return nullptr;
}

std::int64_t EntryIdOf(const mpv_node& result) {
    const mpv_node* id = MapValue(result, "playlist_entry_id");
    return id && id->format == MPV_FORMAT_INT64 ? id->u.int64 : -1;
}

QList<TCachedSpan> SeekableSpans(const mpv_node& state) {
    QList<TCachedSpan> spans;
    const mpv_node* ranges = MapValue(state, "seekable-ranges");
    if (!ranges || ranges->format != MPV_FORMAT_NODE_ARRAY)
        return spans;
    for (int i = 0; i < ranges->u.list->num; ++i) {
        const mpv_node& range = ranges->u.list->values[i];
        spans.append({DoubleOf(MapValue(range, "start")), DoubleOf(MapValue(range, "end"))});
    }
    return spans;
}
