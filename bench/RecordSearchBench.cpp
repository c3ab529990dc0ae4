// The record list's queries over a vault of 100,000 records: a search of all groups and all
// types for a term that 1% of the records hold, and the sorted list of all records. The goal
// is an answer within one frame (16 ms).
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kRecords = 100000;
constexpr int kGroups = 40;
constexpr int kTypes = 25;

class BenchVault : public OTVDataBase {
public:
    BenchVault()
    {
        std::mt19937 random(7);
        const QStringList words = {"alpha", "Mail", "server", "Bank", "login", "café", "router", "Übung",
                                   "github", "Wallet", "admin", "Konto", "office", "VPN", "backup", "shop"};
        auto word = [&] { return words.at(int(random() % words.size())); };
        QList<std::shared_ptr<BKGroup>> groups;
        for (int g = 0; g < kGroups; ++g) {
            auto group = BKGroup::newGroup();
            group->setMGroupName(QStringLiteral("Group %1").arg(g));
            mGroups_.insert(group->mGroupUID(), group);
            groups.append(group);
        }
        QList<std::shared_ptr<OTVType>> types;
        for (int t = 0; t < kTypes; ++t) {
            auto type = OTVType::createType();
            type->setMTypeName(QStringLiteral("Type %1").arg(t));
            mTypes_.insert(type->mTypeUID(), type);
            types.append(type);
        }
        for (int i = 0; i < kRecords; ++i) {
            auto record = std::make_shared<OTVRecord>();
            record->setMRecordUID(QStringLiteral("%1").arg(i, 16, 16, QLatin1Char('0')).toUpper());
            record->setMGroup(groups.at(i % kGroups));
            record->setMType(types.at(i % kTypes));
            for (int field = 1; field < kNoOfFields; ++field)
                record->setValue(field, field % 3 == 0 ? QString() : word() + QLatin1Char(' ') + word());
            record->setValue(kNoOfFields, QStringLiteral("2026-01-05 09:00:00 +0100"));
            record->setMValue10ForDisaply(QStringLiteral("05.01.2026 09:00"));
            record->setMNotes(word() + QStringLiteral(" notes about ") + word() + QLatin1Char(' ') + word());
            if (i % 100 == 0)   // 1% hold the term, in a field that varies
                record->setValue(1 + (i / 100) % 9, QStringLiteral("my ZebraCorn key"));
            mRecords_.insert(record->mRecordUID(), record);
        }
    }
};

const BenchVault& vault()
{
    static const BenchVault shared;
    return shared;
}

} // namespace

static void BM_SearchAllGroupsAllTypes(benchmark::State& state)
{
    const BenchVault& store = vault();
    const QString term = QStringLiteral("zebracorn");
    for (auto _ : state) {
        const OTVRecordList found = store.itemsOfGroup(nullptr, nullptr, term);
        if (found.size() != kRecords / 100)
            state.SkipWithError("wrong number of records found");
        benchmark::DoNotOptimize(found);
    }
}
// Wall time; the CPU column is the work of all the search's threads together.
BENCHMARK(BM_SearchAllGroupsAllTypes)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

static void BM_SortedListAllRecordsByField1(benchmark::State& state)
{
    const BenchVault& store = vault();
    for (auto _ : state)
        benchmark::DoNotOptimize(store.itemsOfGroup(nullptr, nullptr, QString(), kField1ColumnID, true));
}
BENCHMARK(BM_SortedListAllRecordsByField1)->Unit(benchmark::kMillisecond);

static void BM_SortedSearchByDate(benchmark::State& state)
{
    const BenchVault& store = vault();
    for (auto _ : state)
        benchmark::DoNotOptimize(store.itemsOfGroup(nullptr, nullptr, QStringLiteral("bank"), kField10ColumnID, false));
}
BENCHMARK(BM_SortedSearchByDate)->Unit(benchmark::kMillisecond);

