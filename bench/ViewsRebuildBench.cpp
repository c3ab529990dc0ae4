// The main window's record views over a vault of 100,000 records: switching the group and typing a
// search term rebuild the shown view's lists from the store (the sorted record list, the types
// with their counts, the tree, the group titles). The goal is a rebuild within 50 ms, so that the
// interface keeps up with the typing.
#include "BenchApplication.h"
#include "BenchVault.h"

#include "Controller/BKMainWindowViews.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTreeView>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 100000;
constexpr int kTypes = 25;

// One vault per group count: 40 groups of 2,500 records, or one group holding all of them.
const BenchVault& vault(int groups)
{
    static std::map<int, std::unique_ptr<BenchVault>> vaults;
    std::unique_ptr<BenchVault>& shared = vaults[groups];
    if (!shared)
        shared = std::make_unique<BenchVault>(kRecords, groups, kTypes);
    return *shared;
}

std::unique_ptr<BKMainWindowViews> viewsFor(benchmark::State& state)
{
    auto& store = const_cast<BenchVault&>(vault(int(state.range(1))));
    auto views = std::make_unique<BKMainWindowViews>(store);
    views->changeView(int(state.range(0)));
    views->setShouldCreateDatabase(true);
    return views;
}

void setLabel(benchmark::State& state)
{
    static const char* names[] = {"column view", "list view", "tree view"};
    state.SetLabel(std::string(names[state.range(0)]) + ", " + std::to_string(state.range(1)) + " group(s)");
}

} // namespace

static void BM_SwitchGroup(benchmark::State& state)
{
    const std::unique_ptr<BKMainWindowViews> views = viewsFor(state);
    // The column view lists records once a type is chosen.
    views->columnViewTypesTable()->selectRow(0);
    const int groups = views->categoriesPopup()->count() - 1;
    int next = 0;
    for (auto _ : state) {
        views->categoriesPopup()->setCurrentIndex(next++ % groups);
        views->changeCategory();
    }
    setLabel(state);
}

static void BM_TypeSearchTerm(benchmark::State& state)
{
    const std::unique_ptr<BKMainWindowViews> views = viewsFor(state);
    views->columnViewTypesTable()->selectRow(0);
    // Each keystroke filters: one letter more, then one fewer.
    const QString term = QStringLiteral("zebracorn");
    int length = 0;
    for (auto _ : state) {
        length = length % term.size() + 1;
        views->searchField()->setText(term.left(length));
    }
    setLabel(state);
}

// A record changes (as an edit saved by this or another copy of the app changes it) and the shown
// view is rebuilt: the sorted list of the group is brought up to date, not sorted anew.
static void BM_RebuildAfterOneChange(benchmark::State& state)
{
    const std::unique_ptr<BKMainWindowViews> views = viewsFor(state);
    views->columnViewTypesTable()->selectRow(0);
    const OTVRecordList records = vault(int(state.range(1))).itemsOfGroup(nullptr, nullptr, QString());
    int changed = 0;
    for (auto _ : state) {
        records[(changed * 7919) % records.size()]->setValue(1, QStringLiteral("changed %1").arg(changed));
        ++changed;
        views->updateTables();
    }
    setLabel(state);
}

// The same with the changed record selected, as it is after an edit in this copy: the rebuild
// finds it again in the new lists.
static void BM_RebuildAfterChangingTheSelected(benchmark::State& state)
{
    const std::unique_ptr<BKMainWindowViews> views = viewsFor(state);
    const OTVRecordList records = vault(int(state.range(1))).itemsOfGroup(nullptr, nullptr, QString());
    const std::shared_ptr<OTVRecord> record = records[records.size() / 2];
    if (state.range(0) == BKMainWindowViews::kListViewTag) {
        views->listViewTypesTable()->selectRow(views->listModel()->rowOfRecord(record->mRecordUID()));
    } else {
        views->treeViewOutlineView()->selectionModel()->setCurrentIndex(
            views->outlineModel()->indexOfRecord(record->mRecordUID()), QItemSelectionModel::ClearAndSelect);
    }
    int changed = 0;
    for (auto _ : state) {
        record->setValue(1, QStringLiteral("changed %1").arg(changed++));
        views->updateTables();
        if (views->itemPropertiesForTableViewSelectedRow() != record)
            state.SkipWithError("the changed record is no longer selected");
    }
    setLabel(state);
}

// The same rebuild with nothing changed.
static void BM_RebuildUnchanged(benchmark::State& state)
{
    const std::unique_ptr<BKMainWindowViews> views = viewsFor(state);
    views->columnViewTypesTable()->selectRow(0);
    for (auto _ : state)
        views->updateTables();
    setLabel(state);
}

// Arguments: view tag, number of groups.
BENCHMARK(BM_RebuildAfterOneChange)->ArgsProduct({{1, 2}, {1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildAfterChangingTheSelected)->ArgsProduct({{1, 2}, {1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildUnchanged)->ArgsProduct({{1, 2}, {1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwitchGroup)->ArgsProduct({{0, 1, 2}, {40, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeSearchTerm)->ArgsProduct({{0, 1, 2}, {40, 1}})->Unit(benchmark::kMillisecond);

OSTREVIN_WIDGETS_BENCHMARK_MAIN()
