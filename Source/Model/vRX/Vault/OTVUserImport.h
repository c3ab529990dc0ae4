#pragma once

// Turning the rows of a user list into vault users, and vault users into the rows of an
// export. The import tests each row before anything is written; the store adds a row that
// passes as one unit (its server account, grants and rows together, or nothing of it).

#include "OEUserRecord.h"

#include "Model/Database_Engine/OTVDataBase.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The outcome of one imported row.
enum OTVUserImportStatus : int {
    kUserImportAdded = 0,
    kUserImportPasswordMismatch = 1,
    kUserImportUserExists = 2,
    kUserImportPolicyMismatch = 3,
    kUserImportInvalidPermission = 4,
    kUserImportInvalidDetails = 5,
    kUserImportNotCreated = 6
};

struct OTVUserImportStatusText {
    QString status;        // "Succeeded" or "Failed"
    QString description;   // the reason of a failure
};

// The texts of a status (not yet localised); none for a status of 7 or more.
std::optional<OTVUserImportStatusText> OTVUserImportStatusTexts(int status);

// What the tests of a row ask of the vault, the server and the password policy.
struct OTVUserImportChecks {
    std::function<bool(const QString&)> isNameTaken;   // by a vault user or a server account
    std::function<bool(const QString&)> conformsToPolicy;
};

// The first test the row fails, in this order: a text of the row was not UTF-8 (5); the
// password differs from its confirmation (1); the name or another detail would not make a
// sound account (5, see OTVImportedUserDetailsAreValid); the name is taken (2);
// a permission column is invalid (4); the password fails the policy (3). kUserImportAdded when
// the row may go to the store. The record's name is taken as it stands (trimmed by the caller).
int OTVUserImportProblem(const OEUserRecord& record, const OTVUserImportChecks& checks);

// Adds the records in order, each that passes its tests through the store. `row` hears every
// record (its name trimmed) with its status as soon as it is decided, and for a user that the
// store did not add (6) why, in the store's words. Runs on the caller's thread; the store
// serialises. Returns how many users were added.
int OTVAddImportedUsers(const std::vector<OEUserRecord>& records, OTVDataBase& store,
                        const std::function<bool(const QString&)>& conformsToPolicy,
                        const std::function<void(const OEUserRecord&, int status, const QString& why)>& row);

// The rows an export writes: every user that is not an administrator, in the given order, each
// with a password of its own from `generatePassword` as password and confirmation (the stored
// accounts keep theirs, which no file ever holds).
std::vector<OEUserRecord> OTVUserRecordsForExport(const OTVUserList& users,
                                                  const std::function<QString()>& generatePassword);
