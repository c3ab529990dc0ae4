// The stored password policy against a real server.
#include "StoreTestSupport.h"

#include "Model/BKPasswordPolicyController.h"

class PasswordPolicyStore : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
    }
    QStringList policyRows() const
    {
        return rootRows("SELECT NAME, VALUE FROM vivododadi.DATABASEINFOTABLE WHERE NAME LIKE 'PASSWDPOLICY%' "
                        "ORDER BY NAME");
    }

    StoreProbe store;
};

TEST_F(PasswordPolicyStore, NewVaultPolicyAndChanges)
{
    // Missing rows read as a new vault's policy.
    int code = -1;
    EXPECT_EQ(store.passwordPolicyDetails(&code), (OTVPasswordPolicy{4, 0}));
    EXPECT_EQ(code, kOTVStatusOK);

    EXPECT_EQ(store.initpasswordPolicy(), kOTVStatusOK);
    EXPECT_EQ(policyRows(), (QStringList{"PASSWDPOLICYCHARSETFLAG|0", "PASSWDPOLICYMINLENGTH|4"}));

    const OTVPasswordPolicy changed{7, 5};
    EXPECT_EQ(store.setPasswordPolicy(&changed), kOTVStatusOK);
    EXPECT_EQ(store.passwordPolicyDetails(), changed);
    EXPECT_EQ(policyRows(), (QStringList{"PASSWDPOLICYCHARSETFLAG|5", "PASSWDPOLICYMINLENGTH|7"}));

    EXPECT_EQ(store.setPasswordPolicy(nullptr), kOTVStatusDatabaseError);
    EXPECT_EQ(store.passwordPolicyDetails(), changed);

    // Minimum lengths range over 0-40.
    struct Case {
        int minLength;
        int status;
    };
    for (const Case& c : {Case{-1, kOTVStatusDatabaseError}, Case{41, kOTVStatusDatabaseError},
                          Case{1000, kOTVStatusDatabaseError}, Case{0, kOTVStatusOK}, Case{40, kOTVStatusOK}}) {
        SCOPED_TRACE(c.minLength);
        const OTVPasswordPolicy policy{c.minLength, 1};
        EXPECT_EQ(store.setPasswordPolicy(&policy), c.status);
        EXPECT_EQ(store.passwordPolicyDetails(), c.status == kOTVStatusOK ? policy : changed);
        if (c.status == kOTVStatusOK)
            ASSERT_EQ(store.setPasswordPolicy(&changed), kOTVStatusOK);
    }

    BKPasswordPolicyController controller;
    controller.refreshPasswordPolicyFrom(store);
    EXPECT_EQ(controller.policy(), changed);
    EXPECT_FALSE(controller.stringConformsPassowrdPolicy("abcdefg"));
    EXPECT_TRUE(controller.stringConformsPassowrdPolicy("abcdef7"));

    // A user's session reads it as well.
    StoreProbe user;
    ASSERT_EQ(connect(user, server.plain), kOTVStatusOK);
    EXPECT_EQ(user.passwordPolicyDetails(), changed);
}

TEST_F(PasswordPolicyStore, FailuresAreReportedAndWriteNothingHalf)
{
    const OTVPasswordPolicy first{6, 4};
    ASSERT_EQ(store.setPasswordPolicy(&first), kOTVStatusOK);

    // The second row fails: the first is not changed alone.
    store.statementFaults().failExecution(kQuerySetPasswordPolicyAttr, 2, 1205, "Lock wait timeout");
    const OTVPasswordPolicy second{9, 1};
    EXPECT_EQ(store.setPasswordPolicy(&second), kOTVStatusDatabaseError);
    EXPECT_EQ(store.passwordPolicyDetails(), first);

    BKPasswordPolicyController controller;
    controller.refreshPasswordPolicyFrom(store);
    EXPECT_EQ(controller.policy(), first);

    root("RENAME TABLE vivododadi.DATABASEINFOTABLE TO vivododadi.DBI_OFF");
    int code = -1;
    EXPECT_EQ(store.passwordPolicyDetails(&code), std::nullopt);
    EXPECT_EQ(code, kOTVStatusDatabaseError);
    controller.refreshPasswordPolicyFrom(store);
    EXPECT_EQ(controller.policy(), (OTVPasswordPolicy{0, 0}));
    root("RENAME TABLE vivododadi.DBI_OFF TO vivododadi.DATABASEINFOTABLE");
}
