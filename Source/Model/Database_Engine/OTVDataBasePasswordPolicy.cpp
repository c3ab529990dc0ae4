// The vault-wide password policy, kept in two DATABASEINFOTABLE rows.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

namespace {

// The value is stored as decimal text in a TINYBLOB; a missing row reads as `fallback`.
int storedPolicyValue(OTVStatement& statement, int fallback)
{
    OTVResultSet rows = statement.executeQuery();
    return rows.next() ? rows.getString(1u).trimmed().toInt() : fallback;
}

} // namespace

int OTVDataBase::setPasswordPolicy(const OTVPasswordPolicy* policy)
{
    if (!policy || policy->minLength < kPasswordPolicyMinLengthLowest ||
        policy->minLength > kPasswordPolicyMinLengthHighest)
        return kOTVStatusDatabaseError;
    return runGuarded([&] {
        // Both rows or neither.
        return runInTransaction([&] {
            OTVStatement statement = prepare(kQuerySetPasswordPolicyAttr);
            statement.setString(1, QString::fromLatin1(kDatabaseInfoPolicyMinLength));
            statement.setInt(2, policy->minLength);
            statement.executeUpdate();
            statement.clearParameters();
            statement.setString(1, QString::fromLatin1(kDatabaseInfoPolicyCharsetFlag));
            statement.setInt(2, policy->charsetFlag);
            statement.executeUpdate();
            return int(kOTVStatusOK);
        });
    });
}

int OTVDataBase::initpasswordPolicy()
{
    const OTVPasswordPolicy policy{kDefaultPasswordPolicyMinLength, kDefaultPasswordPolicyCharsetFlag};
    return setPasswordPolicy(&policy);
}

std::optional<OTVPasswordPolicy> OTVDataBase::passwordPolicyDetails(int* returnCode)
{
    std::optional<OTVPasswordPolicy> policy;
    const int status = runGuarded([&] {
        OTVStatement minLength = prepare(kQueryReadPasswordPolicyAttrMinLength);
        OTVStatement charsetFlag = prepare(kQueryReadPasswordPolicyAttrCharSetFlag);
        policy = OTVPasswordPolicy{storedPolicyValue(minLength, kDefaultPasswordPolicyMinLength),
                                   storedPolicyValue(charsetFlag, kDefaultPasswordPolicyCharsetFlag)};
        return int(kOTVStatusOK);
    });
    if (returnCode)
        *returnCode = status;
    if (status != kOTVStatusOK)
        policy.reset();
    return policy;
}
