#include "OTVRecordDuplicates.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace {

// A hash of everything isEqualToRecord compares except the custom type's labels, icon and mask:
// records that are equal have equal hashes. Records that share a hash without being equal (the
// custom type, or a collision) are told apart by the comparison itself.
size_t duplicateHash(const OTVRecord& record)
{
    size_t seed = 0;
    const auto add = [&seed](const QString& part) { seed = qHashMulti(seed, part.size(), part); };
    add(record.mGroup() ? record.mGroup()->mGroupUID() : QString());
    seed = qHashMulti(seed, bool(record.mGroup()), bool(record.mType()), record.mIsCustomized(),
                      record.mHasAttachment());
    add(record.mType() ? record.mType()->mTypeUID() : QString());
    add(record.mHasAttachment() ? record.mAttachmentName() : QString());
    add(record.mNotes());
    for (int field = 1; field < kNoOfFields; ++field)   // value 10, the time of the change, is not compared
        add(record.value(field));
    return seed;
}

} // namespace

QList<std::shared_ptr<OTVRecord>> OTVFindDuplicateRecords(const QList<std::shared_ptr<OTVRecord>>& records)
{
    QHash<size_t, std::vector<qsizetype>> buckets;
    buckets.reserve(records.size());
    for (qsizetype i = 0; i < records.size(); ++i)
        buckets[duplicateHash(*records[i])].push_back(i);

    // Only records that share their hash with another can be or have duplicates.
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
