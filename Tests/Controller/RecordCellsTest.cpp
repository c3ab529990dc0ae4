// What the cells of the record list show on screen and in print: each column, masking by the
// shown type's mask, the day of value 10, the images, and the rows' colours.
#include "Controller/BKRecordCells.h"
#include "Controller/BKRecordViewModels.h"
#include "Controller/BKViewImages.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

struct Fixture {
    Fixture()
    {
        group = BKGroup::newGroup();
        group->setMGroupName(QStringLiteral("Banking"));
        groups.insert(group->mGroupUID(), group);
        type = OTVType::createType();
        type->setMTypeName(QStringLiteral("Login"));
        type->setMTypeMask(0x2 | 0x200);   // field 2 and field 10
        record = std::make_shared<OTVRecord>();
        record->setMGroup(group);
        record->setMType(type);
        record->setValue(1, QStringLiteral("alpha"));
        record->setValue(2, QStringLiteral("secret"));
        record->setValue(9, QStringLiteral("nine"));
        record->setValue(10, QStringLiteral("2009-03-05 14:22:10 +0100"));
    }

    void customise(int mask)
    {
        OTVType own = *OTVType::createCopyforType(*type);
        own.setMTypeName(QStringLiteral("My own"));
        own.setMTypeMask(mask);
        record->setMRecordCustomType(own);
        record->setMIsCustomized(true);
    }

    OTVDataBase store;
    OTVGroupMap groups;
    std::shared_ptr<BKGroup> group;
    std::shared_ptr<OTVType> type;
    std::shared_ptr<OTVRecord> record;
};

} // namespace

