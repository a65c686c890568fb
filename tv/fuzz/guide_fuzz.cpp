#include "tv/guide.h"
#include "tv/guidereader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

// A list whose channels match by id, by name and by a name cut of its tags.
const TPlaylist& List() {
    static const TPlaylist list = ReadPlaylist(
        u"#EXTM3U tvg-shift=\"-4.5\"\n#EXTINF:-1 tvg-id=\"a\",A\nhttp://h/a\n"
        "#EXTINF:-1 tvg-shift=\"8\",CCTV-1 HD\nhttp://h/b\n#EXTINF:-1 catchup-days=\"3\",湖南卫视\nhttp://h/c\n"_s
            .toUtf8(),
        QUrl());
    return list;
}

} // namespace

// Any bytes, whole or in pieces, must end in a guide or an EGuideError: no crash, no hang,
// no leak, and every schedule sorted, its programmes neither overlapping nor ending
// before they start. The first byte picks the size of the pieces fed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QDateTime now = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const qsizetype piece = 1 + data[0] % 64;
    try {
        TGuide guide;
        if (data[0] < 128) {
            guide = ReadGuide(bytes, List(), now);
        } else {
            TGuideReader reader(List(), now);
            for (qsizetype at = 0; at < bytes.size(); at += piece)
                reader.Feed(bytes.sliced(at, std::min(piece, bytes.size() - at)));
            guide = reader.Finish();
        }
        for (int position = 0; position < ChannelCount(List()); ++position) {
            const QList<TProgramme> schedule = guide.Schedule(position);
            for (qsizetype i = 0; i < schedule.size(); ++i)
                if (schedule[i].stop < schedule[i].start ||
                    (i > 0 && schedule[i].start < schedule[i - 1].stop))
                    std::abort();
        }
    } catch (const EGuideError&) {
    }
    return 0;
}
