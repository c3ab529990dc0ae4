// The machinery every store operation is built on, against a real server: stored values and
// their column limits, transactions, and the store lock.
#include "StoreTestSupport.h"

#include "Model/Ciphers/CDBEncrypter.h"

#include <cstdlib>
#include <functional>
#include <thread>

namespace {

// Statements of these tests: INSERT IGNORE is the form whose overlong values the server would
// cut short without a word.
constexpr char kInsertGroup[] = "INSERT IGNORE INTO GROUPTABLE(UID,NAME) VALUES (?,?)";
constexpr char kSelectGroupName[] = "SELECT NAME FROM GROUPTABLE WHERE UID=?";
constexpr char kInsertNote[] = "INSERT INTO RECORDTABLE(RECORDID,NOTE) VALUES (?,?)";
constexpr char kSelectNote[] = "SELECT NOTE FROM RECORDTABLE WHERE RECORDID=?";

} // namespace

class GuardedOperations : public StoreTest {
public:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
    }

    int addGroup(const QString& uid, const QString& name)
    {
        return store.runGuarded([&] {
            OTVStatement statement = store.prepare(kInsertGroup);
            statement.setString(1, uid);
            statement.setBlob(2, store.encryptedValue(name, kTinyBlobBytes));
            return statement.executeUpdate() > 0 ? kOTVStatusOK : kOTVStatusNothingWritten;
        });
    }

    QByteArray storedBlob(const char* query, const QString& uid)
    {
        QByteArray stored;
        store.runGuarded([&] {
            OTVStatement statement = store.prepare(query);
            statement.setString(1, uid);
            OTVResultSet rows = statement.executeQuery();
            if (rows.next())
                stored = rows.getBlob(1u);
            return kOTVStatusOK;
        });
        return stored;
    }

    int groups() const { return rootValue("SELECT COUNT(*) FROM vivododadi.GROUPTABLE").toInt(); }

    StoreProbe store;
};

// A TINYBLOB holds 255 bytes: 240 bytes of text when enciphered (rounded up to 16), 255 plain.
// One byte more is refused with 12 and nothing is written; the largest value that fits comes
// back intact.
TEST_F(GuardedOperations, ValuesAreCheckedAgainstTheirColumnBeforeAnythingIsWritten)
{
    struct Case {
        QString masterPassword;
        QString text;
        int status;
    };
    const QString twoByteChars(120, QChar(0xE9));   // "é": 240 UTF-8 bytes
    const Case cases[] = {
        {"s3cret", twoByteChars, kOTVStatusOK},
        {"s3cret", twoByteChars + "x", kOTVStatusValueTooLong},
        {"s3cret", QString(240, 'a'), kOTVStatusOK},
        {"", twoByteChars + QString(15, 'x'), kOTVStatusOK},
        {"", twoByteChars + QString(16, 'x'), kOTVStatusValueTooLong},
        {"", "", kOTVStatusOK},
    };
    int uid = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 UTF-8 bytes, master password \"%2\"")
                         .arg(c.text.toUtf8().size())
                         .arg(c.masterPassword)
                         .toStdString());
        store.createEncrypter(c.masterPassword);
        const QString id = QString::number(++uid);
        const int before = groups();
        EXPECT_EQ(addGroup(id, c.text), c.status);
        if (c.status == kOTVStatusOK) {
            EXPECT_EQ(store.getDecryptedString(storedBlob(kSelectGroupName, id)), c.text);
            EXPECT_EQ(groups(), before + 1);
        } else {
            EXPECT_EQ(groups(), before);
        }
    }
    EXPECT_TRUE(notifications.posts().isEmpty());
}

TEST_F(GuardedOperations, VarcharLimitsCountCharactersAsTheServerDoes)
{
    const QString fortyKeys = QString("🔑").repeated(40);   // 40 characters, 80 UTF-16 units
    EXPECT_NO_THROW(OTVCheckVarcharFits(fortyKeys, 40));
    EXPECT_THROW(OTVCheckVarcharFits(fortyKeys + "a", 40), OTVValueTooLong);

    const auto addUser = [&](const QString& name) {
        return store.runGuarded([&] {
            OTVCheckVarcharFits(name, 40);
            OTVStatement statement = store.prepare("INSERT INTO USERTABLE(USERID,USERNAME) VALUES (?,?)");
            statement.setString(1, QString::number(name.size()));
            statement.setString(2, name);
            return statement.executeUpdate() > 0 ? kOTVStatusOK : kOTVStatusNothingWritten;
        });
    };
    EXPECT_EQ(addUser(fortyKeys), kOTVStatusOK);
    EXPECT_EQ(rootValue("SELECT USERNAME FROM vivododadi.USERTABLE"), fortyKeys);
    EXPECT_EQ(addUser(fortyKeys + "a"), kOTVStatusValueTooLong);
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.USERTABLE"), "1");
}

