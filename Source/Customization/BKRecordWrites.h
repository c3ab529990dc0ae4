#pragma once

#include <functional>
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

// Stores what the record details window answered (`operation`: 0 add, 1 replace, 2 store as
// new) and answers the store's status. The window runs it while it is still open, so that a
// refusal leaves it open with what was typed.
using BKDetailsAnswerWriter = std::function<int(const std::shared_ptr<OTVRecord>& answer, int operation)>;

// Runs a details window through `run`, handing it `write`. An answer that the window returns
// without having written it (a window that cannot write) is written now, and a refusal shown.
std::shared_ptr<OTVRecord> BKRunDetailsWindowWriting(
    OTVDataBase& store, const std::function<std::shared_ptr<OTVRecord>(const BKDetailsAnswerWriter&)>& run,
    const BKDetailsAnswerWriter& write, const int* operation);
