#pragma once

// The choices of the password-generator sheet as plain state: which character classes, whether
// the words are pronounceable and whether that choice is open to the user. The sheet shows this
// state; the rules that tie the boxes together live here so that they hold without widgets.

#include <QtGlobal>

// The pronounceable bit of the generator's option byte (the class bits are PasswordStrength's).
constexpr quint8 kGeneratorPronounceable = 0x20;
// Lengths the generator accepts (it writes into a 64-byte buffer).
constexpr int kGeneratorMinLength = 1;
constexpr int kGeneratorMaxLength = 63;

struct PasswordGeneratorOptions {
    quint8 classes = 0;                // PasswordStrength::kLowerCase .. kExtended
    bool pronounceable = false;
    bool pronounceableEnabled = true;

    // The option byte as stored for the user: only the class bits come back (the pronounceable
    // box follows from them, see classesChanged).
    static PasswordGeneratorOptions fromStoredFlags(quint8 flags);
    // The class bits plus kGeneratorPronounceable when pronounceable words are chosen.
    quint8 flags() const;

    // Punctuation or extended characters cannot go into pronounceable words: with either
    // chosen the box is off and closed, otherwise on and open.
    void classesChanged();
    // The preset pop-up: 0 every class, not pronounceable (closed); 1 lower case, digits and
    // punctuation, pronounceable but closed; 2 letters and digits, pronounceable and open;
    // any other index changes nothing.
    void applyPreset(int index);
};

// The length handed to the generator: at most kGeneratorMaxLength; 0 (generate nothing) for a
// length below kGeneratorMinLength.
int clampedGeneratorLength(int length);
