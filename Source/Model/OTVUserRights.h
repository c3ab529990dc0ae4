#pragma once

// What the logged-in user may do, as his permission words say. On the records of a group whose
// permission prevails, the group's record word stands in for the user's own. A vault
// administrator may do everything; without a user nothing is allowed.
//
// The words are the application's rule alone: the server grants every vault user the same
// table rights, so another client under the same account is held only by those grants.

#include <QtGlobal>

class BKGroup;
class OTVUser;

class OTVUserRights {
public:
    OTVUserRights(const OTVUser* user, bool administrator) : user_(user), administrator_(administrator) {}

    // The record word that governs records of `group` (nullptr: the user's own word).
    static quint16 recordWordFor(const OTVUser& user, const BKGroup* group);

    // `bit` of the record word (1 add, 2 edit, 4 delete) for records of `group`.
    bool mayChangeRecords(quint16 bit, const BKGroup* group) const;
    // `bit` of the group word and of the type word (1 add, 2 edit, 4 delete).
    bool mayChangeGroups(quint16 bit) const;
    bool mayChangeTypes(quint16 bit) const;
    // `bit` of the data word (kDataPermissionCopy ...).
    bool mayUseData(quint16 bit) const;

private:
    bool allows(quint16 bit, quint16 word) const;
    const OTVUser* user_;
    bool administrator_;
};
