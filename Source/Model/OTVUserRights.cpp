#include "OTVUserRights.h"

#include "BKGroup.h"
#include "OTVPermissionWords.h"
#include "OTVUser.h"

quint16 OTVUserRights::recordWordFor(const OTVUser& user, const BKGroup* group)
{
    return group && group->mPreferencePermissions() ? group->mRecordLevelPermissions() : user.mRecordPermissionsBit();
}

bool OTVUserRights::allows(quint16 bit, quint16 word) const
{
    return administrator_ || (user_ && isPermitted(bit, word));
}

bool OTVUserRights::mayChangeRecords(quint16 bit, const BKGroup* group) const
{
    return allows(bit, user_ ? recordWordFor(*user_, group) : 0);
}

bool OTVUserRights::mayChangeGroups(quint16 bit) const
{
    return allows(bit, user_ ? user_->mGroupPermissionsBit() : 0);
}

bool OTVUserRights::mayChangeTypes(quint16 bit) const
{
    return allows(bit, user_ ? user_->mTypePermissionsBit() : 0);
}

bool OTVUserRights::mayUseData(quint16 bit) const
{
    return allows(bit, user_ ? user_->mDataPermissionsBit() : 0);
}
