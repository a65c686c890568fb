#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <memory>

struct z_stream_s;

// A guide's bytes as they arrive, plain or gzip (told by the first two bytes), handed on
// plain; throws EGuideError past 64 MiB compressed or 512 MiB plain, or on broken gzip.
class TGuideInput {
public:
    using TSink = std::function<void(QByteArrayView plain)>;
    explicit TGuideInput(TSink sink);
    ~TGuideInput();
    TGuideInput(const TGuideInput&) = delete;
    TGuideInput& operator=(const TGuideInput&) = delete;

    void Feed(QByteArrayView bytes);
    // Throws when a compressed guide ends before its end.
    void Finish();

private:
    void Inflate(QByteArrayView bytes);
    void Deliver(QByteArrayView plain);

    TSink FSink;
    enum class EKind { Unknown, Plain, Gzip } FKind = EKind::Unknown;
    QByteArray FHead; // the first byte, until the second tells the kind
    std::unique_ptr<z_stream_s> FZip;
    QByteArray FOut;
    bool FMemberEnded = false;
    qint64 FCompressed = 0;
    qint64 FPlain = 0;
};
