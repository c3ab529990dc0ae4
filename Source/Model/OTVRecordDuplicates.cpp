#include "OTVRecordDuplicates.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace {

// Everything isEqualToRecord compares except the custom type's labels, icon and mask: records
// that are equal have equal keys (the few that differ only in the custom type are told apart
// by the comparison). Each part is preceded by its length so that no two part lists join into
// the same key.
QString duplicateKey(const OTVRecord& record)
{
    QString key;
    const auto add = [&key](const QString& part) {
        key += QString::number(part.size());
        key += QLatin1Char(':');
        key += part;
    };
    add(record.mGroup() ? QLatin1Char('g') + record.mGroup()->mGroupUID() : QString());
    add(record.mType() ? QLatin1Char('t') + record.mType()->mTypeUID() : QString());
    add(record.mIsCustomized() ? QStringLiteral("c") : QString());
    add(record.mHasAttachment() ? QLatin1Char('a') + record.mAttachmentName() : QString());
    add(record.mNotes());
    for (int field = 1; field < kNoOfFields; ++field)   // value 10, the time of the change, is not compared
        add(record.value(field));
    return key;
}

} // namespace

QList<std::shared_ptr<OTVRecord>> OTVFindDuplicateRecords(const QList<std::shared_ptr<OTVRecord>>& records)
{
    QHash<QString, std::vector<qsizetype>> buckets;
    buckets.reserve(records.size());
    for (qsizetype i = 0; i < records.size(); ++i)
        buckets[duplicateKey(*records[i])].push_back(i);

    // Only records that share their key with another can be or have duplicates.
    QHash<qsizetype, const std::vector<qsizetype>*> bucketOfIndex;
    std::vector<qsizetype> candidates;
    for (auto it = buckets.cbegin(); it != buckets.cend(); ++it) {
        if (it->size() < 2)
            continue;
        for (qsizetype index : *it) {
            bucketOfIndex.insert(index, &*it);
            candidates.push_back(index);
        }
    }
    std::sort(candidates.begin(), candidates.end());

    std::vector<bool> taken(records.size(), false);
    QList<std::shared_ptr<OTVRecord>> duplicates;
    for (qsizetype first : candidates) {
        if (taken[first])
            continue;
        taken[first] = true;
        const std::vector<qsizetype>& bucket = *bucketOfIndex.value(first);
        for (auto j = bucket.rbegin(); j != bucket.rend() && *j > first; ++j) {
            if (!taken[*j] && records[*j]->isEqualToRecord(*records[first])) {
                taken[*j] = true;
                duplicates.append(records[*j]);
            }
        }
    }
    return duplicates;
}
