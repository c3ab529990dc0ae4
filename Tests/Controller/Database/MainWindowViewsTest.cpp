// The main window's record views over a vault loaded from the fixture's server: what each view
// lists for a group, a type and a search, the group pop-up, sorting by every list column,
// masking, the selection across a reload, and the records the commands and the export take.
#include "VaultSessionTest.h"
#include "ViewsTestVault.h"

#include "Controller/BKMainWindowViews.h"
#include "Controller/BKRecordCells.h"
#include "Model/OTVUID.h"
#include "Support/TemporarySettings.h"

#include <QAbstractItemModelTester>
#include <QAbstractButton>
#include <QButtonGroup>
#include <QHeaderView>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTableView>
#include <QTreeView>

namespace {

QStringList popupItems(const QComboBox* popup)
{
    QStringList items;
    for (int i = 0; i < popup->count(); ++i)
        items.append(QStringLiteral("%1=%2").arg(popup->itemText(i)).arg(popup->itemData(i).toInt()));
    return items;
}

QStringList column(const QAbstractItemModel* model, int column = 0, const QModelIndex& parent = {})
{
    QStringList values;
    for (int row = 0; row < model->rowCount(parent); ++row)
        values.append(model->index(row, column, parent).data().toString());
    return values;
}

// The tree as "Type: record, record | Type: ...".
QString outline(const QAbstractItemModel* model)
{
    QStringList types;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex type = model->index(row, 0);
        types.append(type.data().toString() + QStringLiteral(": ") + column(model, 0, type).join(QStringLiteral(", ")));
    }
    return types.join(QStringLiteral(" | "));
}

QStringList uids(const OTVRecordList& records)
{
    QStringList list;
    for (const auto& record : records)
        list.append(record->mRecordUID());
    return list;
}

} // namespace

