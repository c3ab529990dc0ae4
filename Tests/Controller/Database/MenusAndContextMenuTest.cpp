// The main menu's command enabling, the record buttons under the views (enabled by the same
// rules), the record context menu and its moves, the counting of viewed records, and the
// windows and commands of the menus beside the record commands (the event-log window, the About
// box, Page Setup and Close), against a real server.
#include "../ControllerTestSupport.h"
#include "VaultSessionTest.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Controller/BKEventLoggerWindowController.h"
#include "Controller/BKMainWindowViews.h"
#include "Controller/BKMenuTable.h"
#include "Controller/BKRecordButtons.h"
#include "Controller/BKTypeSettingsPanel.h"
#include "Customization/BKDetailsView.h"
#include "Customization/BKImageView.h"
#include "Customization/BKTableView.h"
#include "Model/BKEventLogTableModel.h"
#include "Model/OTVUID.h"
#include "Support/TemporarySettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

class MenusAndContextMenuTest : public VaultSessionTest {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }

    void init()
    {
        QVERIFY(startVaultSession());
        store_->getCurrentUser()->setMCurrentGroup(vault_->groups["Banking"]->mGroupUID());
        store_->getCurrentUser()->setMRecordPermissionsBit(7);
        QCOMPARE(store_->saveCurrentGroupForUser(*store_->getCurrentUser()), int(kOTVStatusOK));
        newController();
        controller_->updateApplicationViews();
        controller_->mainWindow()->show();
        views_ = controller_->mainWindowViews();
        QGuiApplication::clipboard()->clear();
    }

    void cleanup()
    {
        endVaultSession();
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
            << QList<int>{kBKCopyMenuTag, kBKDeleteRecordMenuTag}
            << QList<int>{kBKEditRecordMenuTag, kBKDuplicateRecordMenuTag, kBKCustomizeMenuTag, kBKPrintRecordMenuTag,
                          kBKAttachmentMenuTag, kBKWebLoginMenuTag, kBKCutMenuTag};
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

    // One table of view x selection x record type: which record buttons are enabled. A record
    // of the web-login type joins the vault for the AutoFill button.
    void recordButtonsFollowTheViewTheSelectionAndTheType_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("enabled");
        const QStringList record{"add", "edit", "delete", "duplicate", "print", "attachment"};
        QTest::newRow("column, nothing") << 0 << QStringList{} << QStringList{"add"};
        QTest::newRow("column, a card") << 0 << QStringList{"Visa"} << record;
        QTest::newRow("column, a web login") << 0 << QStringList{"shop login"} << (record + QStringList{"autofill"});
        QTest::newRow("list, nothing") << 1 << QStringList{} << QStringList{"add"};
        QTest::newRow("list, a card") << 1 << QStringList{"Visa"} << record;
        QTest::newRow("list, a web login") << 1 << QStringList{"shop login"} << (record + QStringList{"autofill"});
        QTest::newRow("list, three records")
            << 1 << QStringList{"alpha bank", "Visa", "shop login"} << QStringList{"add", "delete"};
        QTest::newRow("tree, a type row") << 2 << QStringList{"<type>"} << QStringList{"add"};
        QTest::newRow("tree, a card") << 2 << QStringList{"Visa"} << record;
        QTest::newRow("tree, a web login") << 2 << QStringList{"shop login"} << (record + QStringList{"autofill"});
    }
    void recordButtonsFollowTheViewTheSelectionAndTheType()
    {
        QFETCH(int, view);
        QFETCH(QStringList, selected);
        QFETCH(QStringList, enabled);
        addWebLoginRecord();
        controller_->changeView(view);
        select(view, selected);
        controller_->refreshCommandStates();

        BKRecordButtons* bar = controller_->recordButtons();
        QVERIFY(bar);
        // The bar stands in the page of the view shown, with that view's Duplicate and toggle.
        QCOMPARE(bar->parentWidget(), views_->tabView()->widget(view));
        QVERIFY(bar->isVisible());
        for (int other = 0; other < 3; ++other) {
            QCOMPARE(bar->duplicateButton(other)->isVisible(), other == view);
            QCOMPARE(bar->toggleInfoButton(other)->isVisible(), other == view);
        }
        const QList<std::pair<QString, QToolButton*>> buttons{
            {"add", bar->addButton()},           {"edit", bar->editButton()},
            {"delete", bar->deleteButton()},     {"duplicate", bar->duplicateButton(view)},
            {"print", bar->printRecordButton()}, {"attachment", bar->attachmentButton()},
            {"autofill", bar->autoFillButton()}};
        QStringList shown;
        for (const auto& [name, button] : buttons)
            if (button->isEnabled())
                shown.append(name);
        QCOMPARE(shown, enabled);
        QVERIFY(bar->toggleInfoButton(view)->isEnabled());
    }

    void recordButtonsRunTheirCommands()
    {
        QList<int> operations;
        controller_->setDetailsWindowRunner([&](const std::shared_ptr<OTVRecord>&, int* operation,
                                                const BKDetailsAnswerWriter&) {
            operations.append(*operation);
            return std::shared_ptr<OTVRecord>();
        });
        controller_->changeView(BKMainWindowViews::kListViewTag);
        select(1, {"Visa"});
        BKRecordButtons* bar = controller_->recordButtons();
        bar->addButton()->click();
        bar->editButton()->click();
        bar->duplicateButton(BKMainWindowViews::kListViewTag)->click();
        QCOMPARE(operations, (QList<int>{0, 1, 2}));

        // The toggles of all three views follow the pane, and so does the View menu's title.
        QVERIFY(controller_->isDetailsPaneShown());
        bar->toggleInfoButton(BKMainWindowViews::kListViewTag)->click();
        QVERIFY(!controller_->isDetailsPaneShown());
        for (int view = 0; view < 3; ++view)
            QVERIFY(!bar->toggleInfoButton(view)->isChecked());
        QCOMPARE(controller_->menuAction(kBKDetailsMenuTag)->text(), QStringLiteral("Show Details"));
        controller_->changeView(BKMainWindowViews::kTreeViewTag);
        bar->toggleInfoButton(BKMainWindowViews::kTreeViewTag)->click();
        QVERIFY(controller_->isDetailsPaneShown());
        QVERIFY(bar->toggleInfoButton(BKMainWindowViews::kColumnViewTag)->isChecked());

        // A record with an attachment: the Attachment button offers its removal.
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("note.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("attached");
        file.close();
        controller_->addAttachmentFromFile(vault_->records["Visa"], path);
        controller_->changeView(BKMainWindowViews::kListViewTag);
        select(1, {"Visa"});
        controller_->refreshCommandStates();
        QCOMPARE(bar->attachmentButton()->toolTip(), QStringLiteral("Delete Attachment"));
        select(1, {"alpha bank"});
        controller_->refreshCommandStates();
        QCOMPARE(bar->attachmentButton()->toolTip(), QStringLiteral("Add Attachment"));
    }

    // The column view's type add button does what New Type does: the type panel, then the new
    // type in the store. The other views have no such button.
    void theTypeAddButtonAddsAType()
    {
        controller_->changeView(BKMainWindowViews::kColumnViewTag);
        controller_->refreshCommandStates();
        BKRecordButtons* bar = controller_->recordButtons();
        QToolButton* typeAdd = bar->typeAddButton();
        QVERIFY(typeAdd->isVisible());
        QVERIFY(typeAdd->isEnabled());
        BKTypeSettingsPanel& panel = controller_->typeSettingsPanel();
        bool panelShown = false;
        whenVisible(&panel, [&panel, &panelShown] {
            panelShown = true;
            panel.nameField()->setText(QStringLiteral("Wifi"));
            panel.customSettingsOK();
        });
        typeAdd->click();
        QVERIFY(panelShown);
        QStringList names;
        for (const std::shared_ptr<OTVType>& type : store_->typesForEditing())
            names.append(type->mTypeName());
        QVERIFY2(names.contains(QStringLiteral("Wifi")), qPrintable(names.join(", ")));
        QCOMPARE(rootValue("SELECT COUNT(*) FROM vivododadi.TYPETABLE"), QString::number(names.size()));

        for (int view : {BKMainWindowViews::kListViewTag, BKMainWindowViews::kTreeViewTag}) {
            controller_->changeView(view);
            QVERIFY(!typeAdd->isVisible());
        }
    }

    // Keyboard only: Tab goes from the views through the record buttons and the details toggle
    // to the details pane's copy buttons (the types table to the record table to the smart
    // lists, the type add button to the record add button); no table keeps Tab for its cells.
    void tabReachesTheButtonsAndTheDetailsPane()
    {
        QMainWindow* window = controller_->mainWindow();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        controller_->changeView(BKMainWindowViews::kColumnViewTag);
        select(0, {"Visa"});
        controller_->refreshCommandStates();
        QTableView* types = views_->columnViewTypesTable();
        types->setFocus();
        QList<QWidget*> reached{QApplication::focusWidget()};
        for (int step = 0; step < 40 && (step == 0 || QApplication::focusWidget() != types); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached.append(QApplication::focusWidget());
        }
        const auto at = [&reached](const QWidget* widget) { return reached.indexOf(const_cast<QWidget*>(widget)); };
        QCOMPARE(at(views_->columnViewDescriptionTable()), 1);
        QCOMPARE(at(views_->smartTypesTable()), 2);
        BKRecordButtons* bar = controller_->recordButtons();
        QVERIFY(at(bar->typeAddButton()) > 2);
        QCOMPARE(at(bar->addButton()), at(bar->typeAddButton()) + 1);
        for (QWidget* button : QList<QWidget*>{bar->editButton(), bar->deleteButton(), bar->duplicateButton(0),
                                               bar->printRecordButton(), bar->attachmentButton()})
            QVERIFY2(at(button) > at(bar->addButton()), qPrintable(button->objectName()));
        const int toggle = at(bar->toggleInfoButton(0));
        QVERIFY(toggle > at(bar->attachmentButton()));
        BKDetailsView* details = controller_->detailsView();
        QCOMPARE(at(details->copyImageButton()), toggle + 1);
        // The pane's rows of the card: group, fields 2 and 3, the date.
        int rows = 0;
        for (int row = 0; row < BKTextTable::kRowCount; ++row) {
            if (details->infoView()->button(row)->isVisible()) {
                QVERIFY2(at(details->infoView()->button(row)) > toggle + 1, qPrintable(QString::number(row)));
                ++rows;
            }
        }
        QVERIFY(rows >= 3);

        // Space on a copy button copies its row, as a click does.
        BKImageView* groupCopy = details->infoView()->button(BKTextTable::kGroupRow);
        groupCopy->setFocus();
        QTest::keyClick(groupCopy, Qt::Key_Space);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Banking"));

        // The list gives Tab on to the record buttons.
        controller_->changeView(BKMainWindowViews::kListViewTag);
        select(1, {"Visa"});
        BKTableView* list = views_->listViewTypesTable();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(bar->addButton()));
    }

    // Return and Enter on a selected row edit its record, as a double click does; on a type row
    // of the tree they do nothing.
    void returnOnARowEditsItsRecord_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("edited");
        QTest::newRow("list, Return") << 1 << "Visa" << int(Qt::Key_Return) << "Visa";
        QTest::newRow("list, Enter") << 1 << "alpha bank" << int(Qt::Key_Enter) << "alpha bank";
        QTest::newRow("columns, Return") << 0 << "Visa" << int(Qt::Key_Return) << "Visa";
        QTest::newRow("tree, Return") << 2 << "Visa" << int(Qt::Key_Return) << "Visa";
        QTest::newRow("tree, a type row") << 2 << "<type>" << int(Qt::Key_Return) << "";
    }
    void returnOnARowEditsItsRecord()
    {
        QFETCH(int, view);
        QFETCH(QString, title);
        QFETCH(int, key);
        QFETCH(QString, edited);
        QStringList opened;
        controller_->setDetailsWindowRunner([&](const std::shared_ptr<OTVRecord>& info, int* operation,
                                                const BKDetailsAnswerWriter&) {
            if (*operation == 1)
                opened.append(info->value(1));
            return std::shared_ptr<OTVRecord>();
        });
        controller_->changeView(view);
        select(view, {title});
        QAbstractItemView* shown = view == 0 ? static_cast<QAbstractItemView*>(views_->columnViewDescriptionTable())
                                   : view == 1 ? static_cast<QAbstractItemView*>(views_->listViewTypesTable())
                                               : static_cast<QAbstractItemView*>(views_->treeViewOutlineView());
        QTest::keyClick(shown, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(opened, edited.isEmpty() ? QStringList() : QStringList{edited});
    }

    // The event-log window lists what the reload read (the vault's own entries and another
    // client's) and what was logged since; the command is in the File menu and enabled.
    void theEventLogListsLoadedAndAddedEntries()
    {
        addOtherClientsEntries();
        controller_->reloadDatabase();
        const int stored = storedEntries();
        QCOMPARE(int(store_->mLogArray().size()), stored);
        store_->addLogEvent(QStringLiteral("Request Hint"), QStringLiteral("in this session"));

        QAction* command = controller_->menuAction(kBKEventLogMenuTag);
        QVERIFY(command);
        controller_->refreshCommandStates();
        QVERIFY(command->isEnabled());
        BKEventLoggerWindowController& window = controller_->eventLoggerWindowController();
        QStringList events;
        QStringList computers;
        bool modal = false;
        whenVisible(&window, [&] {
            modal = QApplication::activeModalWidget() == &window;
            events = logColumn(window, 1);
            computers = logColumn(window, 4);
            window.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        command->trigger();
        QVERIFY(!window.isVisible());
        QVERIFY(modal);
        QCOMPARE(events.size(), stored + 1);
        for (const char* event : {"Lock Application", "Add Record", "Edit Settings"})
            QVERIFY2(events.contains(QLatin1String(event)), event);
        QVERIFY(events.contains(QStringLiteral("Add Group")));   // the vault's own, by the store
        QCOMPARE(events.last(), QStringLiteral("Request Hint"));
        QVERIFY(computers.contains(QStringLiteral("Someone Else")));
        QAbstractItemModel* model = window.logTable()->model();
        QVERIFY(!model->flags(model->index(0, 0)).testFlag(Qt::ItemIsEditable));
    }

    // A click on a column title sorts by it, a second click the other way; dates in time order.
    void theEventLogSortsByEveryColumn()
    {
        addOtherClientsEntries();
        controller_->reloadDatabase();
        store_->addLogEvent(QStringLiteral("Add Type"), QStringLiteral("zz last"));
        BKEventLoggerWindowController& window = controller_->eventLoggerWindowController();
        QStringList failures;
        whenVisible(&window, [&] {
            QHeaderView* header = window.logTable()->horizontalHeader();
            const auto clickTitle = [header](int section) {
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                                  QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
            };
            for (int section = 0; section < header->count(); ++section) {
                const QString title = header->model()->headerData(section, Qt::Horizontal).toString();
                for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                    window.logTable()->selectRow(0);
                    clickTitle(section);
                    if (header->sortIndicatorSection() != section || header->sortIndicatorOrder() != order) {
                        failures.append(title + QStringLiteral(": indicator"));
                        continue;
                    }
                    const QStringList values = logColumn(window, section);
                    for (int row = 1; row < values.size(); ++row) {
                        const bool inOrder = section == 0 ? datesInOrder(values[row - 1], values[row], order)
                                                          : textsInOrder(values[row - 1], values[row], order);
                        if (!inOrder)
                            failures.append(QStringLiteral("%1 %2: %3 before %4")
                                                .arg(title, order == Qt::AscendingOrder ? "up" : "down",
                                                     values[row - 1], values[row]));
                    }
                    if (window.logTable()->selectionModel()->hasSelection())
                        failures.append(title + QStringLiteral(": a row stays selected"));
                }
            }
            // The earliest date first: the other client's entry of last year.
            clickTitle(0);
            if (logColumn(window, 0).value(0) != QStringLiteral("2025-12-31 23:59:59"))
                failures.append(QStringLiteral("first date ") + logColumn(window, 0).value(0));
            window.close();
        });
        controller_->eventLogger();
        QCOMPARE(failures, QStringList());
        QVERIFY(!window.isVisible());
    }

    // A sort holds for the opening it was chosen in: the next opening lists the entries as they
    // were added, with no sort arrow, the newest in sight; entries that arrive while the window
    // is open come into sight, sorted or not.
    void theEventLogOpensUnsortedAtTheNewestEntry()
    {
        for (int i = 0; i < 40; ++i)
            store_->addLogEvent(QStringLiteral("Request Hint"), QStringLiteral("entry %1").arg(i, 2, 10, QChar('0')));
        BKEventLoggerWindowController& window = controller_->eventLoggerWindowController();
        QTableView* table = window.logTable();
        QHeaderView* header = table->horizontalHeader();
        const auto inSight = [table](int row) {
            return row >= 0 && table->viewport()->rect().contains(table->visualRect(table->model()->index(row, 0)));
        };
        const auto waitFor = [](const std::function<bool()>& condition) {
            QElapsedTimer clock;
            clock.start();
            while (!condition() && clock.elapsed() < 3000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            return condition();
        };
        const auto descriptionsAdded = [this] {
            QStringList texts;
            for (const EventLogEntry& entry : store_->eventLogWindowList().entries())
                texts.append(entry.value(kDescription));
            return texts;
        };

        bool sortedByEvent = false;
        bool arrivedInSightSorted = false;
        whenVisible(&window, [&] {
            table->sortByColumn(1, Qt::DescendingOrder);
            sortedByEvent = header->sortIndicatorSection() == 1 && logColumn(window, 2) != descriptionsAdded();
            store_->addLogEvent(QStringLiteral("Add Record"), QStringLiteral("arrived sorted"));
            arrivedInSightSorted = waitFor([&] {
                const int row = int(logColumn(window, 2).indexOf(QStringLiteral("arrived sorted")));
                return row >= 0 && inSight(row);
            });
            window.close();
        });
        controller_->eventLogger();
        QVERIFY(sortedByEvent);
        QVERIFY(arrivedInSightSorted);

        int indicator = 0;
        QStringList shown;
        bool newestInSight = false;
        bool arrivedInSight = false;
        whenVisible(&window, [&] {
            indicator = header->sortIndicatorSection();
            shown = logColumn(window, 2);
            newestInSight = waitFor([&] { return inSight(table->model()->rowCount() - 1); });
            store_->addLogEvent(QStringLiteral("Request Hint"), QStringLiteral("arrived"));
            arrivedInSight = waitFor([&] {
                return logColumn(window, 2).value(table->model()->rowCount() - 1) == QStringLiteral("arrived") &&
                       inSight(table->model()->rowCount() - 1);
            });
            window.close();
        });
        controller_->eventLogger();
        QCOMPARE(indicator, -1);
        QCOMPARE(shown, descriptionsAdded().mid(0, shown.size()));
        QVERIFY(newestInSight);
        QVERIFY(arrivedInSight);
    }

    // After each reload the window shows exactly what the server holds: entries cleared from
    // the window come back, and another client's new ones appear.
    void aReloadRefreshesTheEventLog()
    {
        BKEventLoggerWindowController& window = controller_->eventLoggerWindowController();
        store_->clearLog();
        QCoreApplication::processEvents();
        QCOMPARE(window.logModel()->rowCount(), 0);
        server_.execAsRoot(QStringLiteral("INSERT INTO vivododadi.EVENTLOGGERTABLE VALUES('Import', 'Ostrel Id', '', "
                                          "'2026-02-01 08:00:00', 'dave', 'Dave')"));
        controller_->reloadDatabase();
        QCoreApplication::processEvents();
        QCOMPARE(window.logModel()->rowCount(), storedEntries());
        QStringList events;
        whenVisible(&window, [&] {
            events = logColumn(window, 1);
            QTest::keyClick(&window, Qt::Key_Escape);
        });
        controller_->eventLogger();
        QVERIFY(!window.isVisible());
        QVERIFY(events.contains(QStringLiteral("Import")));
        QCOMPARE(int(events.size()), storedEntries());
    }

    void theAboutBoxShowsTheVersion()
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("4.7.1"));
        controller_->initAboutBoxsetting();
        QDialog* box = controller_->aboutBox();
        QVERIFY(box);
        QString version;
        whenVisible(box, [&] {
            version = box->findChild<QLabel*>(QStringLiteral("versionField"))->text();
            box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QAction* about = controller_->menuAction(kBKAboutMenuTag);
        QVERIFY(about);
        QCOMPARE(about->parent()->objectName(), QStringLiteral("&Help"));
        about->trigger();
        QCOMPARE(version, QStringLiteral("Version 4.7.1"));
        QVERIFY(!box->isVisible());
    }

    // The page chosen in Page Setup is the page of every later print; a cancelled setup keeps it.
    void pageSetupChoosesThePageOfLaterPrints()
    {
        QList<QPageLayout::Orientation> printed;
        controller_->setPrintDialogRunner([&](QPrinter& printer, QWidget*, const std::function<void(QPrinter*)>&) {
            printed.append(printer.pageLayout().orientation());
            return false;
        });
        controller_->setPageSetupRunner([](QPrinter& printer, QWidget*) {
            printer.setPageOrientation(QPageLayout::Landscape);
            return true;
        });
        controller_->menuAction(kBKPageSetupMenuTag)->trigger();
        controller_->setPageSetupRunner([](QPrinter& printer, QWidget*) {
            printer.setPageOrientation(QPageLayout::Portrait);
            return false;
        });
        controller_->menuAction(kBKPageSetupMenuTag)->trigger();
        controller_->changeView(BKMainWindowViews::kListViewTag);
        controller_->print();
        select(1, {"Visa"});
        controller_->printRecord();
        QCOMPARE(printed, (QList<QPageLayout::Orientation>{QPageLayout::Landscape, QPageLayout::Landscape}));
    }

    // Qt's page-setup dialog refuses printers that are not native (no print system here): the
    // application's own panel chooses the paper and the orientation then.
    void pageSetupWithoutANativePrinterUsesItsOwnPanel()
    {
        if (QPrinter(QPrinter::HighResolution).outputFormat() == QPrinter::NativeFormat)
            QSKIP("a native printer is installed: the platform's dialog is used");
        QList<QPageLayout> printed;
        controller_->setPrintDialogRunner([&](QPrinter& printer, QWidget*, const std::function<void(QPrinter*)>&) {
            printed.append(printer.pageLayout());
            return false;
        });
        auto* poll = new QTimer(this);
        poll->setInterval(5);
        bool shown = false;
        connect(poll, &QTimer::timeout, this, [&, poll] {
            QWidget* panel = QApplication::activeModalWidget();
            if (!panel || panel->objectName() != QStringLiteral("PageSetupPanel"))
                return;
            poll->stop();
            shown = true;
            auto* paper = panel->findChild<QComboBox*>();
            paper->setCurrentIndex(paper->findText(QPageSize::name(QPageSize::A5)));
            for (QRadioButton* choice : panel->findChildren<QRadioButton*>())
                if (choice->text() == QStringLiteral("Landscape"))
                    choice->setChecked(true);
            panel->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        poll->start();
        controller_->runPageLayout();
        QVERIFY(shown);
        controller_->changeView(BKMainWindowViews::kListViewTag);
        controller_->print();
        QCOMPARE(printed.size(), 1);
        QCOMPARE(printed.first().orientation(), QPageLayout::Landscape);
        QCOMPARE(printed.first().pageSize().id(), QPageSize::A5);
    }

    // Close closes the front window as its close button would: another window goes and the main
    // window stays; with the main window in front the application quits. (Last: it quits.)
    void closeClosesTheFrontWindow()
    {
        QWidget other;
        other.setWindowTitle(QStringLiteral("Other"));
        other.show();
        QApplication::setActiveWindow(&other);
        QCOMPARE(QApplication::activeWindow(), &other);
        controller_->performClose();
        QVERIFY(!other.isVisible());
        QVERIFY(controller_->mainWindow()->isVisible());
        QVERIFY(!controller_->isTerminationRequested());

        QApplication::setActiveWindow(controller_->mainWindow());
        controller_->refreshCommandStates();
        QVERIFY(controller_->menuAction(kBKCloseMenuTag)->isEnabled());
        controller_->menuAction(kBKCloseMenuTag)->trigger();
        QVERIFY(controller_->isTerminationRequested());
    }

private:
    int rowOf(const QString& title) const
    {
        return int(ViewsTestVault::titles(views_->sortedItemsForListView()).indexOf(title));
    }

    // "shop login": a record of the web-login type that a new vault brings, in Banking, with the
    // web address that AutoFill opens.
    void addWebLoginRecord()
    {
        const std::shared_ptr<OTVType> webLogin = store_->mTypes().value(kWebLoginUID);
        QVERIFY(webLogin);
        auto record = OTVRecord::createRecord();
        record->setMGroup(vault_->groups["Banking"]);
        record->setMType(webLogin);
        record->setValue(1, QStringLiteral("shop login"));
        record->setValue(4, QStringLiteral("www.shop.example"));
        record->setValue(10, QStringLiteral("2013-02-03 10:00:00 +0000"));
        QCOMPARE(store_->addRecord(record), int(kOTVStatusOK));
        vault_->records["shop login"] = record;
        controller_->updateApplicationViews();
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

    // Rows another client wrote, with dates that sort differently from their order of insertion.
    void addOtherClientsEntries()
    {
        const char* const rows[][3] = {
            {"Lock Application", "2026-01-05 13:30:00", "bob"},
            {"Add Record", "2026-01-05 09:00:00", "alice"},
            {"Edit Settings", "2025-12-31 23:59:59", "carol"},
        };
        for (const auto& row : rows)
            server_.execAsRoot(QStringLiteral("INSERT INTO vivododadi.EVENTLOGGERTABLE VALUES('%1', 'Ostrel Id', '', "
                                              "'%2', '%3', 'Someone Else')")
                                   .arg(QLatin1String(row[0]), QLatin1String(row[1]), QLatin1String(row[2])));
    }

    int storedEntries() const
    {
        return rootValue(QStringLiteral("SELECT COUNT(*) FROM vivododadi.EVENTLOGGERTABLE")).toInt();
    }

    static QStringList logColumn(const BKEventLoggerWindowController& window, int section)
    {
        const QAbstractItemModel* model = window.logTable()->model();
        QStringList values;
        for (int row = 0; row < model->rowCount(); ++row)
            values.append(model->index(row, section).data().toString());
        return values;
    }

    static bool datesInOrder(const QString& a, const QString& b, Qt::SortOrder order)
    {
        const QDateTime first = BKEventLogDate(a);
        const QDateTime second = BKEventLogDate(b);
        return order == Qt::AscendingOrder ? first <= second : first >= second;
    }

    static bool textsInOrder(const QString& a, const QString& b, Qt::SortOrder order)
    {
        const int compared = QString::compare(a, b);
        return order == Qt::AscendingOrder ? compared <= 0 : compared >= 0;
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

    BKMainWindowViews* views_ = nullptr;
};

QTEST_MAIN(MenusAndContextMenuTest)
#include "MenusAndContextMenuTest.moc"
