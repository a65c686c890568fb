#pragma once

#include "tv/guide.h"
#include "tv/guidematch.h"
#include "tv/guidetime.h"
#include "tv/xmltvparser.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <map>

// What a guide's reading keeps: the guide channels the list's channels may take, and the
// programmes of those in the window, by guide key. A programme that comes before the
// channel element that lets a list channel take it is only located, for a second pass
// over the bytes of its channel's programmes.
class TGuideCollector : public TXmltvHandler {
public:
    TGuideCollector(const TPlaylist& list, const QDateTime& now);

    void Channel(const TGuideChannelEvent& channel) override;
    bool WantsProgramme(QByteArrayView channel) override;
    void Programme(const TGuideProgrammeEvent& programme) override;

    // The byte ranges of the programmes of the matched channels of which some were passed
    // over, in order and merged; empty when no second pass is needed. Those channels'
    // programmes are dropped, and the collector takes only theirs afterwards.
    QList<std::pair<qint64, qint64>> SecondPass();
    TGuide Build() const;

private:
    struct TKept {
        qint64 stop; // seconds; the start where the guide gave no stop
        bool open;   // without a stop of its own
        TProgramme programme;
    };
    using TSchedule = std::map<qint64, TKept>; // by start, in seconds

    void Keep(const QString& key, const TGuideProgrammeEvent& event);
    static qsizetype CostOf(const TProgramme& programme);

    const TPlaylist& FList;
    TGuideMatcher FMatcher;
    qint64 FWindowStart;
    qsizetype FChannels = 0; // guide channels read
    // Where each channel's programmes stand in the document, and whether any were passed over.
    struct TSpan {
        qint64 begin = 0, end = 0;
        bool passedOver = false;
    };
    QHash<QString, TSpan> FSpans;
    bool FSpansOverflow = false;   // too many channels to locate
    QSet<QString> FSecondPassKeys; // non-empty in the second pass
    bool FSecondPass = false;
    QHash<QString, TSchedule> FSchedules;
    qint64 FCost = 0;
    QString FLastKey; // the key of the last programme asked
    QByteArray FLastChannel;
};
