#pragma once

#include <QString>
#include <QVariantMap>

// The vault-wide password policy: a minimum length and the character classes a password must
// contain (charsetFlag: bit 0 letters, bit 2 digits; the policy sheet writes 0, 1, 4 or 5).
struct OTVPasswordPolicy {
    int minLength = 0;
    int charsetFlag = 0;

    friend bool operator==(const OTVPasswordPolicy& a, const OTVPasswordPolicy& b)
    {
        return a.minLength == b.minLength && a.charsetFlag == b.charsetFlag;
    }
    friend bool operator!=(const OTVPasswordPolicy& a, const OTVPasswordPolicy& b) { return !(a == b); }
};

constexpr int kPasswordPolicyLettersFlag = 1;
constexpr int kPasswordPolicyDigitsFlag = 4;

// The minimum length a policy may ask for.
constexpr int kPasswordPolicyMinLengthLowest = 0;
constexpr int kPasswordPolicyMinLengthHighest = 40;

// A new vault's policy.
constexpr int kDefaultPasswordPolicyMinLength = 4;
constexpr int kDefaultPasswordPolicyCharsetFlag = 0;

// The policy as the interface passes it around.
inline const QString kSPPMinLength = QStringLiteral("SetPassMinimumLength");
inline const QString kSPPCharSetFlag = QStringLiteral("SetPassCharSetFlag");

inline QVariantMap OTVPasswordPolicyToMap(const OTVPasswordPolicy& policy)
{
    return {{kSPPMinLength, policy.minLength}, {kSPPCharSetFlag, policy.charsetFlag}};
}

// Missing keys read as 0.
inline OTVPasswordPolicy OTVPasswordPolicyFromMap(const QVariantMap& map)
{
    return {map.value(kSPPMinLength).toInt(), map.value(kSPPCharSetFlag).toInt()};
}
