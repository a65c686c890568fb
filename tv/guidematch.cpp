#include "tv/guidematch.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

// Longer tags first, so that FHD is not taken for HD after an F.
constexpr std::array<QStringView, 11> QualityTags{u"fhd",  u"uhd",  u"hd",   u"sd",   u"4k",  u"8k",
                                                  u"高清", u"超清", u"标清", u"蓝光", u"频道"};

bool IsDropped(QChar c) {
    return c.isSpace() || c == u'-' || c == u'_' || c == u'·';
}

// Rule: "(1080p)", "(720i)" and the like.
bool EndsWithResolution(QStringView name, qsizetype& cut) {
    if (!name.endsWith(u"p)") && !name.endsWith(u"i)"))
        return false;
    qsizetype i = name.size() - 2;
    while (i > 0 && name[i - 1].isDigit())
        --i;
    if (i == name.size() - 2 || i == 0 || name[i - 1] != u'(')
        return false;
    cut = name.size() - (i - 1);
    return true;
}

// Rule: anything in square brackets at the end.
bool EndsWithBracketed(QStringView name, qsizetype& cut) {
    if (!name.endsWith(u']'))
        return false;
    const qsizetype open = name.lastIndexOf(u'[');
    if (open < 0)
        return false;
    cut = name.size() - open;
    return true;
}

} // namespace

QString NormaliseChannelName(QStringView name) {
    QString folded = name.toString().normalized(QString::NormalizationForm_KC).toCaseFolded();
    folded.removeIf(IsDropped);
    return folded;
}

QString CutQualityTags(QString normalised) {
    for (bool cut = true; cut && !normalised.isEmpty();) {
        cut = false;
        qsizetype length = 0;
        if (EndsWithResolution(normalised, length) || EndsWithBracketed(normalised, length)) {
            normalised.chop(length);
            cut = true;
            continue;
        }
        for (QStringView tag : QualityTags)
            if (normalised.endsWith(tag)) {
                normalised.chop(tag.size());
                cut = true;
                break;
            }
    }
    return normalised;
}

QString TGuideMatcher::Key(QStringView id) {
    return id.toString().toCaseFolded();
}

TGuideMatcher::TGuideMatcher(const TPlaylist& list) {
    const int count = ChannelCount(list);
    FFound.resize(count);
    for (int position = 0; position < count; ++position) {
        const TPlaylistChannel* channel = ChannelAt(list, position);
        // Rule: tvg-id first, then tvg-name, else the name, whole and cut of its tags.
        if (!channel->tvgId.isEmpty())
            FPositions[ById][Key(channel->tvgId)].append(position);
        const QString name =
            NormaliseChannelName(channel->tvgName.isEmpty() ? channel->name : channel->tvgName);
        if (name.isEmpty())
            continue;
        FPositions[ByName][name].append(position);
        // Rule: a name the cut leaves empty is not used.
        if (const QString cut = CutQualityTags(name); !cut.isEmpty())
            FPositions[ByCutName][cut].append(position);
    }
}

void TGuideMatcher::Offer(EStage stage, const QString& key, const QString& guideKey, bool& taken) {
    const auto found = FPositions[stage].constFind(key);
    if (found == FPositions[stage].cend())
        return;
    for (int position : *found) {
        // Rule: of the guide channels a name finds at one stage, the first read wins.
        QString& first = FFound[position][stage];
        if (first.isEmpty()) {
            first = guideKey;
            taken = true;
        } else if (first == guideKey) {
            taken = true;
        }
    }
}

bool TGuideMatcher::AddChannel(const QString& id, const QStringList& displayNames) {
    const QString key = Key(id);
    if (key.isEmpty())
        return false;
    if (!FWritten.contains(key))
        FWritten.insert(key, id);
    bool taken = FCandidates.contains(key);
    Offer(ById, key, key, taken);
    // Rule: the names compare against the id and every display name.
    QStringList names{NormaliseChannelName(id)};
    for (const QString& displayName : displayNames)
        names << NormaliseChannelName(displayName);
    for (const QString& name : names)
        if (!name.isEmpty())
            Offer(ByName, name, key, taken);
    for (const QString& name : names)
        if (const QString cut = CutQualityTags(name); !cut.isEmpty())
            Offer(ByCutName, cut, key, taken);
    if (taken)
        FCandidates.insert(key);
    return taken;
}

QHash<int, QString> TGuideMatcher::Matches() const {
    QHash<int, QString> matches;
    for (int position = 0; position < FFound.size(); ++position)
        for (const QString& key : FFound[position])
            if (!key.isEmpty()) {
                matches.insert(position, key);
                break;
            }
    return matches;
}
