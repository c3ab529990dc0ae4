#include "PasswordGeneratorOptions.h"

#include "PasswordStrength.h"

using namespace PasswordStrength;

PasswordGeneratorOptions PasswordGeneratorOptions::fromStoredFlags(quint8 flags)
{
    PasswordGeneratorOptions options;
    options.classes = flags & kClassBits;
    return options;
}

quint8 PasswordGeneratorOptions::flags() const
{
    return (classes & kClassBits) | (pronounceable ? kGeneratorPronounceable : 0);
}

void PasswordGeneratorOptions::classesChanged()
{
    const bool closed = classes & (kPunctuation | kExtended);
    pronounceable = !closed;
    pronounceableEnabled = !closed;
}

void PasswordGeneratorOptions::applyPreset(int index)
{
    switch (index) {
    case 0:
        classes = kClassBits;
        pronounceable = false;
        pronounceableEnabled = false;
        break;
    case 1:
        classes = kLowerCase | kDigits | kPunctuation;
        pronounceable = true;
        pronounceableEnabled = false;
        break;
    case 2:
        classes = kLowerCase | kUpperCase | kDigits;
        pronounceable = true;
        pronounceableEnabled = true;
        break;
    default:
        break;
    }
}

int clampedGeneratorLength(int length)
{
    if (length < kGeneratorMinLength)
        return 0;
    return qMin(length, kGeneratorMaxLength);
}
