// The list table: type-to-select with its one-second window and its search column (the sort
// column when it holds text, else field 1), keys that still reach the table, and hiding and
// showing columns.
#include "Customization/BKTableView.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QtTest>

namespace {

// 15 columns "0".."14": 0, 13 and 14 hold images; 3 is field 1; 4 is field 2.
QStandardItemModel* listModel(QObject* parent)
{
    const QStringList titles{"Bravo", "alpha", "Abacus", "charlie", "Alpine"};
    const QStringList seconds{"zulu", "yankee", "xray", "beta", "whiskey"};
    auto* model = new QStandardItemModel(int(titles.size()), 15, parent);
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    for (int row = 0; row < titles.size(); ++row) {
        for (int column = 0; column < 15; ++column) {
            auto* item = new QStandardItem;
            if (column == 0 || column == 13 || column == 14)
                item->setData(icon, Qt::DisplayRole);
            else if (column == 3)
                item->setText(titles[row]);
            else if (column == 4)
                item->setText(seconds[row]);
            else
                item->setText(QStringLiteral("c%1 r%2").arg(column).arg(row));
            model->setItem(row, column, item);
        }
    }
    return model;
}

} // namespace

class TableViewTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        now = 0;
        table = std::make_unique<BKTableView>();
        table->setModel(listModel(table.get()));
        table->setClock([this] { return now; });
    }
    void cleanup() { table.reset(); }

    void typingSelectsTheFirstMatchingRow_data();
    void typingSelectsTheFirstMatchingRow();
    void searchColumnFollowsTheSortColumn();
    void navigationKeysReachTheTable();
    void hideAndShowColumns();

private:
    int selectedRowAlone() const
    {
        const QModelIndexList rows = table->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : (rows.isEmpty() ? -1 : -2);
    }
    // Keys typed at the given times (ms): "a@0 b@500".
    void type(const QString& script)
    {
        for (const QString& step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList parts = step.split(QLatin1Char('@'));
            now = parts[1].toLongLong();
            QTest::keyClicks(table.get(), parts[0]);
        }
    }

    std::unique_ptr<BKTableView> table;
    qint64 now = 0;
};

void TableViewTest::typingSelectsTheFirstMatchingRow_data()
{
    QTest::addColumn<int>("selectedBefore");   // -1: none
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("typed");

    // Titles by row: Bravo, alpha, Abacus, charlie, Alpine.
    QTest::newRow("one letter, any case") << -1 << "a@0" << 1 << "a";
    QTest::newRow("two letters within a second") << -1 << "a@0 b@900" << 2 << "ab";
    QTest::newRow("exactly one second is still one word") << -1 << "a@0 l@1000 p@1500 i@1600" << 4 << "alpi";
    QTest::newRow("a pause starts again") << -1 << "a@0 b@1001" << 0 << "b";
    QTest::newRow("upper case typed") << -1 << "C@0" << 3 << "C";
    QTest::newRow("no match keeps the selection") << 3 << "q@0" << 3 << "q";
    QTest::newRow("no match, no selection") << -1 << "x@0" << -1 << "x";
    QTest::newRow("prefix beyond a match") << 2 << "a@0 b@10 z@20" << 2 << "abz";
}

void TableViewTest::typingSelectsTheFirstMatchingRow()
{
    QFETCH(int, selectedBefore);
    QFETCH(QString, keys);
    QFETCH(int, selected);
    QFETCH(QString, typed);
    if (selectedBefore >= 0)
        table->selectRow(selectedBefore);
    type(keys);
    QCOMPARE(selectedRowAlone(), selected);
    QCOMPARE(table->typedString(), typed);
}

