// Printing the record list on PDF, as the print panel's "print to file" does: lists of 1,000,
// 5,000 and 10,000 rows laid out and printed on A4, every page with its footer. Each iteration is
// one whole print. The goal is a print linear in its rows: 10,000 rows in under 10 s, and a file
// whose bytes per page stay the same as the list grows (the 1,000 rows are the anchor).
//
// Counters: rows, pages, pdf_bytes, bytes_per_page, us_per_row (wall-clock time per row).
#include "BenchApplication.h"

#include "Controller/BKPrintJob.h"
#include "Customization/BKListPrintView.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <chrono>
#include <random>

namespace {

// The columns the list view shows by default, with values as a vault holds them: type, group,
// four fields, field 10's date and the notes, one note in ten longer than its column.
QList<BKPrintColumn> listColumns(int rows)
{
    std::mt19937 random(7);
    const QStringList words = {"alpha", "Mail", "server", "Bank", "login", "café", "router", "Übung",
                               "github", "Wallet", "admin", "Konto", "office", "VPN", "backup", "shop"};
    auto word = [&] { return words.at(int(random() % words.size())); };
    QList<BKPrintColumn> columns = {{"1", 90, {}},  {"2", 90, {}},  {"3", 110, {}},  {"4", 110, {}},
                                    {"5", 110, {}}, {"6", 110, {}}, {"12", 110, {}}, {"13", 150, {}}};
    for (int row = 0; row < rows; ++row) {
        columns[0].values.append(QStringLiteral("Type %1").arg(row % 25));
        columns[1].values.append(QStringLiteral("Group %1").arg(row % 40));
        for (int field = 2; field < 6; ++field)
            columns[field].values.append(word() + QLatin1Char(' ') + word());
        columns[6].values.append(QStringLiteral("January 05,2026"));
        QString notes = word() + QStringLiteral(" notes about ") + word();
        if (row % 10 == 0)
            notes += QStringLiteral(" and a longer remark on ") + word() + QLatin1Char(' ') + word() +
                     QStringLiteral(" that takes more than one line of its column");
        columns[7].values.append(notes);
    }
    return columns;
}

} // namespace

static void BM_ListPrint(benchmark::State& state)
{
    const int rows = int(state.range(0));
    const QList<BKPrintColumn> columns = listColumns(rows);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(11);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    int pages = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        const std::unique_ptr<BKPrintJob> job = BKPrintJob::listJob(columns, rows, font, QStringLiteral("bench"));
        pages = job->printOn(printer);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const qint64 bytes = QFileInfo(pdf).size();
    if (pages < 1 || bytes <= 0) {
        state.SkipWithError("nothing was printed");
        return;
    }
    state.counters["rows"] = rows;
    state.counters["pages"] = pages;
    state.counters["pdf_bytes"] = double(bytes);
    state.counters["bytes_per_page"] = double(bytes) / pages;
    state.counters["us_per_row"] = 1e6 * seconds / double(state.iterations()) / rows;
}

BENCHMARK(BM_ListPrint)->Arg(1000)->Arg(5000)->Arg(10000)->Unit(benchmark::kSecond)->UseRealTime();

OSTREVIN_WIDGETS_BENCHMARK_MAIN()
