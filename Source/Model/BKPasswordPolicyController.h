#pragma once

#include "OTVPasswordPolicy.h"

#include <QList>
#include <QString>

#include <mutex>

class OTVDataBase;
class RandomWordGenerator;

// The vault's password policy in force in this process: checks passwords (a user's own, the
// master password, a new or imported account's) and generates passwords that satisfy it. Empty
// (no minimum, no class) until the first refresh after the connection.
class BKPasswordPolicyController {
public:
    static BKPasswordPolicyController& sharedBKPasswordPolicyController();

    // Instances other than the shared one are for tests.
    BKPasswordPolicyController() = default;

    // Applies a policy: flag 4 requires a digit, 1 a letter, 5 both; other flags nothing.
    void passwordPolicyDidChanged(const OTVPasswordPolicy& policy);
    void passwordPolicyDidChanged(const QVariantMap& policy);
    // Applies the policy stored in the vault; when it cannot be read, no minimum and no class.
    void refreshPasswordPolicyFrom();
    void refreshPasswordPolicyFrom(OTVDataBase& store);

    OTVPasswordPolicy policy() const;
    bool stringConformsPassowrdPolicy(const QString& password) const;
    // A password for an account: at the policy's length but at least 12 characters (the
    // generator gives at most 63), tried again until it has every class the policy requires.
    QString generatePassword() const;
    QString generatePassword(RandomWordGenerator& generator) const;

private:
    enum class CharacterClass { Digits, Letters };
    static bool hasMembersInCharSet(const QString& text, CharacterClass characterClass);
    template <typename Generate>
    QString generateConforming(Generate generate) const;

    mutable std::mutex mutex_;
    int mminPassLength_ = 0;
    quint8 mCharsetFlag_ = 0;
    QList<CharacterClass> mRequiredCharSets_;
};