void TableViewTest::searchColumnFollowsTheSortColumn()
{
    const int field1 = 3;
    const int field2 = 4;
    // Unsorted: field 1.
    QCOMPARE(table->searchColumn(), field1);
    // Sorted by a text column: that column ("beta" is row 3).
    table->horizontalHeader()->setSortIndicatorShown(true);
    table->horizontalHeader()->setSortIndicator(field2, Qt::AscendingOrder);
    QCOMPARE(table->searchColumn(), field2);
    type("b@0");
    QCOMPARE(selectedRowAlone(), 3);
    // Sorted by an image column, or by a hidden one: field 1, and no crash.
    for (int column : {0, 13, 14}) {
        table->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
        QCOMPARE(table->searchColumn(), field1);
    }
    table->horizontalHeader()->setSortIndicator(field2, Qt::AscendingOrder);
    table->hideTableColumn(field2);
    QCOMPARE(table->searchColumn(), field1);
    type("c@5000");
    QCOMPARE(selectedRowAlone(), 3);
    // Field 1 itself hidden as well: its values still give the list's order.
    table->hideTableColumn(field1);
    type("a@9000 b@9100");
    QCOMPARE(selectedRowAlone(), 2);

    // No model at all, or an empty one: typing changes nothing and does not fail.
    BKTableView bare;
    QTest::keyClicks(&bare, QStringLiteral("abc"));
    QCOMPARE(bare.searchColumn(), -1);
    QStandardItemModel empty;
    bare.setModel(&empty);
    QTest::keyClicks(&bare, QStringLiteral("abc"));
    QVERIFY(bare.selectionModel()->selectedRows().isEmpty());
}

void TableViewTest::navigationKeysReachTheTable()
{
    QWidget window;
    auto* before = new QWidget(&window);
    table->setParent(&window);
    auto* after = new QWidget(&window);
    before->setFocusPolicy(Qt::StrongFocus);
    after->setFocusPolicy(Qt::StrongFocus);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    table->selectRow(1);
    table->setCurrentIndex(table->model()->index(1, 3));
    QTest::keyClick(table.get(), Qt::Key_Down);
    QCOMPARE(table->currentIndex().row(), 2);
    QTest::keyClick(table.get(), Qt::Key_Up);
    QCOMPARE(table->currentIndex().row(), 1);
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace})
        QTest::keyClick(table.get(), key);
    QVERIFY(table->typedString().isEmpty());

    // Tab still moves the focus on.
    table->setFocus();
    QVERIFY(table->hasFocus());
    QTest::keyClick(table.get(), Qt::Key_Tab);
    QVERIFY(!table->hasFocus());
    table->setParent(nullptr);
}

void TableViewTest::hideAndShowColumns()
{
    QCOMPARE(table->defaultTableColumns().size(), 15);
    QCOMPARE(table->indexOfTableColumn(5), 5);

    table->hideTableColumn(5);
    table->hideTableColumn(5);
    QCOMPARE(table->hiddenTableColumns(), QList<int>{5});
    QVERIFY(table->tableColumnIsHidden(5));
    QCOMPARE(table->indexOfTableColumn(5), -1);
    QCOMPARE(table->indexOfTableColumn(6), 5);
    QCOMPARE(table->hiddenTableColumnWithIdentifier(QStringLiteral("5")), 5);
    QCOMPARE(table->hiddenTableColumnWithIdentifier(QStringLiteral("6")), -1);

    // Showing a column that is not hidden does nothing.
    table->showTableColumn(7);
    QCOMPARE(table->indexOfTableColumn(7), 6);

    // A shown column comes back last.
    table->hideTableColumn(2);
    table->showTableColumn(5);
    QVERIFY(!table->tableColumnIsHidden(5));
    QCOMPARE(table->indexOfTableColumn(5), 13);
    QCOMPARE(table->hiddenTableColumns(), QList<int>{2});
    table->showTableColumn(2);
    QCOMPARE(table->indexOfTableColumn(2), 14);
    QCOMPARE(table->indexOfTableColumn(5), 13);

    // Unknown columns are ignored.
    table->hideTableColumn(99);
    table->hideTableColumn(-1);
    QCOMPARE(table->hiddenTableColumns(), QList<int>());
    QCOMPARE(table->indexOfTableColumn(99), -1);

    // The colour is kept (drawing rows is the list's own business).
    table->setRowColor(QColor(10, 20, 30));
    QCOMPARE(table->rowColor(), QColor(10, 20, 30));
}

QTEST_MAIN(TableViewTest)
#include "TableViewTest.moc"
