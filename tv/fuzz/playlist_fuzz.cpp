#include "tv/playlist.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

// Any bytes must end in a list whose every channel has an address the player may be
// given: no crash, no hang, no leak, and nothing that slipped past the scheme rule or
// the player's own (the reader's quick path for plain addresses skips the latter).
// The first byte picks where the list came from, since relative addresses depend on it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QUrl locations[] = {QUrl(u"http://h/lists/tv.m3u"_s),
                                     QUrl(u"file:///home/u/tv.m3u"_s), QUrl()};
    if (size == 0)
        return 0;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const TPlaylist list = ReadPlaylist(bytes, locations[data[0] % 3]);
    for (const TPlaylistGroup& group : list.groups)
        for (const TPlaylistChannel& channel : group.channels) {
            if (channel.addresses.isEmpty())
                std::abort();
            for (const TStreamAddress& address : channel.addresses)
                if (!IsChannelAddress(address.url) || !IsSingleAbsoluteAddress(address.url))
                    std::abort();
        }
    return 0;
}
