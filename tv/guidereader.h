#pragma once

#include "tv/guide.h"
#include "tv/guidecollector.h"
#include "tv/guideinput.h"
#include "tv/xmltvparser.h"

#include <QByteArrayView>
#include <QDateTime>

#include <cstdio>
#include <functional>
#include <memory>

// Reads a guide for one channel list while its bytes arrive: Feed each piece as it
// comes, then Finish for the guide. It is no QObject and needs no event loop, so a
// network reply's readyRead may feed it from whatever thread reads the reply, one call
// at a time; it never touches the window. Feed and Finish throw EGuideError, after which
// the reader is spent.
//
// A guide plain or gzip'd is never held whole: only the programmes that the list's
// channels may take are kept. A guide that names its channels after their programmes
// needs a second pass over the bytes of those programmes: the bytes fed go to a
// temporary file, removed with the reader, unless the caller can give them again (from
// a cache that keeps them anyway).
class TGuideReader {
public:
    // Calls feed with the bytes fed to the reader once more, in order, in pieces.
    using TReplay = std::function<void(const std::function<void(QByteArrayView)>& feed)>;

    // The list must outlive the reader.
    TGuideReader(const TPlaylist& list, const QDateTime& now);
    // Keeps no copy: replay is called from Finish should a second pass need the bytes.
    TGuideReader(const TPlaylist& list, const QDateTime& now, TReplay replay);

    void Feed(QByteArrayView bytes);
    TGuide Finish();

private:
    void Spool(QByteArrayView bytes);
    void ReplaySpool(const std::function<void(QByteArrayView)>& feed);

    TGuideCollector FCollector;
    TXmltvParser FParser;
    TGuideInput FInput;
    TReplay FReplay;
    // An unnamed temporary file of the C library: gone when closed, even after a crash,
    // and no QObject, so that the reader may live on any thread.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> FSpool{nullptr, &std::fclose};
};
