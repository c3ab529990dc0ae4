#include "OTVSortedRecords.h"

#include "Model/OTVRecord.h"

#include <QHash>

#include <algorithm>

namespace {

// splitmix64's finaliser: spreads the bits of a record's address and revision over the word.
quint64 mixed(quint64 x)
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
}

quint64 fingerprintOfRecord(const OTVRecord* record, quint64 revision)
{
    return mixed(quint64(reinterpret_cast<quintptr>(record)) ^ mixed(revision));
}

} // namespace

bool OTVSortedRecords::isKept(int columnID)
{
    return columnID >= kField1ColumnID && columnID <= kAttachmentColumnID;
}

quint64 OTVSortedRecords::fingerprintOf(const std::vector<std::shared_ptr<OTVRecord>>& selected)
{
    // A sum does not depend on the order of the selection.
    quint64 sum = 0;
    for (const std::shared_ptr<OTVRecord>& record : selected)
        sum += fingerprintOfRecord(record.get(), record->mRevision());
    return sum;
}

OTVSortedRecords::Row OTVSortedRecords::rowOf(const std::shared_ptr<OTVRecord>& record, int columnID,
                                              const QDateTime& now)
{
    const bool undated = columnID == kField10ColumnID && !OTVStoredTimeFromText(record->value(kNoOfFields));
    return Row{OTVMakeRecordSortRow(record, columnID, now), record->mRecordUID(), record->mRevision(), undated};
}

bool OTVSortedRecords::before(const Row& a, const Row& b)
{
    const int order = sortItemArray(a.sort, b.sort);
    return order != 0 ? order < 0 : a.uid < b.uid;
}

namespace {
template <class Row>
bool isUndated(const Row& row)
{
    return row.undated;
}
} // namespace

std::vector<std::shared_ptr<OTVRecord>> OTVSortedRecords::recordsOf(const std::vector<Row>& rows)
{
    std::vector<std::shared_ptr<OTVRecord>> records;
    records.reserve(rows.size());
    for (const Row& row : rows)
        records.push_back(row.sort.recordItem);
    return records;
}

void OTVSortedRecords::sortAnew(List& list, const std::vector<std::shared_ptr<OTVRecord>>& selected,
                                const QDateTime& now)
{
    list.rows.clear();
    list.rows.reserve(selected.size());
    for (const std::shared_ptr<OTVRecord>& record : selected)
        list.rows.push_back(rowOf(record, list.columnID, now));
    std::sort(list.rows.begin(), list.rows.end(), before);
}

bool OTVSortedRecords::update(List& list, const std::vector<std::shared_ptr<OTVRecord>>& selected,
                              const QDateTime& now)
{
    // The selected records by address, with their revisions; those still in place in the list
    // are crossed off, the rest are new or changed.
    QHash<const OTVRecord*, quint64> current;
    current.reserve(qsizetype(selected.size()));
    for (const std::shared_ptr<OTVRecord>& record : selected)
        current.insert(record.get(), record->mRevision());
    const auto gone = [&](const Row& row) {
        const auto found = current.constFind(row.sort.recordItem.get());
        if (found == current.constEnd() || found.value() != row.revision)
            return true;
        current.erase(found);
        return false;
    };
    list.rows.erase(std::remove_if(list.rows.begin(), list.rows.end(), gone), list.rows.end());
    if (size_t(current.size()) > selected.size() / 4)
        return false;   // much has changed: a sort costs no more

    std::vector<Row> added;
    added.reserve(size_t(current.size()));
    for (const std::shared_ptr<OTVRecord>& record : selected) {
        if (current.contains(record.get()))
            added.push_back(rowOf(record, list.columnID, now));
    }
    std::sort(added.begin(), added.end(), before);
    const auto middle = list.rows.insert(list.rows.end(), std::make_move_iterator(added.begin()),
                                         std::make_move_iterator(added.end()));
    std::inplace_merge(list.rows.begin(), middle, list.rows.end(), before);
    return true;
}

std::vector<std::shared_ptr<OTVRecord>> OTVSortedRecords::sorted(const QString& groupUID, const QString& typeUID,
                                                                 int columnID,
                                                                 const std::vector<std::shared_ptr<OTVRecord>>& selected,
                                                                 const QDateTime& now)
{
    if (!isKept(columnID)) {
        List once{groupUID, typeUID, columnID};
        sortAnew(once, selected, now);
        return recordsOf(once.rows);
    }
    auto it = std::find_if(lists_.begin(), lists_.end(), [&](const List& list) {
        return list.columnID == columnID && list.groupUID == groupUID && list.typeUID == typeUID;
    });
    if (it == lists_.end()) {
        lists_.push_front(List{groupUID, typeUID, columnID});
        if (lists_.size() > kKeptLists)
            lists_.pop_back();
    } else {
        lists_.splice(lists_.begin(), lists_, it);
    }
    List& list = lists_.front();
    const quint64 fingerprint = fingerprintOf(selected);
    const bool same = !list.rows.empty() && list.count == selected.size() && list.fingerprint == fingerprint;
    if (!same && (list.rows.empty() || !update(list, selected, now)))
        sortAnew(list, selected, now);
    list.fingerprint = fingerprint;
    list.count = selected.size();
    std::vector<std::shared_ptr<OTVRecord>> records = recordsOf(list.rows);
    // Rows keyed by the time of an earlier sort are not kept: the next sort keys them anew.
    if (std::any_of(list.rows.begin(), list.rows.end(), isUndated<Row>))
        list.rows.clear();
    return records;
}
