// The password policy in force: which passwords conform, and what the generator gives for it.
#include "Model/BKPasswordPolicyController.h"
#include "Model/OTVRandom.h"
#include "Model/RandomWord.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

TEST(PasswordPolicy, Conformance)
{
    struct Case {
        int minLength;
        int charsetFlag;
        QString password;
        bool conforms;
    };
    const Case cases[] = {
        {4, 0, "abc", false},
        {4, 0, "abcd", true},
        {4, 0, "", false},
        {4, 5, "abcd1", true},
        {4, 5, "abcde", false},
        {4, 5, "12345", false},
        {4, 1, "1234a", true},
        {4, 1, "12345", false},
        {4, 4, "abcd", false},
        {0, 0, "", true},
        {2, 4, QString::fromUtf16(u"a\u0661"), true},           // ARABIC-INDIC DIGIT ONE is a decimal digit
        {2, 1, QString::fromUtf16(u"1\u01C5"), true},           // a title-case letter counts
        {2, 1, QString::fromUtf16(u"1\u05D0"), false},          // HEBREW ALEF is neither upper nor lower case
        {2, 4, QString::fromUtf16(u"a\U0001D7D9"), true},       // MATHEMATICAL DOUBLE-STRUCK DIGIT ONE, beyond the BMP
        {3, 0, QString::fromUtf16(u"\U0001F511"), false},       // one character, two UTF-16 units
        {4, 3, "ab", false},                                    // unknown flags require nothing but the length
        {2, 3, "ab", true},
        {2, 7, "--", true},
    };
    BKPasswordPolicyController controller;
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1/%2 %3").arg(c.minLength).arg(c.charsetFlag).arg(c.password).toStdString());
        controller.passwordPolicyDidChanged(OTVPasswordPolicy{c.minLength, c.charsetFlag});
        EXPECT_EQ(controller.stringConformsPassowrdPolicy(c.password), c.conforms);
    }
}

TEST(PasswordPolicy, StartsEmptyAndTakesTheInterfacesForm)
{
    BKPasswordPolicyController controller;
    EXPECT_EQ(controller.policy(), (OTVPasswordPolicy{0, 0}));
    EXPECT_TRUE(controller.stringConformsPassowrdPolicy(""));
    controller.passwordPolicyDidChanged(QVariantMap{{"SetPassMinimumLength", 6}, {"SetPassCharSetFlag", 5}});
    EXPECT_EQ(controller.policy(), (OTVPasswordPolicy{6, 5}));
    EXPECT_EQ(OTVPasswordPolicyToMap(controller.policy()),
              (QVariantMap{{"SetPassMinimumLength", 6}, {"SetPassCharSetFlag", 5}}));
}

TEST(PasswordPolicy, GeneratedPasswordsConform)
{
    struct Case {
        int minLength;
        int charsetFlag;
        const char* pattern;
    };
    // Account passwords: at least 12 characters whatever the policy's minimum.
    const Case cases[] = {
        {6, 4, "^[0-9]{12}$"},
        {0, 0, "^[A-Za-z0-9]{12}$"},
        {4, 0, "^[A-Za-z0-9]{12}$"},
        {8, 5, "^(?=.*[0-9])(?=.*[A-Za-z])[A-Za-z0-9]{12}$"},
        {4, 5, "^(?=.*[0-9])(?=.*[A-Za-z])[A-Za-z0-9]{12}$"},
        {8, 1, "^[A-Za-z]{12}$"},
        {12, 0, "^[A-Za-z0-9]{12}$"},
        {-3, 0, "^[A-Za-z0-9]{12}$"},
        {40, 5, "^(?=.*[0-9])(?=.*[A-Za-z])[A-Za-z0-9]{40}$"},
        {63, 5, "^(?=.*[0-9])(?=.*[A-Za-z])[A-Za-z0-9]{63}$"},
        {100, 0, "^[A-Za-z0-9]{63}$"},   // the generator's limit
    };
    OTVSeededRandomSource source(7);
    RandomWordGenerator generator(source);
    BKPasswordPolicyController controller;
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1/%2").arg(c.minLength).arg(c.charsetFlag).toStdString());
        controller.passwordPolicyDidChanged(OTVPasswordPolicy{c.minLength, c.charsetFlag});
        for (int i = 0; i < 200; ++i) {
            const QString password = controller.generatePassword(generator);
            EXPECT_TRUE(QRegularExpression(QString::fromLatin1(c.pattern)).match(password).hasMatch())
                << password.toStdString();
        }
    }
    controller.passwordPolicyDidChanged(OTVPasswordPolicy{10, 5});
    EXPECT_TRUE(controller.stringConformsPassowrdPolicy(controller.generatePassword()));
}
