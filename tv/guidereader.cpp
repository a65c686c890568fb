#include "tv/guidereader.h"

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 ReplayChunk = 1024 * 1024;

// Hands the parser the parts of the plain bytes that fall in the ranges, in order.
class TRangeFeeder {
public:
    TRangeFeeder(const QList<std::pair<qint64, qint64>>& ranges, TXmltvParser& parser)
        : FRanges(ranges), FParser(parser) {}

    void operator()(QByteArrayView plain) {
        const qint64 end = FOffset + plain.size();
        while (FNext < FRanges.size()) {
            const auto [from, to] = FRanges[FNext];
            if (from >= end)
                break;
            const qint64 first = std::max(from, FOffset), last = std::min(to, end);
            if (first < last)
                FParser.Parse(plain.sliced(first - FOffset, last - first));
            if (to > end)
                break;
            ++FNext;
        }
        FOffset = end;
    }

private:
    const QList<std::pair<qint64, qint64>>& FRanges;
    TXmltvParser& FParser;
    qsizetype FNext = 0;
    qint64 FOffset = 0;
};

} // namespace

TGuideReader::TGuideReader(const TPlaylist& list, const QDateTime& now)
    : TGuideReader(list, now, {}) {}

TGuideReader::TGuideReader(const TPlaylist& list, const QDateTime& now, TReplay replay)
    : FCollector(list, now), FParser(FCollector),
      FInput([this](QByteArrayView plain) { FParser.Parse(plain); }), FReplay(std::move(replay)) {}

void TGuideReader::Spool(QByteArrayView bytes) {
    // An empty piece has no bytes to write, nor a place to write them from.
    if (bytes.isEmpty())
        return;
    if (!FSpool)
        FSpool.reset(std::tmpfile());
    if (!FSpool)
        throw EGuideError(u"无法为节目单建立临时文件"_s.toStdString());
    if (std::fwrite(bytes.data(), 1, size_t(bytes.size()), FSpool.get()) != size_t(bytes.size()))
        throw EGuideError(u"无法写入节目单的临时文件"_s.toStdString());
}

void TGuideReader::ReplaySpool(const std::function<void(QByteArrayView)>& feed) {
    if (!FSpool)
        return;
    std::rewind(FSpool.get());
    QByteArray chunk(ReplayChunk, '\0');
    for (size_t n; (n = std::fread(chunk.data(), 1, size_t(chunk.size()), FSpool.get())) > 0;)
        feed(QByteArrayView(chunk).first(qsizetype(n)));
    if (std::ferror(FSpool.get()))
        throw EGuideError(u"无法读回节目单的临时文件"_s.toStdString());
}

void TGuideReader::Feed(QByteArrayView bytes) {
    if (!FReplay)
        Spool(bytes);
    FInput.Feed(bytes);
}

TGuide TGuideReader::Finish() {
    FInput.Finish();
    FParser.Finish();
    const QList<std::pair<qint64, qint64>> ranges = FCollector.SecondPass();
    if (ranges.isEmpty())
        return FCollector.Build();
    // Rule: the programmes read before their channel are read again, and only they: the
    // ranges cut from the document stand in a <tv> of their own, unless the whole
    // document has to be read again.
    const bool whole = ranges.first().second == std::numeric_limits<qint64>::max();
    TXmltvParser again(FCollector, FParser.Encoding());
    if (!whole)
        again.Parse("<tv>");
    TRangeFeeder feeder(ranges, again);
    TGuideInput input(std::ref(feeder));
    const auto feed = [&input](QByteArrayView bytes) { input.Feed(bytes); };
    if (FReplay)
        FReplay(feed);
    else
        ReplaySpool(feed);
    input.Finish();
    if (!whole)
        again.Parse("</tv>");
    again.Finish();
    return FCollector.Build();
}

TGuide ReadGuide(QByteArrayView bytes, const TPlaylist& list, const QDateTime& now) {
    // The bytes are all here: the second pass reads them again instead of a copy.
    TGuideReader reader(list, now, [bytes](const auto& feed) { feed(bytes); });
    reader.Feed(bytes);
    return reader.Finish();
}