class MainWindowViewsTest : public VaultSessionTest {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }

    void init()
    {
        QVERIFY(startVaultSession());
        views_ = std::make_unique<BKMainWindowViews>(*store_);
        views_->resize(1000, 600);
        for (QAbstractItemModel* model :
             std::initializer_list<QAbstractItemModel*>{views_->listModel(), views_->descriptionModel(),
                                                        views_->typesModel(), views_->smartModel(),
                                                        views_->outlineModel()})
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, views_.get());
        views_->selectGroupWithUID(vault_->groups["Banking"]->mGroupUID());
        views_->setShouldCreateDatabase(true);
    }

    void cleanup()
    {
        views_.reset();
        endVaultSession();
    }

    void listViewListsTheGroupsRecordsThatMatchTheSearch_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("whole group, by field 1") << "Banking" << "" << QStringList{"alpha bank", "Visa", "zeta portal"};
        QTest::newRow("search without regard to case") << "Banking" << "PORTAL" << QStringList{"zeta portal"};
        QTest::newRow("search in a masked field") << "Banking" << "secret" << QStringList{"alpha bank"};
        QTest::newRow("search in the shown date") << "Banking" << "March 05" << QStringList{"alpha bank"};
        QTest::newRow("search in the notes") << "Servers" << "rack" << QStringList{"db box"};
        QTest::newRow("other group") << "Servers" << "r" << QStringList{"db box", "Router"};
        QTest::newRow("no match") << "email" << "zzz" << QStringList{};
    }
    void listViewListsTheGroupsRecordsThatMatchTheSearch()
    {
        QFETCH(QString, group);
        QFETCH(QString, search);
        QFETCH(QStringList, listed);
        views_->changeView(BKMainWindowViews::kListViewTag);
        chooseGroup(group);
        views_->searchField()->setText(search);   // every keystroke filters
        QCOMPARE(column(views_->listModel(), kField1ColumnID), listed);
        QCOMPARE(ViewsTestVault::titles(views_->sortedItemsForListView()), listed);
    }

    void columnViewListsTheChosenTypesRecords_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("Banking, Login") << "Banking" << "" << QStringList{"Card", "Login"} << QList<int>{1, 2}
                                        << "Login" << QStringList{"alpha bank", "zeta portal"};
        QTest::newRow("Banking, Card") << "Banking" << "" << QStringList{"Card", "Login"} << QList<int>{1, 2} << "Card"
                                       << QStringList{"Visa"};
        QTest::newRow("search narrows the types") << "Banking" << "visa" << QStringList{"Card"} << QList<int>{1}
                                                  << "Card" << QStringList{"Visa"};
        QTest::newRow("Servers, Server") << "Servers" << "" << QStringList{"Login", "Server"} << QList<int>{1, 1}
                                         << "Server" << QStringList{"db box"};
        QTest::newRow("no type chosen") << "Servers" << "" << QStringList{"Login", "Server"} << QList<int>{1, 1} << ""
                                        << QStringList{};
    }
    void columnViewListsTheChosenTypesRecords()
    {
        QFETCH(QString, group);
        QFETCH(QString, search);
        QFETCH(QStringList, types);
        QFETCH(QList<int>, counts);
        QFETCH(QString, type);
        QFETCH(QStringList, records);
        views_->changeView(BKMainWindowViews::kColumnViewTag);
        chooseGroup(group);
        views_->searchField()->setText(search);
        QCOMPARE(column(views_->typesModel()), types);
        QList<int> shownCounts;
        for (int row = 0; row < views_->typesModel()->rowCount(); ++row)
            shownCounts.append(views_->typesModel()->index(row, 0).data(BKCountRole).toInt());
        QCOMPARE(shownCounts, counts);
        if (!type.isEmpty())
            views_->columnViewTypesTable()->selectRow(int(types.indexOf(type)));
        QCOMPARE(column(views_->descriptionModel()), records);
        QCOMPARE(views_->selectedType() ? views_->selectedType()->mTypeName() : QString(), type);
    }

    void treeViewListsTypesWithTheirRecords_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("tree");
        QTest::newRow("Banking") << "Banking" << "" << "Card: Visa | Login: alpha bank, zeta portal";
        QTest::newRow("Banking, search") << "Banking" << "a b" << "Login: alpha bank";
        QTest::newRow("Servers") << "Servers" << "" << "Login: Router | Server: db box";
        QTest::newRow("nothing matches") << "email" << "nothing" << "";
    }
    void treeViewListsTypesWithTheirRecords()
    {
        QFETCH(QString, group);
        QFETCH(QString, search);
        QFETCH(QString, tree);
        views_->changeView(BKMainWindowViews::kTreeViewTag);
        chooseGroup(group);
        views_->searchField()->setText(search);
        QCOMPARE(outline(views_->outlineModel()), tree);
        // Exactly the types expand; each shows the number of its records.
        for (int row = 0; row < views_->outlineModel()->rowCount(); ++row) {
            const QModelIndex type = views_->outlineModel()->index(row, 0);
            QVERIFY(views_->outlineModel()->hasChildren(type));
            QCOMPARE(type.data(BKCountRole).toInt(), views_->outlineModel()->rowCount(type));
            QVERIFY(!views_->outlineModel()->hasChildren(views_->outlineModel()->index(0, 0, type)));
        }
    }

    void smartListsListTheUsersRecentRecords()
    {
        store_->addRecentlyViewedRecord(vault_->records["Visa"]);
        store_->addRecentlyViewedRecord(vault_->records["Router"]);   // another group
        store_->addRecentlyModifiedRecord(vault_->records["alpha bank"]);
        views_->changeView(BKMainWindowViews::kColumnViewTag);
        QCOMPARE(column(views_->smartModel()), (QStringList{"Most Viewed", "Recently Modified", "Recently Viewed"}));
        QList<int> counts;
        for (int row = 0; row < 3; ++row)
            counts.append(views_->smartModel()->index(row, 0).data(BKCountRole).toInt());
        QCOMPARE(counts, (QList<int>{0, 1, 1}));

        views_->columnViewTypesTable()->selectRow(1);
        views_->smartTypesTable()->selectRow(2);
        // A smart list and a type are never chosen together.
        QVERIFY(!views_->columnViewTypesTable()->selectionModel()->hasSelection());
        QCOMPARE(column(views_->descriptionModel()), QStringList{"Visa"});
        QVERIFY(!views_->selectedSmartRecord());
        views_->columnViewDescriptionTable()->selectRow(0);
        QCOMPARE(views_->selectedSmartRecord(), vault_->records["Visa"]);
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow(), vault_->records["Visa"]);
        // Only a type's record has a type for the commands.
        QVERIFY(!views_->typeUIDForTableViewSelectedRow());
    }

    // A record the user chooses is a record viewed: it enters "Most Viewed" and "Recently
    // Viewed" once, and the column view counts it.
    void viewingARecordEntersTheSmartLists()
    {
        const QString visa = vault_->records["Visa"]->mRecordUID();
        views_->changeView(BKMainWindowViews::kListViewTag);
        views_->listViewTypesTable()->selectRow(1);
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow(), vault_->records["Visa"]);
        views_->listViewTypesTable()->selectRow(1);
        QCOMPARE(store_->recentlyViewedTypes(), QStringList{visa});
        QCOMPARE(store_->mostViewedRecordsUIDs(), QStringList{visa});
        QCOMPARE(store_->getViewCountofRecord(visa), 1);

        views_->changeView(BKMainWindowViews::kColumnViewTag);
        QList<int> counts;
        for (int row = 0; row < 3; ++row)
            counts.append(views_->smartModel()->index(row, 0).data(BKCountRole).toInt());
        QCOMPARE(counts, (QList<int>{1, 0, 1}));
    }

    void groupPopUpTitlesCountTheMatchingRecords()
    {
        // Sorted by name without regard to case; a count only where something matches. The
        // administrator's own personal group is among them.
        const QString personal = QStringLiteral("Personal-") + server_.admin.user;
        QCOMPARE(popupItems(views_->categoriesPopup()),
                 (QStringList{"Banking (3)=0", "email (1)=1", personal + "=2", "Servers (2)=3",
                              "Edit Groups...=-2"}));
        // Typing retitles the chosen group at once, the others when the pop-up opens.
        views_->searchField()->setText(QStringLiteral("bank"));
        QCOMPARE(views_->categoriesPopup()->currentText(), QStringLiteral("Banking (1)"));
        views_->categoriesPopup()->showPopup();
        views_->categoriesPopup()->hidePopup();
        QCOMPARE(popupItems(views_->categoriesPopup()),
                 (QStringList{"Banking (1)=0", "email=1", personal + "=2", "Servers=3", "Edit Groups...=-2"}));
        views_->searchField()->setText(QStringLiteral("account"));
        QCOMPARE(views_->categoriesPopup()->currentText(), QStringLiteral("Banking"));
        views_->updateGroupUIControl();
        QCOMPARE(popupItems(views_->categoriesPopup()),
                 (QStringList{"Banking=0", "email (1)=1", personal + "=2", "Servers=3", "Edit Groups...=-2"}));
        QCOMPARE(views_->selectedGroup(), vault_->groups["Banking"]);

        // A new group from another copy appears after the reload, the chosen group stays chosen.
        OTVDataBase other;
        QVERIFY(ViewsTestVault::open(other, server_, false));
        auto added = BKGroup::newGroup();
        added->setMGroupName(QStringLiteral("Archive"));
        added->setMUserMembersArray(QStringList{other.getCurrentUser()->mUserID()});
        added->setMSubGroupsUID(QStringList{});
        QCOMPARE(other.addGroup(added), int(kOTVStatusOK));
        QCOMPARE(store_->reloadDatabase(), int(kOTVStatusOK));
        views_->initGroupUIControl();
        views_->updateTables();
        QCOMPARE(views_->categoriesPopup()->itemText(0), QStringLiteral("Archive"));
        QCOMPARE(views_->selectedGroup()->mGroupUID(), vault_->groups["Banking"]->mGroupUID());
    }

    void editItemsRunTheirEditorAndKeepTheChoice()
    {
        QSignalSpy groups(views_.get(), &BKMainWindowViews::editGroupsRequested);
        QSignalSpy types(views_.get(), &BKMainWindowViews::editTypesRequested);
        BKPopUpButton* popup = views_->categoriesPopup();
        popup->setCurrentIndex(3);
        views_->changeCategory();
        emit popup->aboutToPopup();
        popup->setCurrentIndex(popup->count() - 1);
        emit popup->activated(popup->count() - 1);
        QCOMPARE(groups.count(), 1);
        QCOMPARE(popup->currentIndex(), 3);
        QCOMPARE(views_->selectedGroup(), vault_->groups["Servers"]);

        views_->changeView(BKMainWindowViews::kListViewTag);
        BKPopUpButton* typesPopup = views_->typesPopup();
        QCOMPARE(popupItems(typesPopup), (QStringList{"All Types=-1", "Edit Types...=-2"}));
        emit typesPopup->aboutToPopup();
        typesPopup->setCurrentIndex(1);
        emit typesPopup->activated(1);
        QCOMPARE(types.count(), 1);
        QCOMPARE(typesPopup->currentIndex(), 0);
        QVERIFY(!views_->selectedType());
        // Even left on the editor item the pop-up names no type.
        typesPopup->setCurrentIndex(1);
        QVERIFY(!views_->selectedType());
    }

    void withoutGroupsNothingIsListedAndAllGroupsAreStored()
    {
        // A vault with no group at all.
        for (const auto& group : store_->groupsForEditing())
            QCOMPARE(store_->deleteGroup(group), int(kOTVStatusOK));
        views_->initGroupUIControl();
        QCOMPARE(popupItems(views_->categoriesPopup()), (QStringList{"No Groups=-1", "Edit Groups...=-2"}));
        QVERIFY(!views_->selectedGroup());
        views_->changeCategory();
        QCOMPARE(store_->getCurrentUser()->mCurrentGroup(), kAllCategoriesUID);
        QCOMPARE(ViewsTestVault::storedPreference(server_, "CURRENTCATEGORY", store_->getCurrentUser()->mUserID()),
                 kAllCategoriesUID);
        QVERIFY(views_->groupFilterSelectedUID().isNull());
        QCOMPARE(views_->typesModel()->rowCount(), 0);
        views_->changeView(BKMainWindowViews::kTreeViewTag);
        QCOMPARE(views_->outlineModel()->rowCount(), 0);
    }

    void changingTheGroupStoresIt()
    {
        chooseGroup(QStringLiteral("Servers"));
        const QString uid = vault_->groups["Servers"]->mGroupUID();
        QCOMPARE(store_->getCurrentUser()->mCurrentGroup(), uid);
        QCOMPARE(ViewsTestVault::storedPreference(server_, "CURRENTCATEGORY", store_->getCurrentUser()->mUserID()), uid);
    }

    void nothingIsListedBeforeTheLoadNorWhileLocked()
    {
        views_->changeView(BKMainWindowViews::kColumnViewTag);
        QCOMPARE(views_->smartModel()->rowCount(), 3);
        QCOMPARE(views_->typesModel()->rowCount(), 2);
        for (const auto& [loaded, locked] : {std::pair{false, false}, {true, true}}) {
            views_->setShouldCreateDatabase(loaded);
            views_->setShouldLockInfoDisplay(locked);
            for (int tag : {BKMainWindowViews::kColumnViewTag, BKMainWindowViews::kListViewTag,
                            BKMainWindowViews::kTreeViewTag}) {
                views_->changeView(tag);
                QCOMPARE(views_->typesModel()->rowCount() + views_->smartModel()->rowCount() +
                             views_->descriptionModel()->rowCount() + views_->listModel()->rowCount() +
                             views_->outlineModel()->rowCount(),
                         0);
                QVERIFY(!views_->itemPropertiesForTableViewSelectedRow());
            }
        }
        views_->setShouldLockInfoDisplay(false);
        views_->changeView(BKMainWindowViews::kListViewTag);
        QCOMPARE(views_->listModel()->rowCount(), 3);
    }

    void switchingViewsSavesTheViewAndHidesTheTypePopUp()
    {
        QSignalSpy hidden(views_.get(), &BKMainWindowViews::typesViewVisibilityChanged);
        for (int tag : {2, 0, 1}) {
            views_->changeView(tag);
            QCOMPARE(views_->tabView()->currentIndex(), tag);
            QCOMPARE(views_->viewButtons()->checkedId(), tag);
            QCOMPARE(views_->tabView()->currentWidget()->objectName(),
                     (QStringList{"ColumnView", "ListView", "TreeView"}[tag]));
            QCOMPARE(store_->getCurrentUser()->mLastView(), tag);
            QCOMPARE(ViewsTestVault::storedPreference(server_, "LASTVIEW", store_->getCurrentUser()->mUserID()),
                     QString::number(tag));
            QVERIFY(views_->typesViewHidden());
        }
        QCOMPARE(hidden.count(), 3);
        // The view selector switches as well.
        views_->viewButtons()->button(2)->click();
        QCOMPARE(views_->currentView(), 2);
        QCOMPARE(views_->tabView()->currentIndex(), 2);
    }

    void sortingByEveryListColumn()
    {
        views_->changeView(BKMainWindowViews::kListViewTag);
        chooseGroup(QStringLiteral("Banking"));
        for (int col = 0; col < kRecordListColumns; ++col) {
            for (bool ascending : {true, false}) {
                views_->sortByColumn(col, ascending);
                const OTVRecordList expected =
                    store_->itemsOfGroup(vault_->groups["Banking"], nullptr, QString(), col, ascending);
                QCOMPARE(uids(views_->listModel()->records()), uids(expected));
                QCOMPARE(views_->sortDescriptors().first(), (SortSpec{QString::number(col), ascending}));
                QCOMPARE(*store_->getCurrentUser()->mSortingInfo(), (SortSpec{QString::number(col), ascending}));
            }
        }
        // By value 10's time: 2009, 2010, 2011; then the other way.
        views_->sortByColumn(kField10ColumnID, true);
        QCOMPARE(column(views_->listModel(), kField1ColumnID), (QStringList{"alpha bank", "Visa", "zeta portal"}));
        views_->sortByColumn((kField1ColumnID + 1), false);
        QCOMPARE(column(views_->listModel(), kField1ColumnID), (QStringList{"alpha bank", "Visa", "zeta portal"}));
        views_->sortByColumn((kField1ColumnID + 2), false);
        QCOMPARE(column(views_->listModel(), kField1ColumnID), (QStringList{"zeta portal", "Visa", "alpha bank"}));
    }

    void aHeaderClickSortsByThatColumn()
    {
        views_->changeView(BKMainWindowViews::kListViewTag);
        views_->show();
        QVERIFY(QTest::qWaitForWindowExposed(views_.get()));
        QHeaderView* header = views_->listViewTypesTable()->horizontalHeader();
        const auto click = [header](int section) {
            const QPoint centre(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                                header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
        };
        click((kField1ColumnID + 1));
        QCOMPARE(views_->sortDescriptors().first(), (SortSpec{"4", true}));
        QCOMPARE(column(views_->listModel(), kField1ColumnID), (QStringList{"zeta portal", "Visa", "alpha bank"}));
        click((kField1ColumnID + 1));
        QCOMPARE(views_->sortDescriptors().first(), (SortSpec{"4", false}));
        QCOMPARE(column(views_->listModel(), kField1ColumnID), (QStringList{"alpha bank", "Visa", "zeta portal"}));
        QCOMPARE(header->sortIndicatorSection(), (kField1ColumnID + 1));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    }

    void storedSortInformationOrdersTheDescriptors()
    {
        // Without stored information nothing is installed: Field 1 ascending.
        store_->getCurrentUser()->setMSortingInfo(std::nullopt);
        views_->changeView(BKMainWindowViews::kListViewTag);
        QVERIFY(views_->sortDescriptors().isEmpty());
        QCOMPARE(views_->listViewTypesTable()->horizontalHeader()->sortIndicatorSection(), -1);
        QCOMPARE(column(views_->listModel(), kField1ColumnID), (QStringList{"alpha bank", "Visa", "zeta portal"}));

        store_->getCurrentUser()->setMSortingInfo(SortSpec{"5", false});
        views_->initTableColumnSorting();
        QList<SortSpec> expected{{"5", false}};
        for (int col = 0; col < kRecordListColumns; ++col) {
            if (col != 5)
                expected.append(SortSpec{QString::number(col), true});
        }
        QCOMPARE(views_->sortDescriptors(), expected);
        views_->updateTables();
        QCOMPARE(column(views_->listModel(), kField1ColumnID), (QStringList{"zeta portal", "Visa", "alpha bank"}));
    }

    void theSelectionSurvivesAReload()
    {
        // Another copy adds a record that sorts first, so every row moves down by one.
        OTVDataBase other;
        QVERIFY(ViewsTestVault::open(other, server_, false));
        const auto addFirst = [&] {
            auto record = OTVRecord::createRecord();
            record->setMGroup(other.groupWithUID(vault_->groups["Banking"]->mGroupUID()));
            record->setMType(other.mTypes().value(vault_->types["Login"]->mTypeUID()));
            record->setValue(1, QStringLiteral("aaa first %1").arg(other.mRecords().size()));
            QCOMPARE(other.addRecord(record), int(kOTVStatusOK));
        };
        const auto reload = [&] {
            QCOMPARE(store_->reloadDatabase(), int(kOTVStatusOK));
            views_->updateTables();
        };

        views_->changeView(BKMainWindowViews::kListViewTag);
        QTableView* list = views_->listViewTypesTable();
        list->selectionModel()->select(views_->listModel()->index(2, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->setCurrentIndex(views_->listModel()->index(1, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow()->value(1), QStringLiteral("Visa"));
        addFirst();
        reload();
        QCOMPARE(views_->listModel()->rowCount(), 4);
        QCOMPARE(ViewsTestVault::titles(views_->indexSetForExporting(false)), (QStringList{"Visa", "zeta portal"}));
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow()->value(1), QStringLiteral("Visa"));
        // The list holds the reloaded objects, not the ones from before.
        QVERIFY(views_->itemPropertiesForTableViewSelectedRow() != vault_->records["Visa"]);

        views_->changeView(BKMainWindowViews::kColumnViewTag);
        views_->columnViewTypesTable()->selectRow(1);   // Login
        views_->columnViewDescriptionTable()->selectRow(2);
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow()->value(1), QStringLiteral("zeta portal"));
        addFirst();
        reload();
        QCOMPARE(views_->selectedType()->mTypeName(), QStringLiteral("Login"));
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow()->value(1), QStringLiteral("zeta portal"));

        views_->changeView(BKMainWindowViews::kTreeViewTag);
        QTreeView* tree = views_->treeViewOutlineView();
        const QModelIndex visa = views_->outlineModel()->indexOfRecord(vault_->records["Visa"]->mRecordUID());
        tree->selectionModel()->setCurrentIndex(visa, QItemSelectionModel::ClearAndSelect);
        tree->expand(visa.parent());
        addFirst();
        reload();
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow()->value(1), QStringLiteral("Visa"));
        QVERIFY(tree->isExpanded(tree->selectionModel()->currentIndex().parent()));
        // A selected record that is gone leaves nothing selected.
        QCOMPARE(other.deleteRecord(other.getRecordForUID(vault_->records["Visa"]->mRecordUID())), int(kOTVStatusOK));
        reload();
        QVERIFY(!views_->itemPropertiesForTableViewSelectedRow());
    }

    // An edit saved by this copy changes the record object the views hold: the rebuild shows the
    // new value in its new place, the record stays selected there, and the group's title counts
    // what the search finds.
    void anEditedRecordMovesToItsNewPlace_data()
    {
        QTest::addColumn<int>("view");
        QTest::newRow("list view") << int(BKMainWindowViews::kListViewTag);
        QTest::newRow("tree view") << int(BKMainWindowViews::kTreeViewTag);
    }
    void anEditedRecordMovesToItsNewPlace()
    {
        QFETCH(int, view);
        views_->changeView(view);
        const std::shared_ptr<OTVRecord> alpha = store_->getRecordForUID(vault_->records["alpha bank"]->mRecordUID());
        QTreeView* tree = views_->treeViewOutlineView();
        if (view == BKMainWindowViews::kListViewTag) {
            views_->listViewTypesTable()->selectRow(0);
        } else {
            QCOMPARE(outline(views_->outlineModel()), QStringLiteral("Card: Visa | Login: alpha bank, zeta portal"));
            tree->selectionModel()->setCurrentIndex(views_->outlineModel()->indexOfRecord(alpha->mRecordUID()),
                                                    QItemSelectionModel::ClearAndSelect);
        }
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow(), alpha);

        alpha->setValue(1, QStringLiteral("zz bank"));
        QCOMPARE(store_->replaceRecord(alpha), int(kOTVStatusOK));
        views_->updateTables();
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow(), alpha);
        if (view == BKMainWindowViews::kListViewTag) {
            QCOMPARE(column(views_->listModel(), kField1ColumnID), (QStringList{"Visa", "zeta portal", "zz bank"}));
            QCOMPARE(views_->listViewTypesTable()->selectionModel()->currentIndex().row(), 2);
        } else {
            QCOMPARE(outline(views_->outlineModel()), QStringLiteral("Card: Visa | Login: zeta portal, zz bank"));
            QCOMPARE(tree->selectionModel()->currentIndex().row(), 1);
            QVERIFY(tree->isExpanded(tree->selectionModel()->currentIndex().parent()));
        }
        QCOMPARE(views_->categoriesPopup()->currentText(), QStringLiteral("Banking (3)"));
        views_->searchField()->setText(QStringLiteral("BANK"));
        QCOMPARE(views_->categoriesPopup()->currentText(), QStringLiteral("Banking (1)"));
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow(), alpha);
        views_->searchField()->setText(QStringLiteral("portal"));
        QCOMPARE(views_->categoriesPopup()->currentText(), QStringLiteral("Banking (1)"));
        QVERIFY(!views_->itemPropertiesForTableViewSelectedRow());
        views_->searchField()->setText(QStringLiteral("nothing"));
        QCOMPARE(views_->categoriesPopup()->currentText(), QStringLiteral("Banking"));
    }

    void maskedFieldsShowMasked_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("unmasked");
        QTest::addColumn<QString>("masked");
        QTest::newRow("Login masks field 2") << "alpha bank" << 4 << "secret1" << "******";
        QTest::newRow("Login leaves field 1") << "alpha bank" << 3 << "alpha bank" << "alpha bank";
        QTest::newRow("an empty masked field") << "alpha bank" << 5 << "" << "";
        QTest::newRow("Card masks field 1") << "Visa" << 3 << "Visa" << "******";
        QTest::newRow("Card masks field 3") << "Visa" << 5 << "123" << "******";
        QTest::newRow("own type masks field 3") << "zeta portal" << 5 << "pin 9" << "******";
        QTest::newRow("own type leaves field 2") << "zeta portal" << 4 << "" << "";
        QTest::newRow("type column names the type") << "zeta portal" << 1 << "Login" << "Login";
        QTest::newRow("group column") << "Visa" << 2 << "Banking" << "Banking";
        QTest::newRow("date column") << "alpha bank" << 12 << "March 05,2009" << "March 05,2009";
    }
    void maskedFieldsShowMasked()
    {
        QFETCH(QString, record);
        QFETCH(int, column);
        QFETCH(QString, unmasked);
        QFETCH(QString, masked);
        views_->changeView(BKMainWindowViews::kListViewTag);
        const int row = views_->listModel()->rowOfRecord(vault_->records[record.toStdString()]->mRecordUID());
        const QModelIndex cell = views_->listModel()->index(row, column);
        QCOMPARE(cell.data().toString(), unmasked);
        views_->setShouldMask(true);
        QCOMPARE(cell.data().toString(), masked);
        // Printing never masks.
        QCOMPARE(views_->tableViewForPrinting(column, row).toString(), unmasked);
        views_->setShouldMask(false);
        QCOMPARE(cell.data().toString(), unmasked);
    }

    void recordTitlesAreMaskedLikeTheListsFirstField()
    {
        views_->setShouldMask(true);
        views_->changeView(BKMainWindowViews::kColumnViewTag);
        views_->columnViewTypesTable()->selectRow(0);   // Card
        QCOMPARE(column(views_->descriptionModel()), QStringList{"******"});
        views_->changeView(BKMainWindowViews::kTreeViewTag);
        QCOMPARE(outline(views_->outlineModel()), QStringLiteral("Card: ****** | Login: alpha bank, zeta portal"));
        views_->setShouldMask(false);
        QCOMPARE(outline(views_->outlineModel()), QStringLiteral("Card: Visa | Login: alpha bank, zeta portal"));
    }

    void printedCellsShowNotesAndTheRecordsGroup()
    {
        views_->changeView(BKMainWindowViews::kListViewTag);
        const int row = views_->listModel()->rowOfRecord(vault_->records["alpha bank"]->mRecordUID());
        QCOMPARE(views_->tableViewForPrinting(kNotesColumnID, row).toString(), QStringLiteral("branch code"));
        QCOMPARE(views_->tableViewForPrinting(kCategoryColumnID, row).toString(), QStringLiteral("Banking"));
        QVERIFY(!views_->tableViewForPrinting(kAttachmentColumnID, row).isValid());
        QVERIFY(!views_->tableViewForPrinting(kNotesColumnID, 99).isValid());
        QCOMPARE(views_->listModel()->index(row, kNotesColumnID).data(Qt::DecorationRole).isValid(), true);
        const int visa = views_->listModel()->rowOfRecord(vault_->records["Visa"]->mRecordUID());
        QCOMPARE(views_->listModel()->index(visa, kNotesColumnID).data(Qt::DecorationRole).isValid(), false);
    }

    void recordsForCommandsAndExport()
    {
        // Choosing records below makes them viewed: the modified list stays as seeded.
        store_->addRecentlyModifiedRecord(vault_->records["zeta portal"]);
        const auto titles = [this](bool whole) { return ViewsTestVault::titles(views_->indexSetForExporting(whole)); };
        const QStringList banking{"alpha bank", "Visa", "zeta portal"};

        // List view: everything listed, or the selected rows in index order.
        views_->changeView(BKMainWindowViews::kListViewTag);
        QCOMPARE(titles(false), QStringList{});
        QTableView* list = views_->listViewTypesTable();
        list->selectionModel()->setCurrentIndex(views_->listModel()->index(2, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->setCurrentIndex(views_->listModel()->index(0, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(titles(false), (QStringList{"alpha bank", "zeta portal"}));
        QCOMPARE(views_->itemPropertiesForTableViewSelectedRow()->value(1), QStringLiteral("alpha bank"));
        QCOMPARE(titles(true), banking);

        // Column view with a type: the whole group, every type; or the chosen record.
        views_->changeView(BKMainWindowViews::kColumnViewTag);
        views_->columnViewTypesTable()->selectRow(0);   // Card
        QCOMPARE(titles(false), QStringList{});
        views_->columnViewDescriptionTable()->selectRow(0);
        QCOMPARE(titles(false), QStringList{"Visa"});
        QCOMPARE(views_->typeUIDForTableViewSelectedRow(), vault_->types["Card"]);
        QCOMPARE(titles(true), banking);

        // Column view with a smart list: the smart list's records, or its chosen one.
        views_->smartTypesTable()->selectRow(1);
        QCOMPARE(titles(false), QStringList{});
        QCOMPARE(titles(true), QStringList{"zeta portal"});
        views_->columnViewDescriptionTable()->selectRow(0);
        QCOMPARE(titles(false), QStringList{"zeta portal"});

        // Tree view: every record of the group, or the chosen record (a type gives none).
        views_->changeView(BKMainWindowViews::kTreeViewTag);
        QStringList whole = titles(true);
        whole.sort(Qt::CaseInsensitive);
        QCOMPARE(whole, banking);
        QTreeView* tree = views_->treeViewOutlineView();
        tree->selectionModel()->setCurrentIndex(views_->outlineModel()->index(1, 0), QItemSelectionModel::ClearAndSelect);
        QCOMPARE(titles(false), QStringList{});
        QCOMPARE(views_->selectedType(), vault_->types["Login"]);
        tree->selectionModel()->setCurrentIndex(views_->outlineModel()->index(1, 0, views_->outlineModel()->index(1, 0)),
                                                QItemSelectionModel::ClearAndSelect);
        QCOMPARE(titles(false), QStringList{"zeta portal"});
        QCOMPARE(views_->selectedType(), vault_->types["Login"]);

        // Nothing matches: nothing to take.
        views_->searchField()->setText(QStringLiteral("no such text"));
        for (int tag : {0, 1, 2}) {
            views_->changeView(tag);
            QCOMPARE(titles(true), QStringList{});
            QCOMPARE(titles(false), QStringList{});
        }
    }

    void theDetailsPaneFollowsTheSelection()
    {
        QSignalSpy shown(views_.get(), &BKMainWindowViews::selectedRecordChanged);
        views_->changeView(BKMainWindowViews::kListViewTag);
        views_->listViewTypesTable()->selectRow(1);
        QVERIFY(!shown.isEmpty());
        QCOMPARE(shown.last().first().value<std::shared_ptr<OTVRecord>>(), vault_->records["Visa"]);
        views_->listViewTypesTable()->clearSelection();
        QVERIFY(!shown.last().first().value<std::shared_ptr<OTVRecord>>());
    }

private:
    void chooseGroup(const QString& name)
    {
        const OTVGroupList groups = store_->groupsForEditing();
        for (int i = 0; i < groups.size(); ++i) {
            if (groups[i]->mGroupName() == name) {
                views_->categoriesPopup()->setCurrentIndex(i);
                views_->changeCategory();
                return;
            }
        }
        QFAIL("no such group");
    }

    std::unique_ptr<BKMainWindowViews> views_;
};

QTEST_MAIN(MainWindowViewsTest)
#include "MainWindowViewsTest.moc"
