// Password hints and the own password against a real server: what the hint columns hold, the
// lock screen's readers and answer check, the readers' error codes, and that a failed save
// leaves neither the server nor memory half-changed.
#include "StoreTestSupport.h"

#include "Model/Ciphers/OTVHintCipher.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"

#include <cppconn/driver.h>

namespace {

bool authenticates(const TestServer& server, const QString& name, const QString& password)
{
    try {
        std::unique_ptr<sql::Connection>(
            get_driver_instance()->connect(server.url().toStdString(), name.toStdString(), password.toStdString()));
        return true;
    } catch (const sql::SQLException&) {
        return false;
    }
}

} // namespace

// A vault user "alice" (MySQL account, user and preference rows, password "first") logged in through a session
// of her own: `store`.
class PasswordHint : public StoreTest {
public:
    void SetUp() override
    {
        StoreTest::SetUp();
        root(QStringLiteral("DROP USER IF EXISTS 'alice'@'%'"));
        ASSERT_EQ(connect(administrator, server.admin), kOTVStatusOK);
        root(QStringLiteral("DELETE FROM mysql.user_info WHERE User='alice'"));
        ASSERT_EQ(administrator.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
        auto account = OTVUser_Admin::createUser();
        account->setMUsername(QStringLiteral("alice"));
        account->setMPassword(QStringLiteral("first"));
        ASSERT_EQ(administrator.addUser(account), kOTVStatusOK);
        userID = account->mUserID();
        ASSERT_EQ(connect(store, {QStringLiteral("alice"), QStringLiteral("first")}), kOTVStatusOK);
        ASSERT_EQ(store.initUserDetails(QStringLiteral("alice"), QStringLiteral("first")), kOTVStatusOK);
        user = store.mCurrentUser();
        ASSERT_EQ(user->mUserID(), userID);
    }

    // HINTQNO, then HINTQANSWER and HINTQUESTION in hexadecimal ("NULL" for NULL).
    QString hintColumns() const
    {
        return rootValue(QStringLiteral("SELECT HINTQNO, HEX(HINTQANSWER), HEX(HINTQUESTION) FROM "
                                        "vivododadi.APPPREFTABLE WHERE USERID='%1'")
                             .arg(userID));
    }

    QString storedPassword() const
    {
        return rootValue(QStringLiteral("SELECT HEX(PASSWORD) FROM vivododadi.USERTABLE WHERE USERID='%1'").arg(userID));
    }

    static QString stored(int number, const QByteArray& hint, const QByteArray& question)
    {
        return QStringLiteral("%1|%2|%3")
            .arg(number)
            .arg(QString::fromLatin1(hint.toHex().toUpper()), QString::fromLatin1(question.toHex().toUpper()));
    }

    StoreProbe administrator;
    StoreProbe store;
    QString userID;
    std::shared_ptr<OTVUser> user;
};

// A free-text hint is keyed by the fixed text of question 0: anybody at the lock screen reads it.
TEST_F(PasswordHint, AFreeTextHintIsReadableWithoutAnAnswer)
{
    ASSERT_EQ(store.setPassword(QStringLiteral("pw"), QStringLiteral("the blue notebook")), kOTVStatusOK);
    EXPECT_EQ(hintColumns(),
              stored(0, OTVHintCipher::encryptForHint(QStringLiteral("Choose later?"), QStringLiteral("the blue notebook")),
                     {}));
    EXPECT_EQ(user->mPassword(), "pw");
    EXPECT_FALSE(user->mAutoLOck());

    int rc = -1;
    user->setMHintEntered(QStringLiteral("stale"));
    EXPECT_EQ(store.passwordHintForUser(user.get(), &rc), "the blue notebook");
    EXPECT_EQ(rc, kOTVStatusOK);
    EXPECT_EQ(user->mHintEntered(), "the blue notebook");
    EXPECT_TRUE(store.isHintExist(user.get(), &rc));

    // An empty hint is an empty BLOB: there is then no hint.
    ASSERT_EQ(store.setPassword(QStringLiteral("pw"), QString()), kOTVStatusOK);
    EXPECT_EQ(hintColumns(), "0||");
    EXPECT_FALSE(store.isHintExist(user.get(), &rc));
    EXPECT_EQ(store.passwordHintForUser(user.get(), &rc), "");
}

TEST_F(PasswordHint, AQuestionsHintOpensOnlyWithTheRightAnswerToTheRightQuestion)
{
    ASSERT_EQ(store.setPassword(QStringLiteral("pw"), OTVDataBase::PasswordHint{2, "Smith", "the usual one"}),
              kOTVStatusOK);
    EXPECT_EQ(hintColumns(),
              stored(2, OTVHintCipher::encryptForHint("Smith", "the usual one"),
                     OTVHintCipher::encryptForHint("Smith", "What is your mother's maiden name?")));
    EXPECT_TRUE(user->mAutoLOck());
    EXPECT_EQ(user->mHintQuestionNumber(), 2);

    struct Case {
        const char* name;
        QString userName;
        QString answer;
        int question;
        bool valid;
    };
    const Case cases[] = {
        {"the right answer", "alice", "Smith", 2, true},
        {"another letter case", "alice", "smith", 2, false},
        {"another question", "alice", "Smith", 3, false},
        {"another user's name", "bob", "Smith", 2, false},
        {"no question", "alice", "Smith", 0, false},
        {"a question that does not exist", "alice", "Smith", 7, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int rc = -1;
        EXPECT_EQ(store.validatePasswordHintAnswerForUser(c.userName, c.answer, c.question, &rc), c.valid);
        EXPECT_EQ(rc, kOTVStatusOK);
    }
    int rc = -1;
    EXPECT_EQ(store.passwordHintForUser(user.get(), QStringLiteral("Smith"), &rc), "the usual one");
    EXPECT_NE(store.passwordHintForUser(user.get(), QStringLiteral("smith"), &rc), "the usual one");

    // Without a hint text the question is still stored, so the answer can be checked.
    ASSERT_EQ(store.setPassword(QStringLiteral("pw"), OTVDataBase::PasswordHint{5, "Rex", ""}), kOTVStatusOK);
    EXPECT_FALSE(store.isHintExist(user.get(), &rc));
    EXPECT_TRUE(store.validatePasswordHintAnswerForUser("alice", "Rex", 5, &rc));
}

// An empty password still stores the hint it came with, and does not switch the lock on.
TEST_F(PasswordHint, AnEmptyPasswordKeepsItsHint)
{
    ASSERT_EQ(store.setPassword(QString(), OTVDataBase::PasswordHint{1, "Oslo", "north"}), kOTVStatusOK);
    EXPECT_EQ(user->mPassword(), "");
    EXPECT_FALSE(user->mAutoLOck());
    EXPECT_EQ(hintColumns(), stored(1, OTVHintCipher::encryptForHint("Oslo", "north"),
                                    OTVHintCipher::encryptForHint("Oslo", "What city were you born in?")));
}

// A failure of any of the three columns writes none of them and puts the hint in memory back.
TEST_F(PasswordHint, AFailedSaveChangesNeitherTheServerNorTheHintInMemory)
{
    ASSERT_EQ(store.setPassword(QStringLiteral("pw"), OTVDataBase::PasswordHint{2, "Smith", "first"}), kOTVStatusOK);
    const QString before = hintColumns();

    store.statementFaults().failExecution(kQueryUpdateHintQuestion, 1, 1205, "Lock wait timeout");
    EXPECT_EQ(store.setPassword(QStringLiteral("pw"), OTVDataBase::PasswordHint{4, "Blue", "second"}),
              kOTVStatusDatabaseError);
    EXPECT_EQ(hintColumns(), before);
    EXPECT_EQ(user->mHintQuestionNumber(), 2);
    EXPECT_EQ(user->mHintAnswer(), "Smith");
    EXPECT_EQ(user->mHintEntered(), "first");

    // Without a preference row the updates would change nothing and pass for success.
    root(QStringLiteral("DELETE FROM vivododadi.APPPREFTABLE"));
    EXPECT_EQ(store.setPassword(QStringLiteral("pw"), QStringLiteral("third")), kOTVStatusNothingWritten);
    EXPECT_EQ(user->mHintEntered(), "first");
}

// The readers map errors to their own codes and report nothing.
TEST_F(PasswordHint, ReadersAnswerWhatTheyHadWithTheirErrorCode)
{
    ASSERT_EQ(store.setPassword(QStringLiteral("pw"), QStringLiteral("hint")), kOTVStatusOK);
    const struct {
        int errorNumber;
        int rc;
    } cases[] = {{1142, kOTVStatusNoSuchUser}, {1143, kOTVStatusNoSuchUser}, {2013, kOTVStatusClientError},
                 {1064, kOTVStatusDatabaseError}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errorNumber);
        int rc = -1;
        store.statementFaults().failExecution(kQueryHintColumns, 1, c.errorNumber);
        EXPECT_FALSE(store.isHintExist(user.get(), &rc));
        EXPECT_EQ(rc, c.rc);
        store.statementFaults().failExecution(kQueryHintColumns, 1, c.errorNumber);
        EXPECT_EQ(store.passwordHintForUser(user.get(), &rc), "");
        EXPECT_EQ(rc, c.rc);
        store.statementFaults().failExecution(kQueryHintColumns, 1, c.errorNumber);
        EXPECT_FALSE(store.validatePasswordHintAnswerForUser("alice", "x", 1, &rc));
        EXPECT_EQ(rc, c.rc);
    }
    EXPECT_TRUE(notifications.posts().isEmpty());
}

// The server decides, whatever the session holds in memory.
TEST_F(PasswordHint, PasswordChecksHoldOnlyForTheCurrentUsersOwnPassword)
{
    user->setMPassword(QStringLiteral("s3cret"));
    auto other = OTVUser::createUser();
    other->setMPassword(QStringLiteral("first"));
    int rc = -1;
    EXPECT_TRUE(store.validatePasswordForUser(user.get(), "first", &rc));
    EXPECT_EQ(rc, kOTVStatusOK);
    EXPECT_FALSE(store.validatePasswordForUser(user.get(), "s3cret", &rc));
    EXPECT_EQ(rc, kOTVStatusOK);
    EXPECT_FALSE(store.validatePasswordForUser(user.get(), "First", &rc));
    EXPECT_FALSE(store.validatePasswordForUser(other.get(), "first", &rc));
    rc = -1;
    EXPECT_FALSE(store.validatePasswordForUser(nullptr, "s3cret", &rc));
    EXPECT_EQ(rc, -1);

    user->setMPassword(QString());
    EXPECT_FALSE(OTVDataBase::doesPasswordMatchForUser(user.get(), QString()));
    EXPECT_FALSE(store.isPasswordEnableForUser(user.get(), &rc));

    // With nobody logged in there is nothing to set or read.
    user->setMUsername(QString());
    EXPECT_EQ(store.setPassword(QStringLiteral("pw"), QStringLiteral("hint")), kOTVStatusOK);
    EXPECT_EQ(hintColumns(), "0||");
    EXPECT_TRUE(store.passwordHintForUser(user.get(), &rc).isNull());
}

// The own password: any characters reach the MySQL account exactly; a failed change leaves
// the old password on the server and in memory; an empty password only switches the lock off
// and keeps the account's password.
TEST_F(PasswordHint, TheOwnPasswordChangesTheAccountExactly)
{
    const QString quoted = QStringLiteral("it's a \\ back'slash\\");
    ASSERT_EQ(store.setPassword(quoted, QStringLiteral("quotes")), kOTVStatusOK);
    EXPECT_TRUE(authenticates(server, "alice", quoted));
    EXPECT_FALSE(authenticates(server, "alice", QStringLiteral("first")));
    EXPECT_EQ(storedPassword(), "");   // only the server holds it

    // The server refuses the change (as for an account that exists only for localhost).
    const std::string change = "SET PASSWORD FOR 'alice'@'%' = '" + OTVNativePasswordHash("second").toStdString() + "'";
    store.statementFaults().failExecution(change, 1, 1133,
                                          "Can't find any matching row in the user table");
    EXPECT_EQ(store.setPassword(QStringLiteral("second"), OTVDataBase::PasswordHint{1, "Oslo", "north"}),
              kOTVStatusDatabaseError);
    EXPECT_TRUE(authenticates(server, "alice", quoted));
    EXPECT_EQ(user->mPassword(), quoted);
    EXPECT_EQ(user->mHintQuestionNumber(), 0);
    EXPECT_EQ(user->mHintEntered(), "quotes");
    int rc = -1;
    EXPECT_EQ(store.passwordHintForUser(user.get(), &rc), "quotes");

    // No lock password: the account keeps its password.
    ASSERT_EQ(store.setPassword(QString(), QStringLiteral("none")), kOTVStatusOK);
    EXPECT_TRUE(authenticates(server, "alice", quoted));
    EXPECT_FALSE(authenticates(server, "alice", QString()));
    EXPECT_EQ(storedPassword(), "");
    EXPECT_FALSE(store.isPasswordEnableForUser(user.get(), &rc));
}

// An account whose host is not '%' (the fixture's root@localhost, beside a root@'%' of its own
// password) sets its own password and hint: the statements name the account the session is,
// and leave the other root accounts as they were.
TEST_F(PasswordHint, AnAccountOfOneHostSetsItsOwnPasswordAndHint)
{
    StoreProbe rootStore;
    ASSERT_EQ(connect(rootStore, server.root), kOTVStatusOK);
    ASSERT_EQ(rootStore.initUserDetails(server.root.user, server.root.password), kOTVStatusOK);
    ASSERT_EQ(valueInSessionOf(rootStore, "SELECT CURRENT_USER()"), "root@localhost");
    const QString otherRootBefore =
        rootValue("SELECT authentication_string FROM mysql.user WHERE User='root' AND Host='%'");
    const QString fresh = QStringLiteral("Root-new-pw-1");

    const int status = rootStore.setPassword(fresh, OTVDataBase::PasswordHint{1, "Oslo", "north"});
    const bool freshOpens = authenticates(server, server.root.user, fresh);
    // The fixture's root gets its password back before anything else is checked.
    if (freshOpens) {
        std::unique_ptr<sql::Connection> asRoot(
            get_driver_instance()->connect(server.url().toStdString(), "root", fresh.toStdString()));
        std::unique_ptr<sql::Statement>(asRoot->createStatement())
            ->execute(("SET PASSWORD = PASSWORD('" + server.root.password + "')").toStdString());
    }
    const QString otherRootAfter =
        rootValue("SELECT authentication_string FROM mysql.user WHERE User='root' AND Host='%'");
    root("ALTER USER 'root'@'%' IDENTIFIED BY '" + server.root.password + "'");

    EXPECT_EQ(status, kOTVStatusOK);
    EXPECT_TRUE(freshOpens);
    EXPECT_EQ(otherRootAfter, otherRootBefore);
    int rc = -1;
    EXPECT_TRUE(rootStore.validatePasswordHintAnswerForUser(server.root.user, "Oslo", 1, &rc));
    EXPECT_EQ(rootStore.passwordHintForUser(rootStore.mCurrentUser().get(), "Oslo", &rc), "north");
}
