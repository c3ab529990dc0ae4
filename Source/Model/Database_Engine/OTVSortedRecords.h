#pragma once

// Sorted record lists kept between the rebuilds of the record views: a view of 100,000 records
// is rebuilt on every keystroke and change, and sorting it anew each time costs more than the
// rest of the rebuild. A list is kept per group, type and sort column, with the sort key of
// each row computed once; when records change, only their rows are taken out and put back in
// place.

#include "OTVVaultLists.h"

#include <QString>

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

// A record that a query selected, with its revision as it was read during the selection. The
// pointer is into the store's walk of the records: valid while the store lock is held.
struct OTVSelectedRecord {
    const std::shared_ptr<OTVRecord>* record;
    quint64 revision;
};
using OTVSelectedRecords = std::vector<OTVSelectedRecord>;

class OTVSortedRecords {
public:
    // The selected records (in the map's order, that of their UIDs) in ascending order of
    // `columnID`: equal keys by the secondary text, then by UID, which is the stable sort of the
    // map's order. `now` keys records whose value 10 holds no time, for column 12. The pointers
    // are only read during the call.
    //
    // The list kept for (groupUID, typeUID, columnID) is brought up to date and reused when the
    // records are the same as last time, or few have changed (told by their revisions). The
    // type, category and icon columns sort by the names of other objects, which can change under
    // the rows: they are sorted anew each time, as is a date column with records without a time.
    OTVRecordList sorted(const QString& groupUID, const QString& typeUID, int columnID,
                         const OTVSelectedRecords& selected, const QDateTime& now);

    void clear() { lists_.clear(); }

private:
    struct Row {
        OTVRecordSortRow sort;
        QString uid;
        bool undated;   // keyed by the time of the sort, which moves on
    };
    // A record of the last selection, in its order, with the revision its row was made at.
    struct Seen {
        const OTVRecord* record;
        quint64 revision;
    };
    struct List {
        QString groupUID;
        QString typeUID;
        int columnID;
        std::vector<Seen> seen;   // the selection the rows were made for, in the map's order
        std::vector<Row> rows;    // ascending
    };

    static bool isKept(int columnID);
    static Row rowOf(const std::shared_ptr<OTVRecord>& record, int columnID, const QDateTime& now);
    static bool before(const Row& a, const Row& b);
    static OTVRecordList recordsOf(const std::vector<Row>& rows);
    static std::vector<Seen> seenOf(const OTVSelectedRecords& selected);
    // Takes the rows of records that are gone or changed out of `list` and puts those of new and
    // changed records in; false when that is no cheaper than sorting anew.
    static bool update(List& list, const OTVSelectedRecords& selected,
                       const QDateTime& now);
    static void sortAnew(List& list, const OTVSelectedRecords& selected,
                         const QDateTime& now);

    // The most recently used lists first; a few are kept (each holds a row per record).
    static constexpr size_t kKeptLists = 4;
    std::list<List> lists_;
};
