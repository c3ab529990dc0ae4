// Queries over the vault maps: the records, groups, types and users that the interface lists,
// look-ups by UID and name, and the in-memory side of the smart-type lists.
#include "OTVDataBase.h"

#include "Model/OTVRecord.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"

#include <QByteArrayMatcher>
#include <QStringMatcher>

#include <algorithm>
#include <cstring>
#include <future>
#include <sched.h>
#include <thread>

namespace {

// Vaults of this many records are searched on several threads at once: one thread walks the
// map too slowly to answer within a frame.
constexpr int kParallelSelectionRecords = 8192;
constexpr int kMaxSelectionThreads = 8;

// The cores this process may run on (fewer than the machine has when it is confined to some).
int availableCores()
{
    cpu_set_t cores;
    if (sched_getaffinity(0, sizeof cores, &cores) == 0)
        return CPU_COUNT(&cores);
    return int(std::thread::hardware_concurrency());
}

// The search of the record list: a literal part of a value, without regard to case. The term
// is folded once and looked for in each record's folded search text, in the form that text is
// kept in (one byte a character, or UTF-16).
class RecordSearch {
public:
    // The empty text is contained in every value; callers decide what it means.
    explicit RecordSearch(const QString& text)
        : folded_(OTVRecord::searchFolded(text))
        , matcher_(folded_, Qt::CaseSensitive)
        , spansValues_(text.contains(QChar(OTVRecord::kSearchTextSeparator)))
    {
        if (!folded_.isEmpty() && std::all_of(folded_.cbegin(), folded_.cend(), [](QChar c) { return c.unicode() <= 0xFF; })) {
            latin1Term_ = folded_.toLatin1();
            latin1Matcher_.setPattern(latin1Term_);
        }
    }

    // Values 1 to 9, value 10 as shown (its stored form is not searched) and the notes;
    // masked values too.
    bool isInRecord(const OTVRecord& record) const
    {
        if (spansValues_)
            return isInAValue(record);
        const OTVTextPack& searched = record.mSearchText();
        if (searched.isLatin1()) {
            // A term with a character beyond Latin-1 is in no such text.
            if (latin1Term_.isEmpty())
                return folded_.isEmpty();
            const QLatin1StringView text = searched.latin1(0);
            if (latin1Term_.size() == 1)
                return std::memchr(text.data(), latin1Term_.front(), size_t(text.size())) != nullptr;
            return latin1Matcher_.indexIn(text.data(), text.size()) >= 0;
        }
        const QStringView text = searched.utf16(0);
        if (folded_.size() == 1)
            return text.indexOf(folded_.front()) >= 0;
        return matcher_.indexIn(text) >= 0;
    }

private:
    // A term holding the separator could match across two values in the search text: it is
    // looked for in each value on its own.
    bool isInAValue(const OTVRecord& record) const
    {
        const auto isIn = [&](const QString& text) { return text.contains(folded_, Qt::CaseInsensitive); };
        for (int field = 1; field < kNoOfFields; ++field) {
            if (isIn(record.value(field)))
                return true;
        }
        return isIn(record.mValue10ForDisaply()) || isIn(record.mNotes());
    }

    QString folded_;
    QStringMatcher matcher_;
    QByteArray latin1Term_;   // the folded term, when it is all Latin-1
    QByteArrayMatcher latin1Matcher_;
    bool spansValues_;
};

// The records lie scattered in memory: a walk over them waits mostly for their lines. The lines
// that the selection and the search read are asked for some records ahead, the search text
// once its address has arrived. Always inlined: GCC drops the prefetches of a helper it finds
// to have no effect.
template <class Records>
__attribute__((always_inline)) inline void fetchAhead(const Records& records, size_t i, size_t end)
{
    constexpr size_t kRecordsAhead = 16;
    constexpr size_t kTextsAhead = 8;
    if (i + kRecordsAhead < end) {
        const OTVRecord* ahead = records[i + kRecordsAhead].get();
        __builtin_prefetch(&ahead->mGroup());
        __builtin_prefetch(&ahead->mSearchText());
    }
    if (i + kTextsAhead < end)
        __builtin_prefetch(records[i + kTextsAhead]->mSearchText().block());
}

template <class Object, class Compare>
QList<std::shared_ptr<Object>> sortedByName(QList<std::shared_ptr<Object>> list, Compare compare)
{
    std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) { return compare(*a, *b) < 0; });
    return list;
}

