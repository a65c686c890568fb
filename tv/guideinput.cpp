#include "tv/guideinput.h"

#include "tv/guide.h"

#include <zlib.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 MaxCompressed = 64LL * 1024 * 1024;
constexpr qint64 MaxPlain = 512LL * 1024 * 1024;
constexpr int InflateChunk = 256 * 1024;

[[noreturn]] void Broken() {
    throw EGuideError(u"节目单的 gzip 压缩数据已损坏"_s.toStdString());
}

} // namespace

TGuideInput::TGuideInput(TSink sink) : FSink(std::move(sink)) {}

TGuideInput::~TGuideInput() {
    if (FZip)
        inflateEnd(FZip.get());
}

void TGuideInput::Deliver(QByteArrayView plain) {
    FPlain += plain.size();
    // Rule: a guide is refused beyond 512 MiB unpacked, whatever its packing.
    if (FPlain > MaxPlain)
        throw EGuideError(u"节目单解压后超过 512 MiB，不予读取"_s.toStdString());
    if (!plain.isEmpty())
        FSink(plain);
}

void TGuideInput::Feed(QByteArrayView bytes) {
    if (FKind == EKind::Unknown) {
        FHead.append(bytes);
        if (FHead.size() < 2)
            return;
        // Rule: gzip is told by its magic bytes 1f 8b, never by the address's name.
        const bool gzip = FHead.startsWith("\x1f\x8b");
        FKind = gzip ? EKind::Gzip : EKind::Plain;
        if (gzip) {
            FZip = std::make_unique<z_stream_s>();
            if (inflateInit2(FZip.get(), 16 + MAX_WBITS) != Z_OK)
                throw std::bad_alloc();
        }
        const QByteArray head = std::exchange(FHead, {});
        Feed(head);
        return;
    }
    if (FKind == EKind::Plain) {
        Deliver(bytes);
        return;
    }
    FCompressed += bytes.size();
    if (FCompressed > MaxCompressed)
        throw EGuideError(u"压缩的节目单超过 64 MiB，不予读取"_s.toStdString());
    Inflate(bytes);
}

void TGuideInput::Inflate(QByteArrayView bytes) {
    FOut.resize(InflateChunk);
    FZip->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    FZip->avail_in = uInt(bytes.size());
    do {
        // Rule: gzip members may follow one another; each is unpacked in turn.
        if (FMemberEnded) {
            if (FZip->avail_in == 0)
                break;
            if (inflateReset(FZip.get()) != Z_OK)
                Broken();
            FMemberEnded = false;
        }
        FZip->next_out = reinterpret_cast<Bytef*>(FOut.data());
        FZip->avail_out = uInt(FOut.size());
        const int result = inflate(FZip.get(), Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            Broken();
        Deliver(QByteArrayView(FOut).first(FOut.size() - qsizetype(FZip->avail_out)));
        FMemberEnded = result == Z_STREAM_END;
        if (result == Z_BUF_ERROR)
            break;
    } while (FZip->avail_in > 0 || FZip->avail_out == 0);
}

void TGuideInput::Finish() {
    if (FKind == EKind::Unknown) {
        FKind = EKind::Plain;
        Deliver(std::exchange(FHead, {}));
    }
    // Rule: a compressed guide that stops before its member's end is cut short.
    if (FKind == EKind::Gzip && !FMemberEnded)
        throw EGuideError(u"节目单不完整，可能没有下载完"_s.toStdString());
}
