#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// A group (category) in which records are filed. Groups are shared: the store's map, the
// records filed in them, the views and the workers all hold the same object.
class BKGroup {
public:
    BKGroup() = default;

    // A new group with a new UID and the empty name. It has no member or sub-group lists yet:
    // the store gives loaded groups their lists and the group editor gives new ones theirs.
    static std::shared_ptr<BKGroup> newGroup();
    // The fixed group of records that belong to no group: UID "0000000000000000", the
    // localised name "Unfiled". Made on first use and kept for the life of the process.
    static std::shared_ptr<BKGroup> UnfiledGroup();

    QString mGroupName() const { return mGroupName_; }
    void setMGroupName(const QString& name) { mGroupName_ = name; }

    // A personal group's UID is its owner's user ID.
    const QString& mGroupUID() const { return mGroupUID_; }
    void setMGroupUID(const QString& uid) { mGroupUID_ = uid; }

    // The group's record word (1 add, 2 edit, 4 delete).
    quint16 mRecordLevelPermissions() const { return mRecordLevelPermissions_; }
    void setMRecordLevelPermissions(quint16 word) { mRecordLevelPermissions_ = word; }

    // No column stores a group's type word, so it stays 0 unless set in memory.
    quint16 mTypeLevelPermissions() const { return mTypeLevelPermissions_; }
    void setMTypeLevelPermissions(quint16 word) { mTypeLevelPermissions_ = word; }

    // User IDs of the members; no list (std::nullopt) differs from an empty one.
    const std::optional<QStringList>& mUserMembersArray() const { return mUserMembersArray_; }
    void setMUserMembersArray(std::optional<QStringList> userIDs) { mUserMembersArray_ = std::move(userIDs); }

    // UIDs of the sub-groups; no list (std::nullopt) differs from an empty one.
    const std::optional<QStringList>& mSubGroupsUID() const { return mSubGroupsUID_; }
    void setMSubGroupsUID(std::optional<QStringList> groupUIDs) { mSubGroupsUID_ = std::move(groupUIDs); }

    // The group's record word prevails over the user's own.
    bool mPreferencePermissions() const { return mPreferencePermissions_; }
    void setMPreferencePermissions(bool prevails) { mPreferencePermissions_ = prevails; }

private:
    QString mGroupName_;
    QString mGroupUID_;
    quint16 mRecordLevelPermissions_ = 0;
    quint16 mTypeLevelPermissions_ = 0;
    std::optional<QStringList> mUserMembersArray_;
    std::optional<QStringList> mSubGroupsUID_;
    bool mPreferencePermissions_ = false;
};
