#pragma once

#include <memory>

class OTVDataBase;
class OTVRecord;

// What storing a record as a new one did.
struct BKAddAsNewResult {
    int addStatus = 0;
    bool copiesRow = false;  // the attachment is the source's stored one
    int copyStatus = 0;      // of the row copy, which runs only after a successful add
};

// Stores `record` as a new record made from `source` (a duplicate, or an edit saved as new). An
// attachment that is neither a new file (state 1) nor removed (state 2) is the source's: its
// stored row is copied to the new record, and only once that record is stored (the add resets
// the record's attachment state, so the choice is made before).
BKAddAsNewResult BKAddRecordAsNew(OTVDataBase& store, const OTVRecord& source,
                                  const std::shared_ptr<OTVRecord>& record);