// The stored form of a text: every UTF-8 byte enciphered (rounded up to 16), no length, no
// terminator; values of any length come back whole.
TEST_F(GuardedOperations, StoredValuesRoundTripThroughTheServer)
{
    struct Case {
        QString masterPassword;
        QString text;
        int storedLength;
    };
    const QString longNote = QString(QChar(0x65E5)).repeated(4000) + "\nend";   // 12004 UTF-8 bytes
    const Case cases[] = {
        {"s3cret", QString(20, 'a'), 32},
        {"s3cret", QStringLiteral("Grüße 日本"), 16},
        {"s3cret", longNote, 12016},
        {"s3cret", "", 0},
        {"", QStringLiteral("Grüße 日本"), 14},
        {"", longNote, 12004},
    };
    int uid = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.left(20).toStdString());
        store.createEncrypter(c.masterPassword);
        const QString id = QString::number(++uid);
        ASSERT_EQ(store.runGuarded([&] {
            OTVStatement statement = store.prepare(kInsertNote);
            statement.setString(1, id);
            statement.setBlob(2, store.encryptedValue(c.text, kLongBlobBytes));
            return statement.executeUpdate() > 0 ? kOTVStatusOK : kOTVStatusNothingWritten;
        }),
                  kOTVStatusOK);
        EXPECT_EQ(rootValue("SELECT CONCAT(ISNULL(NOTE), '|', LENGTH(NOTE)) FROM vivododadi.RECORDTABLE WHERE "
                            "RECORDID = '" + id + "'"),
                  QStringLiteral("0|%1").arg(c.storedLength));
        const QByteArray stored = storedBlob(kSelectNote, id);
        EXPECT_EQ(stored, store.encryptString(c.text));
        EXPECT_EQ(store.getDecryptedString(stored), c.text);
    }
}

TEST_F(GuardedOperations, UserDataCiphertextWithZeroBytesIsStoredWhole)
{
    QString text;
    QByteArray cipher;
    for (int i = 0; i < 100000 && !cipher.contains('\0'); ++i) {
        text = QStringLiteral("password %1").arg(i);
        cipher = store.encryptDataString(text);
    }
    ASSERT_TRUE(cipher.contains('\0'));
    ASSERT_EQ(store.runGuarded([&] {
        OTVStatement statement = store.prepare("INSERT INTO USERTABLE(USERID,PASSWORD) VALUES ('U',?)");
        statement.setBlob(1, store.encryptedDataValue(text, kBlobBytes));
        return statement.executeUpdate() > 0 ? kOTVStatusOK : kOTVStatusNothingWritten;
    }),
              kOTVStatusOK);
    const QByteArray stored = storedBlob("SELECT PASSWORD FROM USERTABLE WHERE USERID=?", "U");
    EXPECT_EQ(stored, cipher);
    EXPECT_EQ(store.getDecryptedStringInfo(stored), text);
}

TEST_F(GuardedOperations, BytesThatAreNotUtf8ReadAsNoText)
{
    const QByteArray invalid("\xC3\x28", 2);
    EXPECT_TRUE(store.getDecryptedString(invalid).isNull()) << "without a record cipher";

    CDBEncrypter cipher("s3cret");
    int length = int(invalid.size());
    char* bytes = cipher.Encrypt(invalid.constData(), &length);
    const QByteArray enciphered(bytes, length);
    std::free(bytes);
    store.createEncrypter(QStringLiteral("s3cret"));
    EXPECT_TRUE(store.getDecryptedString(enciphered).isNull());

    EXPECT_EQ(store.getDecryptedString(QByteArray()), QStringLiteral(""));
    EXPECT_FALSE(store.getDecryptedString(QByteArray()).isNull());
}

// Writes that must succeed together: only the outermost transaction commits, and a failure at
// any level rolls all of it back.
class Transactions : public GuardedOperations {
public:
    // A transaction of its own that adds the groups, failing with `status` after them.
    int addGroupsInTransaction(const QStringList& uids, int status = kOTVStatusOK)
    {
        return store.runGuarded([&] {
            return store.runInTransaction([&]() -> int {
                for (const QString& uid : uids)
                    if (addGroup(uid, uid) != kOTVStatusOK)
                        return kOTVStatusNothingWritten;
                return status;
            });
        });
    }
    QStringList groupUids() const
    {
        return rootRows("SELECT UID FROM vivododadi.GROUPTABLE ORDER BY UID");
    }
};

