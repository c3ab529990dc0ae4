#include "BKPasswordPolicyController.h"

#include "OTVPasswordGenerator.h"
#include "RandomWord.h"

#include "Model/Database_Engine/OTVDataBase.h"


#include <algorithm>

namespace {

// Enough that a password of letters and digits lacks one of them in every try with a chance
// below 1e-50 (at 12 characters, one try in eight has no digit).
constexpr int kGenerationAttempts = 64;
// Generated passwords open server accounts: never shorter than this, whatever the policy's minimum.
constexpr int kMinGeneratedPasswordLength = 12;

// The generator's classes for a policy: letters, digits, or both.
unsigned short generatorFlagsFor(quint8 charsetFlag)
{
    switch (charsetFlag) {
    case kPasswordPolicyLettersFlag:
        return kRandomWordLowerCase | kRandomWordUpperCase;
    case kPasswordPolicyDigitsFlag:
        return kRandomWordDigits;
    default:
        return kRandomWordLowerCase | kRandomWordUpperCase | kRandomWordDigits;
    }
}

} // namespace

BKPasswordPolicyController& BKPasswordPolicyController::sharedBKPasswordPolicyController()
{
    static BKPasswordPolicyController shared;
    return shared;
}

void BKPasswordPolicyController::passwordPolicyDidChanged(const OTVPasswordPolicy& policy)
{
    std::lock_guard<std::mutex> lock(mutex_);
    mminPassLength_ = policy.minLength;
    mCharsetFlag_ = quint8(policy.charsetFlag);
    mRequiredCharSets_.clear();
    if (mCharsetFlag_ == kPasswordPolicyDigitsFlag) {
        mRequiredCharSets_ = {CharacterClass::Digits};
    } else if (mCharsetFlag_ == (kPasswordPolicyDigitsFlag | kPasswordPolicyLettersFlag)) {
        mRequiredCharSets_ = {CharacterClass::Digits, CharacterClass::Letters};
    } else if (mCharsetFlag_ == kPasswordPolicyLettersFlag) {
        mRequiredCharSets_ = {CharacterClass::Letters};
    }
}

void BKPasswordPolicyController::passwordPolicyDidChanged(const QVariantMap& policy)
{
    passwordPolicyDidChanged(OTVPasswordPolicyFromMap(policy));
}

void BKPasswordPolicyController::refreshPasswordPolicyFrom()
{
    refreshPasswordPolicyFrom(OTVDataBase::sharedOTVDataBase());
}

void BKPasswordPolicyController::refreshPasswordPolicyFrom(OTVDataBase& store)
{
    passwordPolicyDidChanged(store.passwordPolicyDetails().value_or(OTVPasswordPolicy{}));
}

OTVPasswordPolicy BKPasswordPolicyController::policy() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return {mminPassLength_, mCharsetFlag_};
}

bool BKPasswordPolicyController::hasMembersInCharSet(const QString& text, CharacterClass characterClass)
{
    const QList<uint> codePoints = text.toUcs4();
    return std::any_of(codePoints.begin(), codePoints.end(), [characterClass](uint c) {
        if (characterClass == CharacterClass::Digits)
            return QChar::category(char32_t(c)) == QChar::Number_DecimalDigit;
        const QChar::Category category = QChar::category(char32_t(c));
        return category == QChar::Letter_Uppercase || category == QChar::Letter_Titlecase ||
               category == QChar::Letter_Lowercase;
    });
}

bool BKPasswordPolicyController::stringConformsPassowrdPolicy(const QString& password) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (mminPassLength_ > password.length())
        return false;
    return std::all_of(mRequiredCharSets_.begin(), mRequiredCharSets_.end(),
                       [&password](CharacterClass c) { return hasMembersInCharSet(password, c); });
}

template <typename Generate>
QString BKPasswordPolicyController::generateConforming(Generate generate) const
{
    const OTVPasswordPolicy current = policy();
    const unsigned short flags = generatorFlagsFor(quint8(current.charsetFlag));
    const auto length = static_cast<unsigned short>(std::clamp(std::max(current.minLength, kMinGeneratedPasswordLength),
                                                               0, int(kMaxGeneratedPasswordLength)));
    QString password;
    for (int attempt = 0; attempt < kGenerationAttempts; ++attempt) {
        password = generate(flags, length);
        if (stringConformsPassowrdPolicy(password))
            break;
    }
    return password;
}

QString BKPasswordPolicyController::generatePassword() const
{
    return generateConforming([](unsigned short flags, unsigned short length) {
        return ::generatePassword(flags, length);
    });
}

QString BKPasswordPolicyController::generatePassword(RandomWordGenerator& generator) const
{
    return generateConforming([&generator](unsigned short flags, unsigned short length) {
        return ::generatePassword(flags, length, generator);
    });
}
