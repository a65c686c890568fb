#include "tv/listguide.h"

#include "tv/guidefetcher.h"
#include "tv/guidetext.h"
#include "tv/openchannellist.h"

#include <chrono>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

TListGuide::TListGuide(TOpenChannelList* openList)
    : QObject(openList), FOpenList(openList), FFetcher(new TGuideFetcher(this)) {
    connect(FOpenList, &TOpenChannelList::changed, this, &TListGuide::ListChanged);
    connect(FFetcher, &TGuideFetcher::ready, this, &TListGuide::Read);
    connect(FFetcher, &TGuideFetcher::failed, this, &TListGuide::Failed);
    FProgrammeChange.setSingleShot(true);
    connect(&FProgrammeChange, &QTimer::timeout, this, &TListGuide::ShowOnAir);
    // Checked hourly rather than timed to the end of the guide, so that a machine that
    // slept past that end fetches on waking.
    FRefresh.setInterval(1h);
    connect(&FRefresh, &QTimer::timeout, this, &TListGuide::CheckRefresh);
}

void TListGuide::ListChanged(const std::shared_ptr<const TPlaylist>& list) {
    FFetcher->Release(std::exchange(FGuide, nullptr));
    FFetcher->Abort();
    FRefresh.stop();
    emit guideChanged(FGuide);
    ShowOnAir();
    if (list)
        Fetch();
}

QString TListGuide::GuideLocation() const {
    return FOpenList->GuideLocation();
}

void TListGuide::SetGuideLocation(const QString& location) {
    if (!FOpenList->List() || location.trimmed().isEmpty())
        return;
    FOpenList->SetGuideLocation(location.trimmed());
    Fetch();
}

void TListGuide::Fetch() {
    const std::shared_ptr<const TPlaylist>& list = FOpenList->List();
    const QString set = FOpenList->GuideLocation();
    const QStringList guides = set.isEmpty() ? list->guideAddresses : QStringList{set};
    if (guides.isEmpty())
        return;
    FFetched = QDateTime::currentDateTimeUtc();
    FRefresh.start();
    emit statusChanged(u"正在读取节目单…"_s);
    FFetcher->Fetch(list, guides);
}

void TListGuide::Read(std::shared_ptr<const TGuide> guide) {
    FFetcher->Release(std::exchange(FGuide, std::move(guide)));
    emit guideChanged(FGuide);
    FShown.clear();
    ShowOnAir();
    if (FShown.isEmpty())
        emit statusChanged(FOpenList->Status());
}

void TListGuide::Failed(const QString& reason) {
    FShown.clear();
    emit statusChanged(u"节目单没能读入：%1"_s.arg(reason));
}

void TListGuide::Playing(const std::shared_ptr<const TPlaylist>& list, int position) {
    FPlayingList = list;
    FPosition = position;
    ShowOnAir();
}

bool TListGuide::PlaysFromGuide() const {
    return FGuide && FPlayingList && FPlayingList == FOpenList->List();
}

QString TListGuide::OnAir() const {
    return PlaysFromGuide() ? OnAirText(*FGuide, FPosition, QDateTime::currentDateTimeUtc())
                            : QString();
}

void TListGuide::ShowOnAir() {
    FProgrammeChange.stop();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString text = PlaysFromGuide() ? NowAndNextText(*FGuide, FPosition, now) : QString();
    if (PlaysFromGuide())
        if (const QDateTime change = NextChange(*FGuide, FPosition, now); change.isValid())
            FProgrammeChange.start(std::clamp(now.msecsTo(change) + 500, qint64(1000),
                                              qint64(std::chrono::milliseconds(1h).count())));
    if (text == FShown)
        return;
    // The list's own line comes back once the guide has nothing to say.
    emit statusChanged(text.isEmpty() ? FOpenList->Status() : text);
    FShown = text;
}

void TListGuide::CheckRefresh() {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!FOpenList->List() || FFetcher->IsFetching() ||
        FFetched.secsTo(now) < std::chrono::seconds(RefreshEvery).count())
        return;
    QDateTime last;
    for (int position = 0; FGuide && position < ChannelCount(*FOpenList->List()); ++position)
        if (const QList<TProgramme> schedule = FGuide->Schedule(position); !schedule.isEmpty())
            last = std::max(last, schedule.last().stop);
    if (!last.isValid() || now.secsTo(last) < std::chrono::seconds(RefreshWithin).count())
        Fetch();
}
