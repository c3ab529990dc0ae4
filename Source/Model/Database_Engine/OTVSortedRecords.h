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

class OTVSortedRecords {
public:
    // The selected records (in the map's order) in ascending order of `columnID`: equal keys by
    // the secondary text, then by UID, which is the stable sort of the map's order. `now` keys
    // records whose value 10 holds no time, for column 12.
    //
    // The list kept for (groupUID, typeUID, columnID) is brought up to date and reused when the
    // records are the same as last time, or few have changed (told by their revisions). The
    // type, category and icon columns sort by the names of other objects, which can change under
    // the rows: they are sorted anew each time, as is a date column with records without a time.
    std::vector<std::shared_ptr<OTVRecord>> sorted(const QString& groupUID, const QString& typeUID, int columnID,
                                                   const std::vector<std::shared_ptr<OTVRecord>>& selected,
                                                   const QDateTime& now);

    void clear() { lists_.clear(); }

private:
    struct Row {
        OTVRecordSortRow sort;
        QString uid;
        quint64 revision;
        bool undated;   // keyed by the time of the sort, which moves on
    };
    struct List {
        QString groupUID;
        QString typeUID;
        int columnID;
        quint64 fingerprint = 0;
        size_t count = 0;
        std::vector<Row> rows;   // ascending
    };

    static bool isKept(int columnID);
    static quint64 fingerprintOf(const std::vector<std::shared_ptr<OTVRecord>>& selected);
    static Row rowOf(const std::shared_ptr<OTVRecord>& record, int columnID, const QDateTime& now);
    static bool before(const Row& a, const Row& b);
    static std::vector<std::shared_ptr<OTVRecord>> recordsOf(const std::vector<Row>& rows);
    // Takes the rows of records that are gone or changed out of `list` and puts those of new and
    // changed records in; false when that is no cheaper than sorting anew.
    static bool update(List& list, const std::vector<std::shared_ptr<OTVRecord>>& selected, const QDateTime& now);
    static void sortAnew(List& list, const std::vector<std::shared_ptr<OTVRecord>>& selected, const QDateTime& now);

    // The most recently used lists first; a few are kept (each holds a row per record).
    static constexpr size_t kKeptLists = 4;
    std::list<List> lists_;
};
