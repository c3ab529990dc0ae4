#include "OTVUserImport.h"

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
    if (!record.doesPasswordMatches())
        return kUserImportPasswordMismatch;
    // No name that could not be an account name ever reaches a query of the store.
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
                        const std::function<void(const OEUserRecord&, int status)>& row)
{
    const OTVUserImportChecks checks{
        [&store](const QString& name) { return store.isUserExistsInOstrevin(name) || store.isServerAccountName(name); },
        conformsToPolicy};
    int added = 0;
    for (OEUserRecord record : records) {
        if (record.mUsername())
            record.setMUsername(OTVTrimmedUserName(*record.mUsername()));
        int status = OTVUserImportProblem(record, checks);
        if (status == kUserImportAdded) {
            const std::shared_ptr<OTVUser_Admin> user = record.createUserObject();
            status = user && store.addUser(user) == kOTVStatusOK ? kUserImportAdded : kUserImportNotCreated;
        }
        if (status == kUserImportAdded)
            ++added;
        if (row)
            row(record, status);
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
