#pragma once

#include "tv/playlist.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>

// Names of the list's channels against a guide's channels, which give an id and display
// names: the forms both sides are compared in, and the first guide channel each list
// channel finds at each stage of the comparison.

// Width folded (NFKC), case folded, without blanks, "-", "_" and "·".
QString NormaliseChannelName(QStringView name);
// A normalised name with its trailing quality tags (HD, 4K, 高清, "(1080p)", "[…]"...)
// dropped, again and again; empty when nothing else is left.
QString CutQualityTags(QString normalised);

class TGuideMatcher {
public:
    explicit TGuideMatcher(const TPlaylist& list);

    // A guide channel read; answers whether some list channel may take its programmes.
    bool AddChannel(const QString& id, const QStringList& displayNames);
    // The key of an id, as the guide's programmes name their channel.
    static QString Key(QStringView id);
    bool IsCandidate(const QString& key) const { return FCandidates.contains(key); }
    // The guide channel each list position takes, by key; positions without one absent.
    QHash<int, QString> Matches() const;
    // The id of a key as the guide first wrote it.
    QString WrittenId(const QString& key) const { return FWritten.value(key); }

private:
    // Rule: an id match wins over a full-name match, which wins over one cut of tags.
    enum EStage { ById, ByName, ByCutName, StageCount };
    void Offer(EStage stage, const QString& key, const QString& guideKey, bool& taken);

    std::array<QHash<QString, QList<int>>, StageCount> FPositions;
    QList<std::array<QString, StageCount>> FFound; // per position, the first guide key
    QHash<QString, QString> FWritten;
    QSet<QString> FCandidates;
};
