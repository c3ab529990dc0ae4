#pragma once

// The password-policy sheet's view of the stored policy: a minimum length and one box each for
// letters and digits, and the strength its bar shows for them.

#include "OTVPasswordPolicy.h"

#include <optional>

struct OTVPasswordPolicyForm {
    int minLength = 8;   // what the sheet offers when no policy could be read
    bool letters = false;
    bool digits = false;

    friend bool operator==(const OTVPasswordPolicyForm& a, const OTVPasswordPolicyForm& b)
    {
        return a.minLength == b.minLength && a.letters == b.letters && a.digits == b.digits;
    }
};

// Only the flag's low eight bits count, as the sheet has always read them.
inline OTVPasswordPolicyForm OTVPolicyFormFromStored(const std::optional<OTVPasswordPolicy>& stored)
{
    if (!stored)
        return {};
    const int flag = stored->charsetFlag & 0xFF;
    return {stored->minLength, (flag & kPasswordPolicyLettersFlag) != 0, (flag & kPasswordPolicyDigitsFlag) != 0};
}

inline OTVPasswordPolicy OTVPolicyFromForm(const OTVPasswordPolicyForm& form)
{
    return {form.minLength, (form.letters ? kPasswordPolicyLettersFlag : 0) | (form.digits ? kPasswordPolicyDigitsFlag : 0)};
}

// (classes x 10 / 20 + length / 20) / 2, not clamped (the meter clamps).
inline float OTVPolicyFormStrength(const OTVPasswordPolicyForm& form)
{
    const double points = 10.0 * ((form.letters ? 1 : 0) + (form.digits ? 1 : 0));
    return float((points / 20.0 + form.minLength / 20.0) * 0.5);
}
