// The main menu's command enabling, the record context menu and its moves, and the counting of
// viewed records, against a real server.
#include "../ControllerTestSupport.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Controller/BKMainWindowViews.h"
#include "Controller/BKMenuTable.h"
#include "Customization/BKTableView.h"
#include "Support/TemporarySettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QTreeView>

class MenusAndContextMenuTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }

    void init()
    {
        QVERIFY(ViewsTestVault::startSession(server_, settings_, store_, vault_));
        store_->getCurrentUser()->setMCurrentGroup(vault_->groups["Banking"]->mGroupUID());
        store_->getCurrentUser()->setMRecordPermissionsBit(7);
        QCOMPARE(store_->saveCurrentGroupForUser(*store_->getCurrentUser()), int(kOTVStatusOK));
        controller_ = std::make_unique<BKController>(*store_);
        alerts_ = std::make_unique<RecordingAlertPresenter>();
        controller_->updateApplicationViews();
        controller_->mainWindow()->show();
        views_ = controller_->mainWindowViews();
        QGuiApplication::clipboard()->clear();
    }

    void cleanup()
    {
        alerts_.reset();
        controller_.reset();
        vault_.reset();
        store_.reset();
        settings_.reset();
    }

    void commandsFollowTheViewTheSelectionAndTheClipboard_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QList<int>>("enabled");
        QTest::addColumn<QList<int>>("disabled");
        const QList<int> single{kBKEditRecordMenuTag,  kBKDuplicateRecordMenuTag, kBKCustomizeMenuTag,
                                kBKPrintRecordMenuTag, kBKAttachmentMenuTag,      kBKDeleteRecordMenuTag,
                                kBKCopyMenuTag,        kBKCopyGroupMenuTag,       kBKCopyField1MenuTag};
        QTest::newRow("list, nothing selected")
            << 1 << QStringList{} << "" << QList<int>{kBKSelectAllMenuTag, kBKColumnViewMenuTag, kBKTreeViewMenuTag}
            << (single + QList<int>{kBKListViewMenuTag, kBKPasteMenuTag, kBKCutMenuTag, kBKCopyNotesMenuTag});
        QTest::newRow("list, one record")
            << 1 << QStringList{"alpha bank"} << "" << (single + QList<int>{kBKCopyNotesMenuTag})
            << QList<int>{kBKWebLoginMenuTag, kBKPasteMenuTag, kBKCopyField1MenuTag + 2};
        QTest::newRow("list, three records")
            << 1 << QStringList{"alpha bank", "Visa", "zeta portal"} << ""
            << QList<int>{kBKCutMenuTag, kBKCopyMenuTag, kBKDeleteRecordMenuTag}
            << QList<int>{kBKEditRecordMenuTag, kBKDuplicateRecordMenuTag, kBKCustomizeMenuTag, kBKPrintRecordMenuTag,
                          kBKAttachmentMenuTag, kBKWebLoginMenuTag};
        QTest::newRow("column, one record, vRX 3.0 text")
            << 0 << QStringList{"Visa"} << "Ostrevin vRX File -v3.0\tdata" << (single + QList<int>{kBKPasteMenuTag})
            << QList<int>{kBKSelectAllMenuTag, kBKColumnViewMenuTag, kBKCopyNotesMenuTag};
        QTest::newRow("column, vRX 4.0 text offers no paste")
            << 0 << QStringList{} << "Ostrevin vRX File -v4.0\tdata" << QList<int>{kBKListViewMenuTag}
            << (single + QList<int>{kBKPasteMenuTag});
        QTest::newRow("tree, type row") << 2 << QStringList{"<type>"} << "" << QList<int>{kBKCopyMenuTag}
                                        << QList<int>{kBKEditRecordMenuTag, kBKDeleteRecordMenuTag,
                                                      kBKDuplicateRecordMenuTag, kBKAttachmentMenuTag};
        QTest::newRow("tree, record row") << 2 << QStringList{"Visa"} << "" << single << QList<int>{kBKTreeViewMenuTag};
    }
    void commandsFollowTheViewTheSelectionAndTheClipboard()
    {
        QFETCH(int, view);
        QFETCH(QStringList, selected);
        QFETCH(QString, clipboard);
        QFETCH(QList<int>, enabled);
        QFETCH(QList<int>, disabled);
        QGuiApplication::clipboard()->setText(clipboard);
        controller_->changeView(view);
        select(view, selected);
        controller_->refreshCommandStates();
        for (int tag : enabled)
            QVERIFY2(controller_->menuAction(tag)->isEnabled(), qPrintable(QString::number(tag)));
        for (int tag : disabled)
            QVERIFY2(!controller_->menuAction(tag)->isEnabled(), qPrintable(QString::number(tag)));
    }

    void theCopyItemsAreTitledFromTheSelectedRecord()
    {
        controller_->changeView(BKMainWindowViews::kListViewTag);
        controller_->refreshCommandStates();
        QCOMPARE(controller_->menuAction(kBKCopyField1MenuTag)->text(), QStringLiteral("Field 1"));
        select(1, {"zeta portal"});
        controller_->refreshCommandStates();
        QCOMPARE(controller_->menuAction(kBKCopyGroupMenuTag)->text(), QStringLiteral("Copy Group"));
        // Field 2 is empty: no Copy, and the plain label.
        QCOMPARE(controller_->menuAction(kBKCopyField1MenuTag + 1)->text(), QStringLiteral("Field 2"));
        QVERIFY(!controller_->menuAction(kBKCopyField1MenuTag + 1)->isEnabled());
        QVERIFY(controller_->menuAction(kBKCopyField1MenuTag)->text().startsWith(QStringLiteral("Copy ")));
    }

    void onlyHelpWhileThePrintPanelIsUpAndNothingWithTheWindowHidden()
    {
        controller_->changeView(BKMainWindowViews::kListViewTag);
        select(1, {"Visa"});
        QVERIFY(controller_->isCommandEnabled(kBKEditRecordMenuTag));
        controller_->mainWindow()->hide();
        QVERIFY(!controller_->isCommandEnabled(kBKEditRecordMenuTag));
        QVERIFY(!controller_->isCommandEnabled(kBKHelpMenuTag));
    }

    void theContextMenuTicksTheRecordsTypeAndGroup()
    {
        controller_->changeView(BKMainWindowViews::kListViewTag);
        auto* list = views_->listViewTypesTable();
        QVERIFY(!controller_->extendMenuForEvent(list, QPoint(5, list->viewport()->height() - 2)));
        const int alpha = rowOf("alpha bank");
        QMenu* menu = controller_->extendMenuForEvent(list, list->visualRect(list->model()->index(alpha, 1)).center());
        QVERIFY(menu);
        QCOMPARE(checked(kBKContextTypeTag), QStringList{"Login"});
        QCOMPARE(checked(kBKContextGroupTag), QStringList{"Banking"});
        // The list extends its selection: Login and Card share no name, so no type is ticked.
        const int visa = rowOf("Visa");
        controller_->extendMenuForEvent(list, list->visualRect(list->model()->index(visa, 1)).center());
        QCOMPARE(list->selectionModel()->selectedRows().size(), 2);
        QCOMPARE(checked(kBKContextTypeTag), QStringList{});
    }

    // The context menu's order, with its one separator after Customize Fields; Add Attachment
    // only for a single record, as in the Item menu.
    void theContextMenuOffersTheAttachmentForOneRecordOnly_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<bool>("offered");
        QTest::newRow("one record") << QStringList{"Visa"} << true;
        QTest::newRow("three records") << QStringList{"alpha bank", "Visa", "zeta portal"} << false;
        QTest::newRow("none") << QStringList{} << false;
    }
    void theContextMenuOffersTheAttachmentForOneRecordOnly()
    {
        QFETCH(QStringList, selected);
        QFETCH(bool, offered);
        controller_->changeView(BKMainWindowViews::kListViewTag);
        select(1, selected);
        QMenu* menu = controller_->itemContextualMenu();
        controller_->refreshCommandStates();
        QStringList titles;
        for (QAction* action : menu->actions())
            titles.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(titles, (QStringList{"Edit Item", "Type", "Group", "Customize Fields", "-", "Delete", "Duplicate",
                                      "Export/Email vRX", "Print...", "AutoFill", "Add Attachment"}));
        QAction* attachment = menu->actions().last();
        QCOMPARE(attachment->isEnabled(), offered);
        QCOMPARE(attachment->isEnabled(), controller_->menuAction(kBKAttachmentMenuTag)->isEnabled());
    }

    // A right click on a row outside a multiple selection adds the row to it.
    void aRightClickAddsTheRowToTheSelection()
    {
        controller_->changeView(BKMainWindowViews::kListViewTag);
        QApplication::setActiveWindow(controller_->mainWindow());
        QVERIFY(QTest::qWaitForWindowActive(controller_->mainWindow()));
        select(1, {"alpha bank", "Visa"});
        auto* list = views_->listViewTypesTable();
        QMenu* menu = controller_->itemContextualMenu();
        bool menuShown = false;
        whenVisible(menu, [&] {
            menuShown = true;
            menu->close();
        });
        const QPoint row = list->visualRect(list->model()->index(rowOf("zeta portal"), 1)).center();
        // What the platform sends for a right click: the press, then the context menu event.
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, row);
        QContextMenuEvent request(QContextMenuEvent::Mouse, row, list->viewport()->mapToGlobal(row));
        QApplication::sendEvent(list->viewport(), &request);
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, row);
        QTRY_VERIFY(menuShown);
        QStringList selected;
        for (const QModelIndex& index : list->selectionModel()->selectedRows())
            selected.append(views_->listModel()->record(index.row())->value(1));
        selected.sort();
        QCOMPARE(selected, (QStringList{"Visa", "alpha bank", "zeta portal"}));
    }

    // Every command of the menu table is offered from the moment the window shows (at login,
    // after the lock hid it), so that its shortcut works before any menu has been opened.
    void theShortcutsWorkFromTheFirstMoment()
    {
        QMainWindow* window = controller_->mainWindow();
        window->hide();
        controller_->refreshCommandStates();
        QVERIFY(!controller_->menuAction(kBKLockMenuTag)->isEnabled());
        window->show();
        for (const BKMenuEntry& entry : BKMainMenuTable()) {
            QVERIFY2(controller_->menuAction(entry.tag)->isEnabled() ==
                         (entry.action && controller_->isCommandEnabled(entry.tag)),
                     qPrintable(QString::number(entry.tag)));
        }
        QVERIFY(controller_->menuAction(kBKLockMenuTag)->isEnabled());
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        const bool inList = views_->currentView() == BKMainWindowViews::kListViewTag;
        QTest::keyClick(window, inList ? Qt::Key_3 : Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(views_->currentView(),
                 int(inList ? BKMainWindowViews::kTreeViewTag : BKMainWindowViews::kListViewTag));
    }

    void aMoveStoresTheRecordAndARefusedOneChangesNothing()
    {
        controller_->changeView(BKMainWindowViews::kListViewTag);
        select(1, {"alpha bank", "Visa"});
        const QString alphaUID = vault_->records["alpha bank"]->mRecordUID();
        const QString visaUID = vault_->records["Visa"]->mRecordUID();
        // Another client removed Visa: its move is refused, alpha bank's still goes through.
        server_.execAsRoot(QStringLiteral("DELETE FROM vivododadi.RECORDTABLE WHERE RECORDID='%1'").arg(visaUID));
        controller_->contextCategoryMenuChanged(vault_->groups["Servers"]->mGroupUID());
        QCOMPARE(alertLines(*alerts_),
                 QStringList{"Ostrevin Darovazivu Alert! | Operation failed. Please reload the database first. | OK"});
        QCOMPARE(store_->getRecordForUID(alphaUID)->mGroup()->mGroupName(), QStringLiteral("Servers"));
        QCOMPARE(store_->getRecordForUID(visaUID)->mGroup()->mGroupName(), QStringLiteral("Banking"));
        QCOMPARE(rootValue(QStringLiteral("SELECT GROUPUID FROM vivododadi.RECORDTABLE WHERE RECORDID='%1'").arg(alphaUID)),
                 vault_->groups["Servers"]->mGroupUID());
        QCOMPARE(ViewsTestVault::titles(views_->sortedItemsForListView()), (QStringList{"Visa", "zeta portal"}));
    }

    void aMoveToAnotherTypeDropsTheCustomLabels()
    {
        controller_->changeView(BKMainWindowViews::kListViewTag);
        select(1, {"zeta portal"});
        const QString uid = vault_->records["zeta portal"]->mRecordUID();
        controller_->contextTypeMenuChanged(vault_->types["Server"]->mTypeUID());
        QVERIFY(alerts_->alerts.isEmpty());
        const std::shared_ptr<OTVRecord> moved = store_->getRecordForUID(uid);
        QCOMPARE(moved->mType()->mTypeName(), QStringLiteral("Server"));
        QVERIFY(!moved->mIsCustomized());
        QVERIFY(!moved->mRecordCustomType());
        QCOMPARE(rootValue(QStringLiteral("SELECT TYPEUID FROM vivododadi.RECORDTABLE WHERE RECORDID='%1'").arg(uid)),
                 vault_->types["Server"]->mTypeUID());
        // Onto the type it has: no write at all.
        const int before = alerts_->alerts.size();
        QVERIFY(controller_->dropRecordsOnType({uid}, vault_->types["Server"]));
        QCOMPARE(alerts_->alerts.size(), before);
    }

    void droppingRecordsMovesThemToTheTypeOrGroup()
    {
        const QString a = vault_->records["Router"]->mRecordUID();
        const QString b = vault_->records["db box"]->mRecordUID();
        QVERIFY(controller_->dropRecordsOnType({a, b}, vault_->types["Card"]));
        QCOMPARE(store_->getRecordForUID(b)->mType()->mTypeName(), QStringLiteral("Card"));
        QVERIFY(controller_->dropRecordsOnGroup({a}, vault_->groups["email"]));
        QCOMPARE(rootValue(QStringLiteral("SELECT GROUPUID FROM vivododadi.RECORDTABLE WHERE RECORDID='%1'").arg(a)),
                 vault_->groups["email"]->mGroupUID());
    }

    void dropsLandOnATypeRowOnly()
    {
        controller_->changeView(BKMainWindowViews::kListViewTag);
        select(1, {"alpha bank", "Visa"});
        auto* list = views_->listViewTypesTable();
        std::unique_ptr<QMimeData> dragged(list->model()->mimeData(list->selectionModel()->selectedIndexes()));
        QVERIFY(dragged);
        QCOMPARE(BKRecordUIDsFromMimeData(dragged.get()).size(), 2);

        controller_->changeView(BKMainWindowViews::kColumnViewTag);
        BKTypesTableModel* types = views_->typesModel();
        const int server = int(types->types().indexOf(vault_->types["Card"]));
        QVERIFY(server >= 0);
        const auto drop = Qt::CopyAction;
        // Between rows, past the end and without a row: refused.
        QVERIFY(!types->canDropMimeData(dragged.get(), drop, 0, 0, QModelIndex()));
        QVERIFY(!types->canDropMimeData(dragged.get(), drop, types->rowCount(), 0, QModelIndex()));
        QVERIFY(!types->canDropMimeData(dragged.get(), drop, -1, 0, QModelIndex()));
        // The record table is a source, never a target.
        QVERIFY(!(views_->descriptionModel()->flags(views_->descriptionModel()->index(0, 0)) & Qt::ItemIsDropEnabled));
        QVERIFY(types->dropMimeData(dragged.get(), drop, -1, 0, types->index(server, 0)));
        QCoreApplication::processEvents();
        QCOMPARE(store_->getRecordForUID(vault_->records["alpha bank"]->mRecordUID())->mType()->mTypeName(),
                 QStringLiteral("Card"));
        QCOMPARE(rootValue(QStringLiteral("SELECT COUNT(*) FROM vivododadi.RECORDTABLE WHERE TYPEUID='%1'")
                               .arg(vault_->types["Card"]->mTypeUID())),
                 QStringLiteral("2"));

        // The tree takes drops on a type only, not between rows nor onto a record.
        controller_->changeView(BKMainWindowViews::kTreeViewTag);
        BKRecordOutlineModel* outline = views_->outlineModel();
        const QModelIndex type = outline->index(0, 0);
        QVERIFY(outline->canDropMimeData(dragged.get(), drop, -1, 0, type));
        QVERIFY(!outline->canDropMimeData(dragged.get(), drop, 0, 0, type));
        QVERIFY(!outline->canDropMimeData(dragged.get(), drop, -1, 0, outline->index(0, 0, type)));
        QVERIFY(!outline->canDropMimeData(dragged.get(), drop, 0, 0, QModelIndex()));
        std::unique_ptr<QMimeData> one(outline->mimeData({outline->index(0, 0, type)}));
        QCOMPARE(BKRecordUIDsFromMimeData(one.get()).size(), 1);
        QVERIFY(!outline->mimeData({type}));
    }

    void eachSelectionCountsOneViewAndLogsIt()
    {
        controller_->changeView(BKMainWindowViews::kListViewTag);
        const QString uid = vault_->records["Visa"]->mRecordUID();
        const auto stored = [&] {
            return rootValue(QStringLiteral("SELECT VIEWCOUNT FROM vivododadi.RECORDTABLE WHERE RECORDID='%1'").arg(uid));
        };
        const QString start = stored();
        select(1, {"Visa"});
        QCOMPARE(stored().toInt(), start.toInt() + 1);
        select(1, {"alpha bank"});
        select(1, {"Visa"});
        QCOMPARE(stored().toInt(), start.toInt() + 2);
        // Left and chosen again: another view.
        select(1, {});
        select(1, {"Visa"});
        QCOMPARE(stored().toInt(), start.toInt() + 3);
        QVERIFY(store_->mostViewedRecordsUIDs().contains(uid));
        QCOMPARE(rootValue(QStringLiteral("SELECT COUNT(*) FROM vivododadi.EVENTLOGGERTABLE WHERE NAME='View Record'"))
                     .toInt(),
                 4);
    }

private:
    int rowOf(const QString& title) const
    {
        return int(ViewsTestVault::titles(views_->sortedItemsForListView()).indexOf(title));
    }

    // Selects the records of those titles in `view` ("<type>": the first type row of the tree).
    void select(int view, const QStringList& titles)
    {
        if (view == BKMainWindowViews::kListViewTag) {
            auto* selection = views_->listViewTypesTable()->selectionModel();
            selection->clearSelection();
            for (const QString& title : titles)
                selection->select(views_->listViewTypesTable()->model()->index(rowOf(title), 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
            return;
        }
        if (view == BKMainWindowViews::kColumnViewTag) {
            if (titles.isEmpty())
                return;
            const std::shared_ptr<OTVRecord> record = vault_->records[titles.first().toStdString()];
            const QList<std::shared_ptr<OTVType>> types = views_->typesModel()->types();
            views_->columnViewTypesTable()->selectRow(int(types.indexOf(record->mType())));
            views_->columnViewDescriptionTable()->selectRow(0);
            return;
        }
        QTreeView* tree = views_->treeViewOutlineView();
        QAbstractItemModel* model = tree->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex type = model->index(row, 0);
            if (titles == QStringList{"<type>"}) {
                tree->selectionModel()->setCurrentIndex(type, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                return;
            }
            for (int child = 0; child < model->rowCount(type); ++child) {
                const QModelIndex index = model->index(child, 0, type);
                const auto record = views_->outlineModel()->recordAt(index);
                if (record && titles.contains(record->value(1))) {
                    tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect
                                                                       | QItemSelectionModel::Rows);
                    return;
                }
            }
        }
    }

    QStringList checked(int tag) const
    {
        QMenu* menu = controller_->itemContextualMenu();
        QStringList names;
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() != tag || !action->menu())
                continue;
            for (QAction* item : action->menu()->actions())
                if (item->isChecked())
                    names.append(item->text());
        }
        return names;
    }

    QString rootValue(const QString& query) const { return ViewsTestVault::rootValue(server_, query); }

    TestServer server_;
    std::unique_ptr<TemporarySettings> settings_;
    std::unique_ptr<OTVDataBase> store_;
    std::unique_ptr<ViewsTestVault> vault_;
    std::unique_ptr<BKController> controller_;
    std::unique_ptr<RecordingAlertPresenter> alerts_;
    BKMainWindowViews* views_ = nullptr;
};

QTEST_MAIN(MenusAndContextMenuTest)
#include "MenusAndContextMenuTest.moc"
