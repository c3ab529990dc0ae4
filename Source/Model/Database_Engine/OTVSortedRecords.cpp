#include "OTVSortedRecords.h"

#include "Model/OTVRecord.h"

#include <algorithm>

namespace {

// Changes of more records than this share of the list are sorted anew: merging them costs more.
constexpr size_t kUpdateShare = 4;
// Up to this many rows go in one by one (a search and a move of the rows after each); more are
// sorted among themselves and merged in.
constexpr size_t kInsertedOneByOne = 32;

} // namespace

bool OTVSortedRecords::isKept(int columnID)
{
    return columnID >= kField1ColumnID && columnID <= kAttachmentColumnID;
}

OTVSortedRecords::Row OTVSortedRecords::rowOf(const std::shared_ptr<OTVRecord>& record, int columnID,
                                              const QDateTime& now)
{
    const bool undated = columnID == kField10ColumnID && !OTVStoredTimeFromText(record->value(kNoOfFields));
    return Row{OTVMakeRecordSortRow(record, columnID, now), record->mRecordUID(), undated};
}

bool OTVSortedRecords::before(const Row& a, const Row& b)
{
    const int order = sortItemArray(a.sort, b.sort);
    return order != 0 ? order < 0 : a.uid < b.uid;
}

OTVRecordList OTVSortedRecords::recordsOf(const std::vector<Row>& rows)
{
    OTVRecordList records;
    records.reserve(qsizetype(rows.size()));
    for (const Row& row : rows)
        records.append(row.sort.recordItem);
    return records;
}

std::vector<OTVSortedRecords::Seen>
OTVSortedRecords::seenOf(const OTVSelectedRecords& selected)
{
    std::vector<Seen> seen;
    seen.reserve(selected.size());
    for (const OTVSelectedRecord& selection : selected)
        seen.push_back({selection.record->get(), selection.revision});
    return seen;
}

void OTVSortedRecords::sortAnew(List& list, const OTVSelectedRecords& selected,
                                const QDateTime& now)
{
    list.rows.clear();
    list.rows.reserve(selected.size());
    for (const OTVSelectedRecord& selection : selected)
        list.rows.push_back(rowOf(*selection.record, list.columnID, now));
    std::sort(list.rows.begin(), list.rows.end(), before);
    list.seen = seenOf(selected);
}

bool OTVSortedRecords::update(List& list, const OTVSelectedRecords& selected,
                              const QDateTime& now)
{
    // The last selection and this one are both in the order of the UIDs: one walk over the two
    // finds the records that came, went or changed, comparing UIDs only where they differ. (The
    // records of the last selection are alive: the rows hold them.)
    std::vector<const OTVRecord*> gone;
    std::vector<const std::shared_ptr<OTVRecord>*> came;
    const size_t limit = selected.size() / kUpdateShare;
    size_t i = 0;
    size_t j = 0;
    while ((i < selected.size() || j < list.seen.size()) && gone.size() + came.size() <= limit) {
        const Seen* old = j < list.seen.size() ? &list.seen[j] : nullptr;
        const OTVSelectedRecord* now = i < selected.size() ? &selected[i] : nullptr;
        if (old && now && old->record == now->record->get()) {
            if (old->revision != now->revision) {
                gone.push_back(old->record);
                came.push_back(now->record);
            }
            ++i;
            ++j;
        } else if (!old || (now && (*now->record)->mRecordUID() < old->record->mRecordUID())) {
            came.push_back(now->record);
            ++i;
        } else {
            // Gone, or replaced by another record of the same UID (which comes next).
            gone.push_back(old->record);
            ++j;
        }
    }
    if (gone.size() + came.size() > limit)
        return false;
    if (gone.empty() && came.empty())
        return true;

    std::sort(gone.begin(), gone.end());
    list.rows.erase(std::remove_if(list.rows.begin(), list.rows.end(),
                                   [&](const Row& row) {
                                       return std::binary_search(gone.begin(), gone.end(), row.sort.recordItem.get());
                                   }),
                    list.rows.end());
    std::vector<Row> added;
    added.reserve(came.size());
    for (const std::shared_ptr<OTVRecord>* record : came)
        added.push_back(rowOf(*record, list.columnID, now));
    std::sort(added.begin(), added.end(), before);
    if (added.size() <= kInsertedOneByOne) {
        for (Row& row : added)
            list.rows.insert(std::upper_bound(list.rows.begin(), list.rows.end(), row, before), std::move(row));
    } else {
        const auto middle = list.rows.insert(list.rows.end(), std::make_move_iterator(added.begin()),
                                             std::make_move_iterator(added.end()));
        std::inplace_merge(list.rows.begin(), middle, list.rows.end(), before);
    }
    list.seen = seenOf(selected);
    return true;
}

OTVRecordList OTVSortedRecords::sorted(const QString& groupUID, const QString& typeUID, int columnID,
                                       const OTVSelectedRecords& selected,
                                       const QDateTime& now)
{
    if (!isKept(columnID)) {
        List once{groupUID, typeUID, columnID, {}, {}};
        sortAnew(once, selected, now);
        return recordsOf(once.rows);
    }
    auto it = std::find_if(lists_.begin(), lists_.end(), [&](const List& list) {
        return list.columnID == columnID && list.groupUID == groupUID && list.typeUID == typeUID;
    });
    if (it == lists_.end()) {
        lists_.push_front(List{groupUID, typeUID, columnID, {}, {}});
        if (lists_.size() > kKeptLists)
            lists_.pop_back();
    } else {
        lists_.splice(lists_.begin(), lists_, it);
    }
    List& list = lists_.front();
    if (list.rows.empty() || !update(list, selected, now))
        sortAnew(list, selected, now);
    OTVRecordList records = recordsOf(list.rows);
    // Rows keyed by the time of an earlier sort are not kept: the next sort keys them anew.
    if (std::any_of(list.rows.begin(), list.rows.end(), [](const Row& row) { return row.undated; })) {
        list.rows.clear();
        list.seen.clear();
    }
    return records;
}
