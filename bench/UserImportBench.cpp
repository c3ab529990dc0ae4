// The import of a user list into a vault: the file parsed, every row tested and each user added
// with its server account, grants and rows, as the user-account window's import does on its
// worker. Two sizes in one run, 100 and then 1,000 users: "ms_per_user" (wall-clock) of the
// second may be at most 1.3 times that of the first, as each account costs the same however many
// the server holds (the second run starts with the first run's accounts on the server).
//
// Needs a server: scripts/test-server start DIR, then
//   scripts/test-server exec DIR -- build/bench/bench_UserImportBench
#include "BenchServer.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/vRX/CStringArray.h"
#include "Model/vRX/ExchangeFormats.h"
#include "Model/vRX/Vault/CBKUserParser.h"
#include "Model/vRX/Vault/OTVUserImport.h"
#include "Model/vRX/Vault/OTVUserParserDelegate.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

namespace {

// A user list of `count` users whose names begin with `prefix`.
std::string userList(const QString& prefix, int count)
{
    std::string text;
    WriteHeader(kUserCSVFile, text, nullptr);
    for (int i = 0; i < count; ++i) {
        const std::string name = (prefix + QString::number(i)).toStdString();
        const std::string password = "Bench-pw-" + std::to_string(i);
        CStringArray texts;
        for (const std::string& field : {name, password, password, std::string("Bench User"),
                                         std::string("imported"), name + "@example.org", std::string("555")})
            texts.Add(field.c_str());
        CStringArray words;
        for (const char* word : {"1", "101", "1", "110011"})
            words.Add(word);
        WriteNextCSVUserRecord(text, texts, words);
    }
    return text;
}


void BM_ImportUsers(benchmark::State& state)
{
    const int users = int(state.range(0));
    OTVDataBase vault;
    if (const char* why = BenchOpenVault(vault)) {
        state.SkipWithError(why);
        return;
    }
    static int run = 0;
    double milliseconds = 0;
    for (auto _ : state) {
        // Names no earlier run took: the accounts of a run stay on the server.
        const QString prefix = QStringLiteral("b%1_%2_").arg(QCoreApplication::applicationPid() % 1000).arg(run++);
        OTVUserParserDelegate delegate;
        CBKUserParser::fromText(userList(prefix, users), &delegate).StartParsing();
        QElapsedTimer clock;
        clock.start();
        const int added = OTVAddImportedUsers(delegate.ImportedUsers(), vault, [](const QString&) { return true; },
                                              [](const OEUserRecord&, int, const QString&) {});
        milliseconds += double(clock.nsecsElapsed()) / 1e6;
        if (added != users) {
            state.SkipWithError("not every user was added");
            return;
        }
    }
    state.counters["users"] = users;
    state.counters["ms_per_user"] = milliseconds / double(users) / double(state.iterations());
}

BENCHMARK(BM_ImportUsers)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

OSTREVIN_STORE_BENCHMARK_MAIN()
