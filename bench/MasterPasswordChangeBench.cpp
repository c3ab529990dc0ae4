// The master-password change on a vault of 10,000 (and, to show that the time grows linearly,
// 20,000) records (nine values and a note each, 10% with a custom type, 10% with an attachment),
// 25 types and 40 groups: each iteration re-enciphers the whole vault and stores the new
// password in one transaction.
//
// Needs a server: scripts/test-server start DIR, then
//   scripts/test-server exec DIR -- build/bench/bench_MasterPasswordChangeBench
#include "BenchServer.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/Database_Engine/OTVDataBaseQueries.h"
#include "Model/OTVType.h"

#include <benchmark/benchmark.h>

#include <QCryptographicHash>
#include <QString>

#include <cstdlib>
#include <random>

namespace {

constexpr int kGroups = 40;
constexpr int kTypes = 25;

QString uid(char kind, int n)
{
    return QStringLiteral("%1%2").arg(QLatin1Char(kind)).arg(n, 15, 16, QLatin1Char('0')).toUpper();
}

class BenchVault : public OTVDataBase {
public:
    // Connects to the server of the environment and fills an empty vault under `password`.
    bool open(const QString& password, int records, std::string* error)
    {
        const OTVConnectRequest request = BenchServerRequest();
        if (request.ipAddress.isEmpty()) {
            *error = kBenchNoServer;
            return false;
        }
        // A vault of an earlier run (under another master password) is dropped.
        startConnectionToServer(request);
        if (!isConnected()) {
            *error = "cannot connect";
            return false;
        }
        executePlainGuarded("DROP DATABASE IF EXISTS vivododadi");
        if (startConnectionToServer(request) != kOTVStatusOK || setMasterPassword(password) != kOTVStatusOK) {
            *error = "cannot set up the vault";
            return false;
        }
        if (fill(records) != kOTVStatusOK) {
            *error = "cannot fill the vault";
            return false;
        }
        return true;
    }

    // A hash over every record's values and notes, deciphered under the session's cipher, in the
    // order of the UIDs; empty when they cannot be read.
    QByteArray valuesHash()
    {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const int status = runGuarded([&] {
            OTVStatement statement = prepare("SELECT * FROM RECORDTABLE ORDER BY RECORDID");
            OTVResultSet rows = statement.executeQuery();
            while (rows.next()) {
                hash.addData(rows.getString(1u).toUtf8());
                for (unsigned column = 4; column <= 14; ++column) {
                    const QString text = getDecryptedString(rows.getBlob(column));
                    if (text.isNull())
                        return int(kOTVStatusOtherFailure);
                    hash.addData(QByteArray("\0", 1) + text.toUtf8());
                }
            }
            return int(kOTVStatusOK);
        });
        return status == kOTVStatusOK ? hash.result().toHex() : QByteArray();
    }

private:
    void executePlainGuarded(const char* sql)
    {
        runGuarded([&] {
            executePlain(sql);
            return int(kOTVStatusOK);
        });
    }

    int fill(int records)
    {
        std::mt19937 random(11);
        const QStringList words = {"alpha", "Mail", "server", "Bank", "login", "café", "router", "Übung",
                                   "github", "Wallet", "admin", "Konto", "office", "VPN", "backup", "shop"};
        auto words3 = [&] {
            return words.at(int(random() % 16)) + ' ' + words.at(int(random() % 16)) + ' ' + words.at(int(random() % 16));
        };
        return runGuarded([&] {
            return runInTransaction([&] {
                OTVStatement group = prepare("INSERT INTO GROUPTABLE VALUES (?,?,7,0)");
                for (int g = 0; g < kGroups; ++g) {
                    group.clearParameters();
                    group.setString(1, uid('A', g));
                    group.setBlob(2, encryptString(QStringLiteral("Group %1").arg(g)));
                    group.executeUpdate();
                }
                OTVStatement type = prepare("INSERT INTO TYPETABLE VALUES (?,?,31,0,?,?,?,?,?,?,?,?,?,?)");
                for (int t = 0; t < kTypes; ++t) {
                    type.clearParameters();
                    type.setString(1, uid('B', t));
                    type.setBlob(2, encryptString(QStringLiteral("Type %1").arg(t)));
                    for (int field = 1; field <= kNoOfFields; ++field)
                        type.setBlob(2 + unsigned(field), encryptString(QStringLiteral("Label %1").arg(field)));
                    type.executeUpdate();
                }
                OTVStatement record =
                    prepare("INSERT INTO RECORDTABLE VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,0)");
                OTVStatement custom = prepare(kQueryReplaceCustomType);
                OTVStatement attachment = prepare(kQueryInsertAttachmentTable);
                const QByteArray data(1024, 'd');
                for (int r = 0; r < records; ++r) {
                    const bool customised = r % 10 == 3;
                    const bool attached = r % 10 == 7;
                    record.clearParameters();
                    record.setString(1, uid('C', r));
                    record.setString(2, uid('B', r % kTypes));
                    record.setString(3, uid('A', r % kGroups));
                    for (int field = 1; field < kNoOfFields; ++field)
                        record.setBlob(3 + unsigned(field), encryptString(words3()));
                    record.setBlob(13, encryptString(QStringLiteral("2026-01-05 09:00:00 +0100")));
                    record.setBlob(14, encryptString(words3() + " notes " + words3()));
                    record.setBoolean(15, attached);
                    record.setBoolean(16, customised);
                    record.executeUpdate();
                    if (customised) {
                        custom.clearParameters();
                        custom.setString(1, uid('C', r));
                        custom.setInt(2, 31);
                        custom.setInt(3, 0);
                        for (int field = 1; field <= kNoOfFields; ++field)
                            custom.setBlob(3 + unsigned(field), encryptString(words3()));
                        custom.executeUpdate();
                    }
                    if (attached) {
                        attachment.clearParameters();
                        attachment.setString(1, uid('C', r));
                        attachment.setBlob(2, encryptString("file.txt"));
                        attachment.setBlob(3, encryptString("0123456789ABCDEF"));
                        attachment.setBlob(4, data);
                        attachment.executeUpdate();
                    }
                }
                return int(kOTVStatusOK);
            });
        });
    }
};

void BM_ChangeMasterPassword(benchmark::State& state)
{
    BenchVault vault;
    std::string error;
    const int records = int(state.range(0));
    if (!vault.open(QStringLiteral("first master"), records, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const QByteArray before = vault.valuesHash();
    int n = 0;
    for (auto _ : state) {
        const int status = vault.reEncyptAllDatabaseInformation(QStringLiteral("master %1").arg(++n));
        if (status != kOTVStatusOK) {
            state.SkipWithError("the change failed");
            return;
        }
    }
    // Every value reads back the same under the last password.
    if (before.isEmpty() || vault.valuesHash() != before)
        state.SkipWithError("the values read back differ from those written");
    state.counters["records"] = records;
}

BENCHMARK(BM_ChangeMasterPassword)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
