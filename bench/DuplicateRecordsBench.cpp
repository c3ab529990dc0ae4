// Finding the duplicate records of a vault of 100,000 records of which 1,000 pairs are equal,
// as the de-duplicate command does over the list of all records. The goal is under 1 s.
#include "BenchVault.h"

#include "Model/OTVRecordDuplicates.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 100000;
constexpr int kPairs = 1000;

// 99,000 records of BenchVault's kind, each made unique by its number in field 9, and a copy
// (another UID and time) of every 99th of them.
class DuplicatesVault : public BenchVault {
public:
    DuplicatesVault() : BenchVault(kRecords - kPairs, 40, 25)
    {
        int number = 0;
        for (const std::shared_ptr<OTVRecord>& record : mRecords_.values())
            record->setValue(9, QStringLiteral("no %1").arg(number++));
        const OTVRecordList originals = mRecords_.values();
        for (int i = 0; i < kPairs; ++i) {
            std::shared_ptr<OTVRecord> copy = OTVRecord::copyRecord(*originals.at(i * (originals.size() / kPairs)));
            mRecords_.insert(copy->mRecordUID(), copy);
        }
    }
};

void findDuplicates(benchmark::State& state)
{
    static const DuplicatesVault vault;
    const OTVRecordList all = vault.itemsOfGroup(nullptr, QString());
    if (all.size() != kRecords)
        state.SkipWithError("wrong number of records");
    for (auto _ : state) {
        const OTVRecordList found = OTVFindDuplicateRecords(all);
        if (found.size() != kPairs)
            state.SkipWithError("wrong number of duplicates");
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(findDuplicates)->Unit(benchmark::kMillisecond);

} // namespace
