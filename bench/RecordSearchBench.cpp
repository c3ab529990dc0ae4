// The record list's queries over a vault of 100,000 records: a search of all groups and all
// types for a term that 1% of the records hold, the first letter typed into the search field
// (on all cores, and with the process confined to one core, where the search takes one
// thread), and the sorted list of all records. The goal is an answer within one frame (16 ms)
// on one core.
#include "BenchVault.h"

#include <benchmark/benchmark.h>

#include <sched.h>

#include <cstring>

namespace {

constexpr int kRecords = 100000;
constexpr int kGroups = 40;
constexpr int kTypes = 25;

const BenchVault& vault()
{
    static const BenchVault shared(kRecords, kGroups, kTypes);
    return shared;
}

// Confines the calling thread (and the threads it starts) to one core while it lives.
class OneCore {
public:
    OneCore()
    {
        sched_getaffinity(0, sizeof all_, &all_);
        cpu_set_t one;
        CPU_ZERO(&one);
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &all_)) {
                CPU_SET(cpu, &one);
                break;
            }
        }
        sched_setaffinity(0, sizeof one, &one);
    }
    ~OneCore() { sched_setaffinity(0, sizeof all_, &all_); }

private:
    cpu_set_t all_;
};

// One letter typed: nearly every record holds it.
void searchOneLetter(benchmark::State& state)
{
    const BenchVault& store = vault();
    const QString letter = QStringLiteral("e");
    int expected = -1;
    for (auto _ : state) {
        const OTVRecordList found = store.itemsOfGroup(nullptr, nullptr, letter);
        if (expected < 0)
            expected = int(found.size());
        if (found.size() != expected || found.size() < kRecords / 2)
            state.SkipWithError("wrong number of records found");
        benchmark::DoNotOptimize(found);
    }
}

} // namespace

static void BM_SearchOneLetterOneCore(benchmark::State& state)
{
    vault();   // made before the confinement
    const OneCore confined;
    searchOneLetter(state);
}
BENCHMARK(BM_SearchOneLetterOneCore)->Unit(benchmark::kMillisecond);

static void BM_SearchOneLetterAllCores(benchmark::State& state)
{
    searchOneLetter(state);
}
BENCHMARK(BM_SearchOneLetterAllCores)->Unit(benchmark::kMillisecond)->UseRealTime();

// The search's own work, for comparison: one case-folded text per record looked through on one
// core, without selecting or collecting the records.
static void BM_FoldedTextsOneCore(benchmark::State& state)
{
    // The texts as the records keep them (one byte a character where they can).
    QList<OTVTextPack> texts;
    for (const std::shared_ptr<OTVRecord>& record : vault().mRecords())
        texts.append(record->mSearchText());
    const OneCore confined;
    for (auto _ : state) {
        int found = 0;
        for (const OTVTextPack& text : texts) {
            if (text.isLatin1())
                found += std::memchr(text.latin1(0).data(), 'e', size_t(text.size(0))) != nullptr;
            else
                found += text.utf16(0).indexOf(QLatin1Char('e')) >= 0;
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FoldedTextsOneCore)->Unit(benchmark::kMillisecond);

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