TEST_F(Transactions, CommitWhenTheOutermostLevelSucceeds)
{
    QStringList seenByOthersInside;
    EXPECT_EQ(store.runGuarded([&] {
        return store.runInTransaction([&] {
            addGroup("A", "a");
            addGroupsInTransaction({"B", "C"});
            seenByOthersInside = groupUids();
            return kOTVStatusOK;
        });
    }),
              kOTVStatusOK);
    EXPECT_TRUE(seenByOthersInside.isEmpty()) << "nothing is visible before the commit";
    EXPECT_EQ(groupUids(), (QStringList{"A", "B", "C"}));
}

TEST_F(Transactions, AFailureAtAnyLevelRollsEverythingBack)
{
    struct Case {
        const char* name;
        std::function<int(Transactions&)> run;
        int status;
        QStringList posts;
    };
    const Case cases[] = {
        {"the outermost body returns a failure",
         [](Transactions& t) { return t.addGroupsInTransaction({"A", "B"}, kOTVStatusNothingWritten); },
         kOTVStatusNothingWritten, {}},
        {"an inner level fails and the outer goes on regardless",
         [](Transactions& t) {
             return t.store.runGuarded([&] {
                 return t.store.runInTransaction([&] {
                     t.addGroup("A", "a");
                     t.addGroupsInTransaction({"B"}, kOTVStatusNothingWritten);
                     t.addGroup("C", "c");
                     return kOTVStatusOK;
                 });
             });
         },
         kOTVStatusNothingWritten, {}},
        {"a statement fails inside an inner guarded operation",
         [](Transactions& t) {
             t.store.statementFaults().failExecution(kInsertGroup, 2, kDBConnectionLastErrCode);
             return t.store.runGuarded([&] {
                 return t.store.runInTransaction([&] {
                     t.addGroup("A", "a");
                     t.addGroup("B", "b");   // fails, reported, status 3
                     t.addGroup("C", "c");
                     return kOTVStatusOK;
                 });
             });
         },
         kOTVStatusClientError, {"DB_COMM_LOST(2013)"}},
        {"a value too long after a row was written",
         [](Transactions& t) {
             return t.store.runGuarded([&] {
                 return t.store.runInTransaction([&] {
                     OTVStatement insert = t.store.prepare(kInsertGroup);
                     insert.setString(1, "A");
                     insert.setBlob(2, t.store.encryptedValue("a", kTinyBlobBytes));
                     insert.executeUpdate();
                     t.store.encryptedValue(QString(256, 'x'), kTinyBlobBytes);
                     return kOTVStatusOK;
                 });
             });
         },
         kOTVStatusValueTooLong, {}},
        {"the commit fails",
         [](Transactions& t) {
             t.store.statementFaults().failExecution(kOTVCommitStatement, 1, 2006);
             return t.addGroupsInTransaction({"A", "B"});
         },
         kOTVStatusClientError, {"DB_COMM_LOST(2006)"}},
        {"every attempt ends in a deadlock",
         [](Transactions& t) {
             // Armed faults count only the executions that none before them failed.
             for (int attempt = 1; attempt <= StoreProbe::kDeadlockAttempts; ++attempt)
                 t.store.statementFaults().failExecution(kOTVCommitStatement, 1, kDBDeadlockCode);
             return t.addGroupsInTransaction({"A", "B"});
         },
         kOTVStatusDatabaseError, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        root("DELETE FROM vivododadi.GROUPTABLE");
        notifications.clear();
        store.setReconnectionDone();

        EXPECT_EQ(c.run(*this), c.status);
        EXPECT_TRUE(groupUids().isEmpty()) << groupUids().join(' ').toStdString();
        EXPECT_EQ(notifications.posts(), c.posts);

        // Back to autocommit: a later write stands on its own.
        EXPECT_EQ(addGroup("Z", "z"), kOTVStatusOK);
        EXPECT_EQ(groupUids(), QStringList{"Z"});
    }
}

// The server's answer to the commit decides: a connection lost just before it has written
// nothing, and the operation says so instead of reporting the transaction as stored.
TEST_F(Transactions, ACommitThatTheServerNeverTookIsNoSuccess)
{
    const QString id = sessionIDOf(store);
    ASSERT_FALSE(id.isEmpty());
    store.statementFaults().interruptExecution(kOTVCommitStatement, 1, [&] { root("KILL CONNECTION " + id); });
    const int status = addGroupsInTransaction({"A", "B"});
    EXPECT_TRUE(OTVIsLostConnectionStatus(status)) << status;
    EXPECT_TRUE(groupUids().isEmpty()) << groupUids().join(' ').toStdString();
    EXPECT_EQ(notifications.posts().size(), 1) << notifications.posts().join(' ').toStdString();
}

// A deadlock, or a transaction that lost certification on a cluster, was rolled back whole by the
// server: the operation that opened the transaction runs it again from its start, so that every
// write lands exactly once.
TEST_F(Transactions, ADeadlockedTransactionRunsAgainFromItsStart)
{
    struct Case {
        const char* name;
        std::function<int(Transactions&)> run;
    };
    const Case cases[] = {
        {"the commit is refused",
         [](Transactions& t) {
             t.store.statementFaults().failExecution(kOTVCommitStatement, 1, kDBDeadlockCode);
             return t.addGroupsInTransaction({"A", "B"});
         }},
        {"a statement of a nested guarded operation is refused",
         [](Transactions& t) {
             t.store.statementFaults().failExecution(kInsertGroup, 2, kDBDeadlockCode);
             return t.store.runGuarded([&] {
                 return t.store.runInTransaction([&] {
                     t.addGroup("A", "a");
                     t.addGroup("B", "b");
                     return kOTVStatusOK;
                 });
             });
         }},
        {"twice in a row, in an inner transaction",
         [](Transactions& t) {
             // The first insert of the first run, the second of the second run.
             t.store.statementFaults().failExecution(kInsertGroup, 1, kDBDeadlockCode);
             t.store.statementFaults().failExecution(kInsertGroup, 2, kDBDeadlockCode);
             return t.store.runGuarded([&] {
                 return t.store.runInTransaction([&] { return t.addGroupsInTransaction({"A", "B"}); });
             });
         }},
        {"a statement without a transaction",
         [](Transactions& t) {
             t.store.statementFaults().failExecution(kInsertGroup, 1, kDBDeadlockCode);
             t.addGroup("A", "a");
             return t.addGroup("B", "b");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        root("DELETE FROM vivododadi.GROUPTABLE");
        notifications.clear();
        store.statementFaults().clear();

        EXPECT_EQ(c.run(*this), kOTVStatusOK);
        EXPECT_EQ(groupUids(), (QStringList{"A", "B"}));
        EXPECT_TRUE(notifications.posts().isEmpty()) << notifications.posts().join(' ').toStdString();
    }
}

// One connection serves the main thread and the workers: the store lock keeps their
// statements and transactions from interleaving.
TEST_F(GuardedOperations, ConcurrentOperationsAreSerialised)
{
    constexpr int kPerThread = 40;
    auto work = [this](char prefix) {
        for (int i = 0; i < kPerThread; ++i) {
            const QString uid = QStringLiteral("%1%2").arg(prefix).arg(i, 3, 10, QLatin1Char('0'));
            store.runGuarded([&] {
                return store.runInTransaction([&] {
                    addGroup(uid, uid);
                    return store.getDecryptedString(storedBlob(kSelectGroupName, uid)) == uid
                               ? kOTVStatusOK
                               : kOTVStatusOtherFailure;
                });
            });
        }
    };
    store.createEncrypter(QStringLiteral("s3cret"));
    std::thread first(work, 'A');
    std::thread second(work, 'B');
    work('C');
    first.join();
    second.join();
    EXPECT_EQ(groups(), 3 * kPerThread);
    EXPECT_TRUE(notifications.posts().isEmpty());
}

// Text formatted into SQL (account statements) is escaped by the connection: whatever it
// holds, it stays one string literal.
TEST_F(GuardedOperations, QuotedStringsStayOneLiteral)
{
    const QString texts[] = {
        QStringLiteral("plain"),
        QStringLiteral("it's"),
        QStringLiteral("back\\slash\\"),
        QStringLiteral("'; DROP DATABASE vivododadi; --"),
        QStringLiteral("quote\" percent% under_score"),
        QStringLiteral("Grüße 日本 🔑"),
        QStringLiteral("line\nbreak\ttab\r\x1a"),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        QString echoed;
        ASSERT_EQ(store.runGuarded([&] {
            const std::string query = ("SELECT " + store.quotedString(text)).toStdString();
            OTVStatement statement = store.prepare(query.c_str());
            OTVResultSet rows = statement.executeQuery();
            rows.next();
            echoed = rows.getString(1u);
            return kOTVStatusOK;
        }),
                  kOTVStatusOK);
        EXPECT_EQ(echoed, text);
    }
    EXPECT_TRUE(store.checkIfDBExixists(kDatabaseName));
}