// The records of `sorted` that hold the search term, in their order; a long list is searched
// in parts on threads of their own.
OTVRecordList matchingInOrder(const OTVRecordList& sorted, const RecordSearch& search)
{
    const int parts = std::min(availableCores(), kMaxSelectionThreads);
    const size_t count = size_t(sorted.size());
    const auto matching = [&](size_t from, size_t to) {
        OTVRecordList found;
        found.reserve(qsizetype(to - from));
        for (size_t i = from; i < to; ++i) {
            fetchAhead(sorted, i, to);
            if (search.isInRecord(*sorted[qsizetype(i)]))
                found.append(sorted[qsizetype(i)]);
        }
        return found;
    };
    if (count < size_t(kParallelSelectionRecords) || parts < 2)
        return matching(0, count);
    std::vector<std::future<OTVRecordList>> found;
    for (int part = 0; part < parts; ++part)
        found.push_back(std::async(std::launch::async, matching, count * size_t(part) / size_t(parts),
                                   count * size_t(part + 1) / size_t(parts)));
    OTVRecordList records;
    records.reserve(qsizetype(count));
    for (std::future<OTVRecordList>& part : found)
        records.append(part.get());
    return records;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Records

template <class Take>
void OTVDataBase::walkRecords(const QString* groupUID, const QString* typeUID, const QString& searchString,
                              const QStringList* inUIDs, const Take& take) const
{
    const bool searching = !searchString.isEmpty();
    const RecordSearch search(searchString);
    const auto selects = [&](const OTVRecord& record) {
        // A record without a group is another user's personal record.
        const BKGroup* group = record.mGroup().get();
        if (!group || (groupUID && group->mGroupUID() != *groupUID))
            return false;
        if (typeUID && (!record.mType() || record.mType()->mTypeUID() != *typeUID))
            return false;
        if (inUIDs && !inUIDs->contains(record.mRecordUID()))
            return false;
        return !searching || search.isInRecord(record);
    };
    StoreLock lock(*this);
    const std::vector<std::shared_ptr<OTVRecord>>& records = mRecords_.inOrder();
    const size_t count = records.size();
    const int parts = std::min(availableCores(), kMaxSelectionThreads);
    if (count < size_t(kParallelSelectionRecords) || parts < 2) {
        for (size_t i = 0; i < count; ++i) {
            fetchAhead(records, i, count);
            const std::shared_ptr<OTVRecord>& record = records[i];
            if (selects(*record))
                take(record, record->mRevision());
        }
        return;
    }
    // A large vault is walked in parts on threads of their own (no reference counts change on
    // them); the lock keeps writers out meanwhile. The parts are handed over in map order. The
    // revision is read with the rest of the record, while it is at hand.
    std::vector<std::future<OTVSelectedRecords>> parted;
    for (int part = 0; part < parts; ++part) {
        const size_t from = count * size_t(part) / size_t(parts);
        const size_t to = count * size_t(part + 1) / size_t(parts);
        parted.push_back(std::async(std::launch::async, [&, from, to] {
            OTVSelectedRecords selected;
            selected.reserve(to - from);
            for (size_t i = from; i < to; ++i) {
                fetchAhead(records, i, to);
                const OTVRecord& record = *records[i];
                if (selects(record))
                    selected.push_back({&records[i], record.mRevision()});
            }
            return selected;
        }));
    }
    for (std::future<OTVSelectedRecords>& part : parted) {
        for (const OTVSelectedRecord& selected : part.get())
            take(*selected.record, selected.revision);
    }
}

OTVSelectedRecords OTVDataBase::selectedRecords(const QString* groupUID, const QString* typeUID,
                                                const QString& searchString, const QStringList* inUIDs) const
{
    StoreLock lock(*this);
    OTVSelectedRecords selected;
    selected.reserve(size_t(mRecords_.size()));
    walkRecords(groupUID, typeUID, searchString, inUIDs, [&](const std::shared_ptr<OTVRecord>& record, quint64 revision) {
        selected.push_back({&record, revision});
    });
    return selected;
}

OTVSelectedRecords OTVDataBase::selectedRecords(const std::shared_ptr<BKGroup>& group,
                                                const std::shared_ptr<OTVType>& type, const QString& searchString,
                                                const QStringList* inUIDs) const
{
    return selectedRecords(group ? &group->mGroupUID() : nullptr, type ? &type->mTypeUID() : nullptr, searchString,
                           inUIDs);
}

void OTVDataBase::selectRecords(const QString* groupUID, const QString* typeUID, const QString& searchString,
                                const QStringList* inUIDs,
                                const std::function<void(const std::shared_ptr<OTVRecord>&)>& take) const
{
    walkRecords(groupUID, typeUID, searchString, inUIDs,
                [&](const std::shared_ptr<OTVRecord>& record, quint64) { take(record); });
}

void OTVDataBase::selectRecords(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type,
                                const QString& searchString, const QStringList* inUIDs,
                                const std::function<void(const std::shared_ptr<OTVRecord>&)>& take) const
{
    selectRecords(group ? &group->mGroupUID() : nullptr, type ? &type->mTypeUID() : nullptr, searchString, inUIDs,
                  take);
}

OTVRecordList OTVDataBase::itemsOfGroup(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type,
                                        const QString& searchString) const
{
    // Reserved whole: a list of shared pointers that grows copies every one of them.
    OTVRecordList records;
    StoreLock lock(*this);
    records.reserve(mRecords_.size());
    walkRecords(group ? &group->mGroupUID() : nullptr, type ? &type->mTypeUID() : nullptr, searchString, nullptr,
                [&](const std::shared_ptr<OTVRecord>& record, quint64) { records.append(record); });
    return records;
}

int OTVDataBase::itemsCountOfGroup(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type,
                                   const QString& searchString) const
{
    int count = 0;
    walkRecords(group ? &group->mGroupUID() : nullptr, type ? &type->mTypeUID() : nullptr, searchString, nullptr,
                [&](const std::shared_ptr<OTVRecord>&, quint64) { ++count; });
    return count;
}

OTVRecordList OTVDataBase::itemsOfGroup(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type,
                                        const QString& searchString, int withSortInColumnID,
                                        bool orderAscending) const
{
    // One time for every value 10 that holds none, so that such rows tie with each other.
    const QDateTime now = QDateTime::currentDateTime();
    StoreLock lock(*this);
    // The group's (and type's) records in order, from the list kept for them; the search then
    // keeps the matching ones in that order.
    OTVSelectedRecords selected = selectedRecords(group, type, QString(), nullptr);
    const QString groupKey = group ? QLatin1Char('g') + group->mGroupUID() : QStringLiteral("*");
    const QString typeKey = type ? QLatin1Char('t') + type->mTypeUID() : QStringLiteral("*");
    OTVRecordList records = mSortedRecords_.sorted(groupKey, typeKey, withSortInColumnID, selected, now);
    selected = {};
    if (!searchString.isEmpty())
        records = matchingInOrder(records, RecordSearch(searchString));
    if (!orderAscending)
        std::reverse(records.begin(), records.end());
    return records;
}

OTVRecordList OTVDataBase::itemsOfGroup(const std::shared_ptr<BKGroup>& group, const QString& searchString) const
{
    return itemsOfGroup(group, nullptr, searchString);
}

OTVRecordList OTVDataBase::itemsOfGroup(const std::shared_ptr<BKGroup>& group, const QString& searchString,
                                        const QStringList& inUIDs) const
{
    OTVRecordList records;
    StoreLock lock(*this);
    records.reserve(mRecords_.size());
    selectRecords(group, nullptr, searchString, &inUIDs, [&](const auto& record) { records.append(record); });
    return records;
}

bool OTVDataBase::containsString(const QString& searchString, const OTVRecord& record) const
{
    if (searchString.isNull())
        return true;
    return !searchString.isEmpty() && RecordSearch(searchString).isInRecord(record);
}

OTVTypeList OTVDataBase::allTypesForGroup(const QString& groupUID, const QString& searchString) const
{
    OTVTypeList types;
    selectRecords(groupUID.isEmpty() ? nullptr : &groupUID, nullptr, searchString, nullptr,
                  [&](const std::shared_ptr<OTVRecord>& record) {
        if (record->mType() && !types.contains(record->mType()))
            types.append(record->mType());
    });
    return sortedByName(types, sortTypeArray);
}

void OTVDataBase::addSearchRecordItem(const std::shared_ptr<OTVRecord>& record,
                                      std::vector<OTVRecordSortRow>& toRecordArray, int withColumnID) const
{
    toRecordArray.push_back(OTVMakeRecordSortRow(record, withColumnID, QDateTime::currentDateTime()));
}

// ---------------------------------------------------------------------------------------------
// Groups, types and users

QString OTVDataBase::personalGroupUID() const
{
    return mCurrentUser()->mUserID();
}

OTVGroupList OTVDataBase::groups(bool includePersonalGroup) const
{
    StoreLock lock(*this);
    OTVGroupList list = mGroups_.values();
    if (!includePersonalGroup) {
        const QString personal = personalGroupUID();
        list.removeIf([&](const std::shared_ptr<BKGroup>& group) { return group->mGroupUID() == personal; });
    }
    return sortedByName(list, sortGroupArray);
}

OTVGroupList OTVDataBase::groupsWithPermission() const
{
    return groups(true);
}

OTVGroupList OTVDataBase::groupsForEditing() const
{
    return groups(true);
}

OTVTypeList OTVDataBase::typesForEditing() const
{
    StoreLock lock(*this);
    return sortedByName(mTypes_.values(), sortTypeArray);
}

OTVGroupList OTVDataBase::subGroupsForGroupWithID(const QString& groupUID) const
{
    StoreLock lock(*this);
    const QString personal = personalGroupUID();
    OTVGroupList list = mGroups_.values();
    list.removeIf([&](const std::shared_ptr<BKGroup>& group) {
        const QString uid = group->mGroupUID();
        return uid == kUnfiledUID || uid == groupUID || uid == personal;
    });
    return sortedByName(list, sortGroupArray);
}

OTVUserList OTVDataBase::sortedUsersContainsString(const QString& prefix) const
{
    StoreLock lock(*this);
    if (prefix.isEmpty())
        return sortedByName(mUsers_.values(), sortUsersArray);
    const QString lowerPrefix = prefix.toLower();
    OTVUserList users;
    for (const std::shared_ptr<OTVUser_Admin>& user : mUsers_) {
        if (user->mUsername().toLower().startsWith(lowerPrefix))
            users.append(user);
    }
    return users;
}

// ---------------------------------------------------------------------------------------------
// Look-ups

std::shared_ptr<BKGroup> OTVDataBase::groupWithUID(const QString& groupUID) const
{
    StoreLock lock(*this);
    return mGroups_.value(groupUID);
}

std::shared_ptr<OTVRecord> OTVDataBase::getRecordForUID(const QString& recordUID) const
{
    StoreLock lock(*this);
    return mRecords_.value(recordUID);
}

std::shared_ptr<BKGroup> OTVDataBase::getGroupFromGroupName(const QString& name) const
{
    for (const std::shared_ptr<BKGroup>& group : groupsForEditing()) {
        if (group->mGroupName() == name)
            return group;
    }
    return nullptr;
}

std::shared_ptr<BKGroup> OTVDataBase::findSimilarCategory(const BKGroup& group) const
{
    StoreLock lock(*this);
    for (const std::shared_ptr<BKGroup>& candidate : mGroups_) {
        if (candidate.get() != &group && candidate->mGroupName() == group.mGroupName())
            return candidate;
    }
    return nullptr;
}

std::shared_ptr<OTVType> OTVDataBase::findSimilarType(const OTVType& type, const BKGroup*) const
{
    StoreLock lock(*this);
    for (const std::shared_ptr<OTVType>& candidate : mTypes_) {
        if (candidate.get() != &type && candidate->mTypeName() == type.mTypeName())
            return candidate;
    }
    return nullptr;
}

bool OTVDataBase::anyRecordHasAtachementinArray(const OTVRecordList* records) const
{
    const auto hasAttachment = [](const std::shared_ptr<OTVRecord>& record) {
        return record && record->mHasAttachment();
    };
    if (records)
        return std::any_of(records->begin(), records->end(), hasAttachment);
    bool found = false;
    selectRecords(nullptr, nullptr, QString(), nullptr,
                  [&](const std::shared_ptr<OTVRecord>& record) { found = found || hasAttachment(record); });
    return found;
}

bool OTVDataBase::isGroupExistsInDatabase() const
{
    StoreLock lock(*this);
    return !mGroups_.isEmpty();
}

bool OTVDataBase::isTypeExistsInDatabase() const
{
    StoreLock lock(*this);
    return !mTypes_.isEmpty();
}

// ---------------------------------------------------------------------------------------------
// Smart-type lists and view counts

void OTVDataBase::addRecentlyViewedRecord(const std::shared_ptr<OTVRecord>& record)
{
    if (record && !recentlyViewedRecords().contains(record->mRecordUID()))
        addRecordToServerList(OTVServerList::RecentlyViewed, record, mCurrentUser()->mUserID());
}

void OTVDataBase::addRecentlyModifiedRecord(const std::shared_ptr<OTVRecord>& record)
{
    if (record && !recentlyModifiedRecords().contains(record->mRecordUID()))
        addRecordToServerList(OTVServerList::RecentlyModified, record, mCurrentUser()->mUserID());
}

void OTVDataBase::addRecentlyAddedRecord(const std::shared_ptr<OTVRecord>& record)
{
    if (record && !mRecentlyAddedRecords.contains(record->mRecordUID()))
        addRecordToServerList(OTVServerList::RecentlyAdded, record, mCurrentUser()->mUserID());
}

void OTVDataBase::addMostViewedRecord(const std::shared_ptr<OTVRecord>& record, bool byIncreamenting)
{
    if (!record)
        return;
    const QString uid = record->mRecordUID();
    if (byIncreamenting)
        incrementViewCountofRecord(uid);
    const int count = getViewCountofRecord(uid);
    const QStringList listed = mostViewedRecords();
    if (count <= 0 || listed.contains(uid))
        return;
    if (listed.size() >= kRecentListCap) {
        // The earliest of the entries with the lowest count makes room, unless the newcomer's
        // count is lower still.
        QString lowestUID;
        int lowestCount = 0;
        for (const QString& entry : listed) {
            const int listedCount = getViewCountofRecord(entry);
            if (lowestUID.isNull() || listedCount < lowestCount) {
                lowestUID = entry;
                lowestCount = listedCount;
            }
        }
        if (count < lowestCount)
            return;
        removeRecordFromMostViewedList(lowestUID);
    }
    addRecordToServerList(OTVServerList::MostViewed, record, mCurrentUser()->mUserID());
}

void OTVDataBase::incrementViewCountofRecord(const QString& recordUID)
{
    StoreLock lock(*this);
    if (const std::shared_ptr<OTVRecord> record = mRecords_.value(recordUID))
        record->setMViewCounter(record->mViewCounter() + 1);
}

int OTVDataBase::getViewCountofRecord(const QString& recordUID) const
{
    StoreLock lock(*this);
    const std::shared_ptr<OTVRecord> record = mRecords_.value(recordUID);
    return record ? record->mViewCounter() : 0;
}
