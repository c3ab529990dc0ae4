#pragma once

#include "OTVRecord.h"

#include <QList>

#include <memory>

// The duplicates among `records`, as isEqualToRecord finds them: for each record that is not a
// duplicate itself, in list order, the later records equal to it from the last to the first.
// Records are first grouped by a hash of the values that isEqualToRecord compares, so only records
// of one group are compared: linear time where comparing every pair would be quadratic.
QList<std::shared_ptr<OTVRecord>> OTVFindDuplicateRecords(const QList<std::shared_ptr<OTVRecord>>& records);
