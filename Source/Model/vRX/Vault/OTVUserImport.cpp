#include "OTVUserImport.h"

#include "Model/OTVStatusMessages.h"
#include "Model/OTVUserAccountChecks.h"
#include "Model/OTVUser_Admin.h"

std::optional<OTVUserImportStatusText> OTVUserImportStatusTexts(int status)
{
    const QString failed = QStringLiteral("Failed");
    switch (status) {
    case kUserImportAdded: return OTVUserImportStatusText{QStringLiteral("Succeeded"), QString()};
    case kUserImportPasswordMismatch: return OTVUserImportStatusText{failed, QStringLiteral("Password mismatch")};
    case kUserImportUserExists: return OTVUserImportStatusText{failed, QStringLiteral("User already exists")};
    case kUserImportPolicyMismatch: return OTVUserImportStatusText{failed, QStringLiteral("Password Policy mismatch")};
    case kUserImportInvalidPermission: return OTVUserImportStatusText{failed, QStringLiteral("Invalid permission")};
    case kUserImportInvalidDetails: return OTVUserImportStatusText{failed, QStringLiteral("Invalid user details")};
    case kUserImportNotCreated: return OTVUserImportStatusText{failed, QStringLiteral("Unable to create user")};
    default: return std::nullopt;
    }
}

int OTVUserImportProblem(const OEUserRecord& record, const OTVUserImportChecks& checks)
{
    // A text that could not be read cannot be compared, nor stored.
    if (!record.isAllUTF8())
        return kUserImportInvalidDetails;
    if (!record.doesPasswordMatches())
        return kUserImportPasswordMismatch;
    if (!record.mUsername())
        return kUserImportInvalidDetails;
    const QString name = *record.mUsername();
    const OTVImportedUserDetails details{name,
                                         record.mPassword().value_or(QString()),
                                         record.mFullName().value_or(QString()),
                                         record.mDescription().value_or(QString()),
                                         record.mEmail().value_or(QString()),
                                         record.mPhoneNo().value_or(QString())};
    if (!OTVImportedUserDetailsAreValid(details) || !record.hasValidUsername())
        return kUserImportInvalidDetails;
    if (checks.isNameTaken && checks.isNameTaken(name))
        return kUserImportUserExists;
    if (!record.hasVaildPermissions())
        return kUserImportInvalidPermission;
    // The details' check refused an empty password already.
    if (checks.conformsToPolicy && !checks.conformsToPolicy(details.password))
        return kUserImportPolicyMismatch;
    return kUserImportAdded;
}

int OTVAddImportedUsers(const std::vector<OEUserRecord>& records, OTVDataBase& store,
                        const std::function<bool(const QString&)>& conformsToPolicy,
                        const std::function<void(const OEUserRecord&, int status, const QString& why)>& row)
{
    // The name is checked once per row: by the store's add for a row that passes every other
    // test, and apart only for a row that a later test refuses (the name's test comes first).
    const OTVUserImportChecks checksBesideTheName{nullptr, conformsToPolicy};
    int added = 0;
    for (OEUserRecord record : records) {
        if (record.mUsername())
            record.setMUsername(OTVTrimmedUserName(*record.mUsername()));
        int status = OTVUserImportProblem(record, checksBesideTheName);
        QString why;
        if (status == kUserImportAdded) {
            const std::shared_ptr<OTVUser_Admin> user = record.createUserObject();
            bool nameTaken = false;
            const int stored = user ? store.addUserIfNameFree(user, &nameTaken) : int(kOTVStatusOtherFailure);
            status = stored == kOTVStatusOK ? kUserImportAdded : nameTaken ? kUserImportUserExists : kUserImportNotCreated;
            // The store's refusal, in the words its alerts use, on one line of the result list.
            if (status == kUserImportNotCreated)
                why = OTVStatusMessage(stored, store.lastServerMessage()).replace(QLatin1Char('\n'), QLatin1Char(' '));
        } else if ((status == kUserImportInvalidPermission || status == kUserImportPolicyMismatch) &&
                   store.isAccountNameTaken(*record.mUsername())) {
            status = kUserImportUserExists;
        }
        if (status == kUserImportAdded)
            ++added;
        if (row)
            row(record, status, why);
    }
    return added;
}

std::vector<OEUserRecord> OTVUserRecordsForExport(const OTVUserList& users,
                                                  const std::function<QString()>& generatePassword)
{
    std::vector<OEUserRecord> records;
    for (const std::shared_ptr<OTVUser_Admin>& user : users) {
        if (!user || user->isAdministrator())
            continue;
        OEUserRecord record = OEUserRecord::newRecordFromUser(*user);
        const QString password = generatePassword();
        record.setMPassword(password);
        record.setMConfirmPassword(password);
        records.push_back(std::move(record));
    }
    return records;
}
