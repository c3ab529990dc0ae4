#pragma once

#include <memory>

class OTVDataBase;
class OTVRecord;

// What storing a record as a new one did.
struct BKAddAsNewResult {
    int addStatus = 0;
    bool copiesRow = false;  // the attachment is the source's stored one
};

// Stores `record` as a new record made from `source` (a duplicate, or an edit saved as new). An
// attachment that is neither a new file (state 1) nor removed (state 2) is the source's: its
// stored row is copied to the new record together with the record's row (the add resets the
// record's attachment state, so the choice is made before).
BKAddAsNewResult BKAddRecordAsNew(OTVDataBase& store, const OTVRecord& source,
                                  const std::shared_ptr<OTVRecord>& record);