class RecordCellsTest : public QObject {
    Q_OBJECT

private slots:
    void listCells_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("masking");
        QTest::addColumn<int>("ownMask");   // -1: the record has no type of its own
        QTest::addColumn<QString>("shown");
        QTest::newRow("type name") << 1 << false << -1 << "Login";
        QTest::newRow("type name of a customised record") << 1 << true << 0x1 << "Login";
        QTest::newRow("group name") << 2 << false << -1 << "Banking";
        QTest::newRow("field 1") << 3 << true << -1 << "alpha";
        QTest::newRow("field 2 unmasked") << 4 << false << -1 << "secret";
        QTest::newRow("field 2 masked") << 4 << true << -1 << "******";
        QTest::newRow("empty masked field") << 5 << true << 0x4 << "";
        QTest::newRow("own mask hides field 1") << 3 << true << 0x1 << "******";
        QTest::newRow("own mask shows field 2") << 4 << true << 0x1 << "secret";
        QTest::newRow("field 9") << 11 << true << -1 << "nine";
        QTest::newRow("date unmasked") << 12 << false << -1 << "March 05,2009";
        QTest::newRow("date masked") << 12 << true << -1 << "******";
        QTest::newRow("date under an own type without mask") << 12 << true << 0 << "March 05,2009";
        QTest::newRow("notes column has no text") << 13 << false << -1 << QString();
        QTest::newRow("no such column") << 15 << false << -1 << QString();
    }
    void listCells()
    {
        QFETCH(int, column);
        QFETCH(bool, masking);
        QFETCH(int, ownMask);
        QFETCH(QString, shown);
        Fixture f;
        if (ownMask >= 0)
            f.customise(ownMask);
        const QString text = BKListCellText(*f.record, column, masking, f.groups);
        QCOMPARE(text, shown);
        QCOMPARE(text.isNull(), shown.isNull());
    }

    void theGroupNameComesFromTheStoresMap()
    {
        Fixture f;
        // The record's group object is stale; the map holds the group as it is now.
        auto current = std::make_shared<BKGroup>(*f.group);
        current->setMGroupName(QStringLiteral("Renamed"));
        f.groups.insert(current->mGroupUID(), current);
        QCOMPARE(BKListCellText(*f.record, 2, false, f.groups), QStringLiteral("Renamed"));
        QCOMPARE(BKListCellText(*f.record, 2, false, OTVGroupMap()), QStringLiteral(""));
        // Printing names the record's own group.
        QCOMPARE(BKPrintCellValue(*f.record, 2, f.store).toString(), QStringLiteral("Banking"));
    }

    void dateColumn_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("stored day") << "2009-03-05 14:22:10 +0100" << "March 05,2009";
        QTest::newRow("late in a western offset") << "2009-03-05 23:59:59 -1100" << "March 05,2009";
        QTest::newRow("early in an eastern offset") << "2009-03-05 00:00:01 +1300" << "March 05,2009";
        QTest::newRow("two-digit day") << "2020-10-11 10:00:00 +0000" << "October 11,2020";
        QTest::newRow("no time") << "2009-03-05" << "";
        QTest::newRow("not a date") << "yesterday" << "";
        QTest::newRow("impossible day") << "2009-13-05 10:00:00 +0000" << "";
    }
    void dateColumn()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        Fixture f;
        f.record->setValue(10, stored);
        QCOMPARE(BKListCellText(*f.record, 12, false, f.groups), shown);
        QCOMPARE(BKPrintCellValue(*f.record, 12, f.store).toString(), shown);
    }

    void printedCellsAreNeverMasked()
    {
        Fixture f;
        f.record->setMNotes(QStringLiteral("line one\nline two"));
        QCOMPARE(BKPrintCellValue(*f.record, 1, f.store).toString(), QStringLiteral("Login"));
        QCOMPARE(BKPrintCellValue(*f.record, 4, f.store).toString(), QStringLiteral("secret"));
        QCOMPARE(BKPrintCellValue(*f.record, 13, f.store).toString(), QStringLiteral("line one\nline two"));
        QVERIFY(!BKPrintCellValue(*f.record, 14, f.store).isValid());
        QVERIFY(BKPrintCellValue(*f.record, 0, f.store).value<QImage>().width() > 0);
        f.record->setMNotes(QString());
        QCOMPARE(BKPrintCellValue(*f.record, 13, f.store).toString(), QString());
    }

    void imageColumns()
    {
        Fixture f;
        QVERIFY(!BKListCellImage(*f.record, 0, f.store).isNull());
        QVERIFY(BKListCellImage(*f.record, 13, f.store).isNull());
        QVERIFY(BKListCellImage(*f.record, 14, f.store).isNull());
        f.record->setMNotes(QStringLiteral("n"));
        f.record->setMHasAttachment(true);
        QCOMPARE(BKListCellImage(*f.record, 13, f.store), BKViewImages::namedImage(kNotesImageName));
        QCOMPARE(BKListCellImage(*f.record, 14, f.store), BKViewImages::namedImage(kAttachmentImageName));
        QVERIFY(BKListCellImage(*f.record, 3, f.store).isNull());
        for (const QString& name : {kSmartListImageName, kNotesImageName, kAttachmentImageName, kEncryptImageName})
            QVERIFY2(!BKViewImages::namedImage(name).isNull(), qPrintable(name));
        // The icon shown is the one of the record's own type when it has one.
        f.customise(0);
        f.record->mRecordCustomType()->setMTypeIconID(7);
        QCOMPARE(BKListCellImage(*f.record, 0, f.store), BKViewImages::typeIcon(f.store, f.record->mRecordCustomType()));
    }

    void rowColourIsBlendedTowardsWhite_data()
    {
        QTest::addColumn<QColor>("row");
        QTest::addColumn<QColor>("blended");
        QTest::newRow("black") << QColor(0, 0, 0) << QColor::fromRgbF(0.65f, 0.65f, 0.65f);
        QTest::newRow("white") << QColor(255, 255, 255) << QColor(255, 255, 255);
        QTest::newRow("default blue") << QColor(52, 84, 136)
                                      << QColor::fromRgbF(52 / 255.f + (1 - 52 / 255.f) * 0.65f,
                                                          84 / 255.f + (1 - 84 / 255.f) * 0.65f,
                                                          136 / 255.f + (1 - 136 / 255.f) * 0.65f);
        QTest::newRow("alpha kept") << QColor(0, 0, 0, 128) << QColor::fromRgbF(0.65f, 0.65f, 0.65f, 128 / 255.f);
    }
    void rowColourIsBlendedTowardsWhite()
    {
        QFETCH(QColor, row);
        QFETCH(QColor, blended);
        const QColor result = BKBlendedRowColor(row);
        QVERIFY2(qAbs(result.redF() - blended.redF()) < 0.002, qPrintable(result.name()));
        QVERIFY2(qAbs(result.greenF() - blended.greenF()) < 0.002, qPrintable(result.name()));
        QVERIFY2(qAbs(result.blueF() - blended.blueF()) < 0.002, qPrintable(result.name()));
        QVERIFY(qAbs(result.alphaF() - blended.alphaF()) < 0.002);
    }

    void columnTitles()
    {
        QStringList titles;
        for (int column = 0; column < kRecordListColumns; ++column)
            titles.append(BKDefaultColumnTitle(column));
        QCOMPARE(titles, (QStringList{"", "Type", "Group", "Field 1", "Field 2", "Field 3", "Field 4", "Field 5",
                                      "Field 6", "Field 7", "Field 8", "Field 9", "Field 10", "Notes", ""}));
    }

    void theListModelsHeadersAndRows()
    {
        Fixture f;
        BKRecordListModel model(f.store);
        auto second = std::make_shared<OTVRecord>(*f.record);
        model.setRecords({f.record, second});
        QCOMPARE(model.columnCount(), 15);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString());
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DecorationRole).value<QImage>(),
                 BKViewImages::namedImage(kEncryptImageName));
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(model.headerData(14, Qt::Horizontal, Qt::DecorationRole).value<QImage>(),
                 BKViewImages::namedImage(kAttachmentImageName));
        QCOMPARE(model.headerData(7, Qt::Horizontal).toString(), QStringLiteral("Field 5"));
        QCOMPARE(model.headerData(7, Qt::Horizontal, BKColumnIdentifierRole).toString(), QStringLiteral("7"));
        // Even rows in the blended row colour, odd rows white.
        model.setRowColor(QColor(0, 0, 0));
        QCOMPARE(model.index(0, 3).data(Qt::BackgroundRole).value<QColor>(), BKBlendedRowColor(QColor(0, 0, 0)));
        QCOMPARE(model.index(1, 3).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
        // Masking changes the shown text and tells the views.
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QCOMPARE(model.index(0, 4).data().toString(), QStringLiteral("secret"));
        model.setShouldMask(true);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.index(0, 4).data().toString(), kMaskedFieldText);
        QCOMPARE(model.index(1, 4).data(BKRecordRole).value<std::shared_ptr<OTVRecord>>(), second);
        QVERIFY(!model.index(0, 4).data(BKTypeRole).isValid());
        QCOMPARE(model.rowOfRecord(QStringLiteral("none")), -1);
    }

    // The tree groups the records by type: the types by name, each type's records in the list's
    // order, a type object loaded anew joining the group of its UID, records without a type left
    // out. A record is found again as the same object or, after a reload, by its UID.
    void theTreeGroupsByTypeAndFindsRecordsAgain()
    {
        Fixture f;
        auto card = OTVType::createType();
        card->setMTypeName(QStringLiteral("Card"));
        const auto reloadedLogin = std::make_shared<OTVType>(*f.type);
        const auto record = [&](const char* uid, const std::shared_ptr<OTVType>& type) {
            auto made = std::make_shared<OTVRecord>(*f.record);
            made->setMRecordUID(QString::fromLatin1(uid));
            made->setValue(1, QString::fromLatin1(uid));
            made->setMType(type);
            return made;
        };
        const OTVRecordList records = {record("a", f.type), record("b", card), record("c", nullptr),
                                       record("d", reloadedLogin), record("e", f.type)};
        BKRecordOutlineModel model(f.store);
        model.setRecords(records);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Card"));
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("Login"));
        QStringList logins;
        for (int row = 0; row < model.rowCount(model.index(1, 0)); ++row)
            logins.append(model.index(row, 0, model.index(1, 0)).data().toString());
        QCOMPARE(logins, (QStringList{"a", "d", "e"}));
        QCOMPARE(model.index(1, 0).data(BKCountRole).toInt(), 3);

        const auto reloaded = std::make_shared<OTVRecord>(*records[3]);
        QCOMPARE(BKRowsOfRecords(records, {records[4], records[1]}), (QList<int>{1, 4}));
        QCOMPARE(BKRowsOfRecords(records, {records[4], reloaded}), (QList<int>{3, 4}));
        QCOMPARE(BKRowsOfRecords(records, {record("x", f.type)}), QList<int>{});
        QCOMPARE(BKRowsOfRecords(records, {}), QList<int>{});
        QCOMPARE(model.indexOfRecord(reloaded), model.index(1, 0, model.index(1, 0)));
        QCOMPARE(model.indexOfRecord(records[4]), model.index(2, 0, model.index(1, 0)));
        QVERIFY(!model.indexOfRecord(records[2]).isValid());   // no type, not shown
        QCOMPARE(model.recordAt(model.indexOfRecord(QStringLiteral("b"))), records[1]);
    }

    void typeNamesStopAtTheFirstTypeWithoutAName()
    {
        const auto named = [](const char* name) {
            auto type = OTVType::createType();
            type->setMTypeName(name ? QString::fromLatin1(name) : QString());
            return type;
        };
        QCOMPARE(BKTypeNamesOfTypes({named("Login"), named(""), named("Card")}), (QStringList{"Login", "", "Card"}));
        QCOMPARE(BKTypeNamesOfTypes({named("Login"), named(nullptr), named("Card")}), QStringList{"Login"});
        QCOMPARE(BKTypeNamesOfTypes({}), QStringList{});
    }

    void columnsCompareByTheirNumbers_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("numbers, not texts") << "2" << "10" << -1;
        QTest::newRow("equal") << "7" << "7" << 0;
        QTest::newRow("greater") << "14" << "3" << 1;
        QTest::newRow("no number counts 0") << "Notes" << "0" << 0;
    }
    void columnsCompareByTheirNumbers()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(BKColumnCompare(a, b), order);
        QCOMPARE(BKColumnCompare(b, a), -order);
    }

    void theAboutBoxShowsTheVersion()
    {
        QCOMPARE(BKAboutVersionText(QStringLiteral("Version %@"), QStringLiteral("0.1")), QStringLiteral("Version 0.1"));
        QCOMPARE(BKAboutVersionText(QStringLiteral("Version"), QStringLiteral("0.1")), QStringLiteral("Version"));
    }
};

QTEST_MAIN(RecordCellsTest)
#include "RecordCellsTest.moc"
