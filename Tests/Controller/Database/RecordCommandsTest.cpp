// The record commands and the groups and types editor, as the controller runs them against a
// real server: the details window answers through a scripted runner, the panels are pressed
// through their own actions, alerts are recorded.
#include "../ControllerTestSupport.h"
#include "../ExchangeTestSupport.h"
#include "VaultSessionTest.h"
#include "ViewsTestVault.h"

#include "Controller/BKCategoryEditWindowController.h"
#include "Controller/BKController.h"
#include "Controller/BKDetailsWindowController.h"
#include "Controller/BKDetailsWindowRules.h"
#include "Controller/BKGroupSettingsPanel.h"
#include "Controller/BKMainWindowViews.h"
#include "Controller/BKTypeSettingsPanel.h"
#include "Customization/BKTableView.h"
#include "Model/OTVRecordDuplicates.h"
#include "Model/vRX/CvRXImporter.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QListView>
#include <QStringListModel>
#include <QTemporaryDir>

namespace {

const QString kReload = QStringLiteral("Operation failed. Please reload the database first.");
const QString kNeedGroupAndType = QStringLiteral("Before adding record you need to have atleast one group and a type.");
const QString kDeleteQuestion = QStringLiteral("Are you realy sure you want to delete the selected item(s)?");

// Counts the records a vRX file holds, as the importer reads them.
class CountingDelegate final : public CvRXImporterDelegate {
public:
    void CreateType(const CStringArray&, unsigned short, unsigned short, unsigned short) override {}
    void AddRecord(EFileType, const CStringArray& values, const CStringArray&, const CStringArray&, const CString&,
                   unsigned short, unsigned short, unsigned short) override
    {
        titles.append(values.GetSize() > 0 ? QString::fromUtf8(values.GetAt(0)) : QString());
    }
    void ImportComplete() override {}
    void ErrorInImport(int) override {}
    QStringList titles;
};

} // namespace

class RecordCommandsTest : public VaultSessionTest {
    Q_OBJECT

private:
    ScriptedExchangePrompts* prompts_ = nullptr;
    QTemporaryDir files_;
    int windowRuns_ = 0;

    void startController()
    {
        newController();
        auto prompts = std::make_unique<ScriptedExchangePrompts>();
        prompts_ = prompts.get();
        controller_->setExchangePrompts(std::move(prompts));
        controller_->applicationWillFinishLaunching();
        controller_->updateApplicationViews();
        windowRuns_ = 0;
    }

    // The details window answers with `answer(info)` and the operation `op`.
    void answerWindow(int op, std::function<std::shared_ptr<OTVRecord>(const std::shared_ptr<OTVRecord>&)> answer)
    {
        controller_->setDetailsWindowRunner(
            [this, op, answer](const std::shared_ptr<OTVRecord>& info, int* operation, const BKDetailsAnswerWriter&) {
                ++windowRuns_;
                *operation = op;
                return answer(info);
            });
    }

    BKMainWindowViews* views() const { return controller_->mainWindow()->findChild<BKMainWindowViews*>(); }

    // Selects the list view's rows with these first values (the first one current).
    void selectInList(const QStringList& titles)
    {
        BKTableView* table = views()->listViewTypesTable();
        table->clearSelection();
        for (const QString& title : titles) {
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                if (views()->listModel()->record(row)->value(1) == title)
                    table->selectionModel()->setCurrentIndex(table->model()->index(row, 0),
                                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
        }
    }

    int stored(const QString& where = QString()) const
    {
        return ViewsTestVault::rootValue(server_, QStringLiteral("SELECT COUNT(*) FROM vivododadi.RECORDTABLE ") + where)
            .toInt();
    }
    int logged(const QString& event) const
    {
        return ViewsTestVault::rootValue(
                   server_, QStringLiteral("SELECT COUNT(*) FROM vivododadi.EVENTLOGGERTABLE WHERE NAME='%1'").arg(event))
            .toInt();
    }
    bool isStored(const std::shared_ptr<OTVRecord>& record) const
    {
        return stored(QStringLiteral("WHERE RECORDID='%1'").arg(record->mRecordUID())) == 1;
    }
    QStringList titlesInVault() const
    {
        QStringList titles = ViewsTestVault::titles(store_->itemsOfGroup(nullptr, QString()));
        titles.sort();
        return titles;
    }

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }

    void init()
    {
        QVERIFY(startVaultSession());
        store_->getCurrentUser()->setMCurrentGroup(vault_->groups["Banking"]->mGroupUID());
        store_->getCurrentUser()->setMLastView(BKMainWindowViews::kListViewTag);
        startController();
    }

    void cleanup()
    {
        endVaultSession();
    }

    // --- Add

    void addStoresTheAnswerInTheSelectedGroupAndLogsIt()
    {
        std::shared_ptr<OTVRecord> offered;
        answerWindow(kDetailsAdd, [&](const std::shared_ptr<OTVRecord>& info) {
            offered = info;
            auto answer = OTVRecord::copyRecord(*info);
            answer->setMType(vault_->types["Login"]);
            answer->setValue(1, QStringLiteral("new login"));
            return answer;
        });
        const int before = stored();
        const int logs = logged(QStringLiteral("Add Record"));
        controller_->addItemsToDetail();
        QCOMPARE(windowRuns_, 1);
        QVERIFY(offered && !offered->mType());
        QCOMPARE(offered->mGroup(), vault_->groups["Banking"]);
        QCOMPARE(stored(), before + 1);
        QVERIFY(alerts_->alerts.isEmpty());
        // One entry per add: the store's.
        QCOMPARE(logged(QStringLiteral("Add Record")), logs + 1);
        QVERIFY(ViewsTestVault::titles(views()->sortedItemsForListView()).contains(QStringLiteral("new login")));
    }

    void addIsRefusedOrCancelled_data()
    {
        QTest::addColumn<QString>("removed");
        QTest::newRow("no groups") << "groups";
        QTest::newRow("no types") << "types";
        QTest::newRow("window cancelled") << "";
    }
    void addIsRefusedOrCancelled()
    {
        QFETCH(QString, removed);
        if (removed == QLatin1String("groups"))
            for (const auto& group : store_->groupsForEditing())
                QCOMPARE(store_->deleteGroup(group), kOTVStatusOK);
        if (removed == QLatin1String("types"))
            for (const auto& type : store_->typesForEditing())
                QCOMPARE(store_->deleteType(type), kOTVStatusOK);
        answerWindow(kDetailsAdd, [](const std::shared_ptr<OTVRecord>&) { return nullptr; });
        const int before = stored();
        const int logs = logged(QStringLiteral("Add Record"));
        controller_->addItemsToDetail();
        QCOMPARE(stored(), before);
        QCOMPARE(logged(QStringLiteral("Add Record")), logs);
        if (removed.isEmpty()) {
            QCOMPARE(windowRuns_, 1);
            QVERIFY(alerts_->alerts.isEmpty());
        } else {
            QCOMPARE(windowRuns_, 0);
            QCOMPARE(alertLines(*alerts_),
                     QStringList{kDefaultAlertTitle + " | " + kNeedGroupAndType + " | OK"});
        }
    }

    // --- Edit

    void editReplacesSavesAsNewOrDeletes_data()
    {
        QTest::addColumn<int>("answerOp");
        QTest::addColumn<int>("recordsAfter");   // in the vault, of 6
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("replace") << int(kDetailsEdit) << 6 << QStringList{"Visa", "alpha bank edited", "zeta portal"};
        QTest::newRow("save as new")
            << int(kDetailsDuplicate) << 7 << QStringList{"Visa", "alpha bank", "alpha bank edited", "zeta portal"};
        QTest::newRow("delete pressed") << int(kDetailsDelete) << 5 << QStringList{"Visa", "zeta portal"};
    }
    void editReplacesSavesAsNewOrDeletes()
    {
        QFETCH(int, answerOp);
        QFETCH(int, recordsAfter);
        QFETCH(QStringList, titles);
        selectInList({QStringLiteral("alpha bank")});
        answerWindow(answerOp, [answerOp](const std::shared_ptr<OTVRecord>& info) -> std::shared_ptr<OTVRecord> {
            if (answerOp == kDetailsDelete)
                return nullptr;
            auto answer = OTVRecord::copyRecord(*info);
            if (answerOp == kDetailsEdit)
                answer->setMRecordUID(info->mRecordUID());
            answer->setValue(1, QStringLiteral("alpha bank edited"));
            return answer;
        });
        controller_->editItemDoubleAction();
        QCOMPARE(stored(), recordsAfter);
        QStringList shown = ViewsTestVault::titles(views()->sortedItemsForListView());
        shown.sort();
        QCOMPARE(shown, titles);
        // The window asked before it answered Delete: no second question.
        QCOMPARE(alerts_->messages(), QStringList());
    }

    void aRecordDeletedByAnotherClientGivesTheReloadAlert_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("edit") << "edit";
        QTest::newRow("delete") << "delete";
    }
    void aRecordDeletedByAnotherClientGivesTheReloadAlert()
    {
        QFETCH(QString, command);
        const auto record = vault_->records["Visa"];
        server_.execAsRoot(
            QStringLiteral("DELETE FROM vivododadi.RECORDTABLE WHERE RECORDID='%1'").arg(record->mRecordUID()));
        selectInList({QStringLiteral("Visa")});
        answerWindow(kDetailsEdit, [](const std::shared_ptr<OTVRecord>& info) {
            auto answer = OTVRecord::copyRecord(*info);
            answer->setMRecordUID(info->mRecordUID());
            answer->setValue(2, QStringLiteral("4222"));
            return answer;
        });
        alerts_->answers = {kBKAlertAlternateReturn};
        if (command == QLatin1String("edit"))
            controller_->editItemDoubleAction();
        else
            controller_->deleteSelected();
        QVERIFY(alerts_->messages().contains(kReload));
        QCOMPARE(stored(), 5);
    }

    // Through the window itself the write runs before it closes: the reload alert leaves it
    // open with what was typed, and Cancel then stores nothing.
    void aRecordDeletedByAnotherClientKeepsTheWindowOpen()
    {
        const auto record = vault_->records["Visa"];
        server_.execAsRoot(
            QStringLiteral("DELETE FROM vivododadi.RECORDTABLE WHERE RECORDID='%1'").arg(record->mRecordUID()));
        selectInList({QStringLiteral("Visa")});
        BKDetailsWindowController window(store_.get());
        controller_->setDetailsWindowRunner(
            [&window](const std::shared_ptr<OTVRecord>& info, int* operation, const BKDetailsAnswerWriter& write) {
                return window.orderFrontDetailsWindowWithInfo(info, operation, write);
            });
        bool keptOpen = false;
        whenVisible(&window, [&] {
            window.valueField(2)->setText(QStringLiteral("typed 4222"));
            window.detailPanelOK();
            keptOpen = window.isVisible() && window.valueField(2)->text() == QLatin1String("typed 4222");
            if (window.isVisible())
                window.detailPanelCancel();
        });
        controller_->editItemDoubleAction();
        QVERIFY(keptOpen);
        QCOMPARE(alerts_->messages(), QStringList{kReload});
        QCOMPARE(stored(), 5);
    }

    // --- Duplicate

    void duplicateStoresACopyAndLogsIt()
    {
        selectInList({QStringLiteral("alpha bank")});
        std::shared_ptr<OTVRecord> offered;
        answerWindow(kDetailsDuplicate, [&](const std::shared_ptr<OTVRecord>& info) {
            offered = info;
            return OTVRecord::copyRecord(*info);
        });
        const int logs = logged(QStringLiteral("Duplicate Record"));
        controller_->duplicateItem();
        QVERIFY(offered);
        QCOMPARE(offered->value(1), QStringLiteral("alpha bank Copy"));
        QVERIFY(offered->mRecordUID() != vault_->records["alpha bank"]->mRecordUID());
        QCOMPARE(stored(), 7);
        QCOMPARE(logged(QStringLiteral("Duplicate Record")), logs + 1);
        QVERIFY(titlesInVault().contains(QStringLiteral("alpha bank Copy")));

        // Cancelled: nothing stored, nothing logged.
        answerWindow(kDetailsDuplicate, [](const std::shared_ptr<OTVRecord>&) { return nullptr; });
        controller_->duplicateItem();
        QCOMPARE(stored(), 7);
        QCOMPARE(logged(QStringLiteral("Duplicate Record")), logs + 1);
    }

    void duplicateWritesTheAttachmentInsideThePrivateFolder()
    {
        // A name from another system that points out of the folder.
        const QString file = files_.filePath(QStringLiteral("payload.txt"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("attached bytes");
        out.close();
        controller_->addAttachmentFromFile(vault_->records["alpha bank"], file);
        const auto record = store_->getRecordForUID(vault_->records["alpha bank"]->mRecordUID());
        QVERIFY(record && record->mHasAttachment());
        record->setMAttachmentName(QStringLiteral("../../escape.txt"));
        record->setMAttachmentState(kAttachmentReencipher);
        QCOMPARE(store_->replaceRecord(record), kOTVStatusOK);
        selectInList({QStringLiteral("alpha bank")});
        QString offeredPath;
        QByteArray offeredBytes;
        answerWindow(kDetailsDuplicate, [&](const std::shared_ptr<OTVRecord>& info) {
            offeredPath = info->mAttachmentPath();
            QFile in(offeredPath);
            if (in.open(QIODevice::ReadOnly))
                offeredBytes = in.readAll();
            return OTVRecord::copyRecord(*info);
        });
        controller_->duplicateItem();
        QCOMPARE(QFileInfo(offeredPath).absolutePath(), QDir(controller_->attachmentFolderPath()).absolutePath());
        QCOMPARE(QFileInfo(offeredPath).fileName(), QStringLiteral("escape.txt"));
        QCOMPARE(offeredBytes, QByteArray("attached bytes"));
        // The plain copy is gone once the window returned; the copy's row came from the original.
        QVERIFY(!QFile::exists(offeredPath));
        QCOMPARE(ViewsTestVault::rootValue(server_, QStringLiteral("SELECT COUNT(*) FROM vivododadi.ATTACHMENTTABLE")),
                 QStringLiteral("2"));
    }

    // An empty file is an attachment like any other: the duplicate gets it, empty.
    void duplicateKeepsAnEmptyAttachment()
    {
        const QString file = files_.filePath(QStringLiteral("empty.txt"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.close();
        controller_->addAttachmentFromFile(vault_->records["alpha bank"], file);
        selectInList({QStringLiteral("alpha bank")});
        std::shared_ptr<OTVRecord> copy;
        answerWindow(kDetailsDuplicate, [&](const std::shared_ptr<OTVRecord>& info) {
            copy = OTVRecord::copyRecord(*info);
            return copy;
        });
        controller_->duplicateItem();
        QVERIFY(alerts_->alerts.isEmpty());
        QVERIFY(copy);
        int code = -1;
        const std::optional<QByteArray> bytes = store_->extractAttachmentDataForRecord(*copy, &code);
        QCOMPARE(code, int(kOTVStatusOK));
        QVERIFY(bytes.has_value());
        QVERIFY(bytes->isEmpty());
    }

    // --- Delete

    void listViewDeletesExactlyTheSelectedRecords_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("two of three")
            << QStringList{"Visa", "zeta portal"} << int(kBKAlertAlternateReturn) << QStringList{"alpha bank"};
        QTest::newRow("the first row") << QStringList{"alpha bank"} << int(kBKAlertAlternateReturn)
                                       << QStringList{"Visa", "zeta portal"};
        QTest::newRow("answered No") << QStringList{"Visa", "zeta portal"} << int(kBKAlertDefaultReturn)
                                     << QStringList{"Visa", "alpha bank", "zeta portal"};
    }
    void listViewDeletesExactlyTheSelectedRecords()
    {
        QFETCH(QStringList, selected);
        QFETCH(int, answer);
        QFETCH(QStringList, left);
        selectInList(selected);
        alerts_->answers = {answer};
        controller_->deleteSelected();
        QCOMPARE(alertLines(*alerts_), QStringList{kDefaultAlertTitle + " | " + kDeleteQuestion + " | No"});
        QStringList shown = ViewsTestVault::titles(views()->sortedItemsForListView());
        shown.sort();
        QCOMPARE(shown, left);
        QCOMPARE(stored(), 3 + int(left.size()));
        // Other groups' records are untouched.
        QVERIFY(isStored(vault_->records["Router"]));
    }

    // --- Find duplicates

    void duplicatesAreFoundInOrderOfTheList()
    {
        // A, B, A', C, A'': the later equals of A, last first; B and C have none.
        OTVRecordList list;
        const auto make = [&](const QString& title, const QString& notes = QString()) {
            auto record = OTVRecord::copyRecord(*vault_->records["alpha bank"]);
            record->setValue(1, title);
            record->setMNotes(notes);
            list.append(record);
            return record;
        };
        const auto a = make("A"), b = make("B"), a1 = make("A"), c = make("A", "other notes"), a2 = make("A");
        QCOMPARE(OTVFindDuplicateRecords(list), (OTVRecordList{a2, a1}));
        // Equal values in another group are no duplicates.
        a2->setMGroup(vault_->groups["Servers"]);
        QCOMPARE(OTVFindDuplicateRecords(list), (OTVRecordList{a1}));
        QCOMPARE(OTVFindDuplicateRecords({b, c}), OTVRecordList());
        Q_UNUSED(a);
    }

    void deDupeDeletesTheDuplicatesAfterTheSheet_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void deDupeDeletesTheDuplicatesAfterTheSheet()
    {
        QFETCH(bool, yes);
        for (const char* title : {"alpha bank", "alpha bank", "Router"}) {
            auto copy = OTVRecord::copyRecord(*vault_->records[title]);
            QCOMPARE(store_->addRecord(copy), kOTVStatusOK);
        }
        QDialog* sheet = controller_->dedupeSheet();
        QStringList listed;
        QString message;
        whenVisible(sheet, [&] {
            listed = qobject_cast<QStringListModel*>(sheet->findChild<QListView*>()->model())->stringList();
            message = sheet->findChild<QLabel*>(QStringLiteral("mDedupeMessage"))->text();
            sheet->findChild<QAbstractButton*>(yes ? QStringLiteral("yesButton") : QStringLiteral("noButton"))->click();
        });
        controller_->deDupe();
        listed.sort();
        QCOMPARE(listed, (QStringList{"Router", "alpha bank", "alpha bank"}));
        QCOMPARE(message, QStringLiteral("3 duplicate item(s) found. Do you want to delete these item(s)?"));
        QCOMPARE(stored(), yes ? 6 : 9);
        // One of each set of equal records stays (the first the list holds).
        QCOMPARE(titlesInVault().count(QStringLiteral("alpha bank")), yes ? 1 : 3);
        QCOMPARE(titlesInVault().count(QStringLiteral("Router")), yes ? 1 : 2);
        QVERIFY(isStored(vault_->records["Visa"]));

        // Nothing left to find.
        if (yes) {
            controller_->deDupe();
            QCOMPARE(alerts_->messages(), QStringList{"No duplicate item(s) found."});
        }
    }

    // --- Copy a field

    void copyFieldPutsEachTagsValueOnTheClipboard_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("copied");
        QTest::newRow("205 nothing") << 205 << "";
        QTest::newRow("206 group") << 206 << "Banking";
        QTest::newRow("207 field 1") << 207 << "alpha bank";
        QTest::newRow("208 field 2, masked in the views") << 208 << "secret1";
        QTest::newRow("209 empty field 3") << 209 << "";
        QTest::newRow("216 field 10 as shown") << 216 << "March 05,2009";
        QTest::newRow("217 notes") << 217 << "branch code";
        QTest::newRow("218 nothing") << 218 << "";
    }
    void copyFieldPutsEachTagsValueOnTheClipboard()
    {
        QFETCH(int, tag);
        QFETCH(QString, copied);
        controller_->unmask(true);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        selectInList({QStringLiteral("alpha bank")});
        controller_->copyFieldValue(tag);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        // Without a selection the clipboard is only emptied.
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        views()->listViewTypesTable()->clearSelection();
        controller_->copyFieldValue(tag);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    }

    // --- Masking and the details pane, per user, across a restart

    void maskingAndThePaneSurviveARestart_data()
    {
        QTest::addColumn<bool>("masked");
        QTest::addColumn<bool>("shown");
        QTest::newRow("masked, pane hidden") << true << false;
        QTest::newRow("unmasked, pane shown") << false << true;
    }
    void maskingAndThePaneSurviveARestart()
    {
        QFETCH(bool, masked);
        QFETCH(bool, shown);
        QList<bool> maskSignals, paneSignals;
        connect(controller_.get(), &BKController::maskingChanged, this, [&](bool on) { maskSignals << on; });
        connect(controller_.get(), &BKController::detailsPaneShownChanged, this, [&](bool on) { paneSignals << on; });
        controller_->unmask(!masked);
        controller_->unmaskFromMenu();   // flips it
        controller_->toggleInfoView(!shown);
        controller_->toggleInfoViewFromMenu();
        QCOMPARE(maskSignals, (QList<bool>{!masked, masked}));
        QCOMPARE(paneSignals, (QList<bool>{!shown, shown}));
        QCOMPARE(controller_->shouldMask(), masked);
        QCOMPARE(controller_->isDetailsPaneShown(), shown);
        QCOMPARE(ViewsTestVault::storedPreference(server_, QStringLiteral("SHOWDETAILPANE"),
                                                  store_->getCurrentUser()->mUserID()),
                 shown ? QStringLiteral("1") : QStringLiteral("0"));

        // A new session of the same user on the same settings.
        alerts_.reset();
        controller_.reset();
        store_ = std::make_unique<OTVDataBase>();
        QVERIFY(ViewsTestVault::open(*store_, server_, false));
        startController();
        QCOMPARE(controller_->shouldMask(), masked);
        QCOMPARE(controller_->isDetailsPaneShown(), shown);
    }

    // --- Customise a record's labels

    void customisingSetsOrDropsTheRecordsOwnType_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("customised");
        QTest::newRow("a label of its own") << "PIN" << true;
        QTest::newRow("back to the type's labels") << "" << false;
    }
    void customisingSetsOrDropsTheRecordsOwnType()
    {
        QFETCH(QString, label);
        QFETCH(bool, customised);
        const auto record = vault_->records["zeta portal"];   // customised already
        selectInList({QStringLiteral("zeta portal")});
        BKTypeSettingsPanel& panel = controller_->typeSettingsPanel();
        whenVisible(&panel, [&] {
            if (!label.isEmpty()) {
                panel.labelField(3)->setText(label);
            } else {
                // The type's own labels and mask.
                panel.customSettingsReset();
            }
            panel.customSettingsOK();
        });
        controller_->displayFieldCustomizePanel();
        QVERIFY(alerts_->alerts.isEmpty());
        QCOMPARE(record->mIsCustomized(), customised);
        QCOMPARE(bool(record->mRecordCustomType()), customised);
        // A record no longer customised keeps its custom-type row, which the flag tells a load to ignore.
        QCOMPARE(ViewsTestVault::rootValue(server_, QStringLiteral("SELECT HASCUSTOMFIELD FROM vivododadi.RECORDTABLE "
                                                                   "WHERE RECORDID='%1'")
                                                        .arg(record->mRecordUID())),
                 customised ? QStringLiteral("1") : QStringLiteral("0"));
    }

    // A record another client deleted: the store refuses, and the record keeps its own labels.
    void aRefusedCustomisationLeavesTheRecordAsItWas()
    {
        const auto record = vault_->records["zeta portal"];
        const OTVType before = *record->mRecordCustomType();
        server_.execAsRoot(
            QStringLiteral("DELETE FROM vivododadi.RECORDTABLE WHERE RECORDID='%1'").arg(record->mRecordUID()));
        selectInList({QStringLiteral("zeta portal")});
        BKTypeSettingsPanel& panel = controller_->typeSettingsPanel();
        whenVisible(&panel, [&] {
            panel.customSettingsReset();
            panel.customSettingsOK();
        });
        controller_->displayFieldCustomizePanel();
        QCOMPARE(alerts_->messages(), QStringList{kReload});
        QVERIFY(record->mIsCustomized());
        QVERIFY(record->mRecordCustomType() && !record->mRecordCustomType()->isNotEqualToCustomType(before));
    }

    // --- The groups and types editor

    void editorModeFollowsTheSender_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("mode");
        QTest::newRow("Edit Groups... title") << "Edit Groups..." << 0 << int(BKCategoryEditWindowController::kGroupsTable);
        QTest::newRow("tag 102") << "" << 102 << int(BKCategoryEditWindowController::kGroupsTable);
        QTest::newRow("Edit Types... title") << "Edit Types..." << 0 << int(BKCategoryEditWindowController::kTypesTable);
        QTest::newRow("tag 101") << "" << 101 << int(BKCategoryEditWindowController::kTypesTable);
        QTest::newRow("unknown keeps types") << "Other" << 7 << int(BKCategoryEditWindowController::kTypesTable);
    }
    void editorModeFollowsTheSender()
    {
        QFETCH(QString, title);
        QFETCH(int, tag);
        QFETCH(int, mode);
        BKCategoryEditWindowController& editor = controller_->categoryEditWindowController();
        editor.setModeForSender(QString(), BKCategoryEditWindowController::kEditTypesMenuItemTag);
        editor.setModeForSender(title, tag);
        QCOMPARE(editor.tableViewType(), mode);
        const bool groups = mode == BKCategoryEditWindowController::kGroupsTable;
        QCOMPARE(editor.duplicateButton()->isHidden(), !groups);
        QCOMPARE(editor.windowTitle(), groups ? QStringLiteral("Edit Groups") : QStringLiteral("Edit Types"));
        QCOMPARE(editor.tableView()->model()->rowCount(),
                 int(groups ? store_->groupsForEditing().size() : store_->typesForEditing().size()));
        // Edit without a selection: an alert from the button, silence from a double click.
        editor.editTableEntry(true);
        QVERIFY(alerts_->alerts.isEmpty());
        editor.editTableEntry(false);
        QCOMPARE(alerts_->messages(), QStringList{" No row is selected"});
    }

    void editorAddsRenamesAndDeletesAGroup()
    {
        BKCategoryEditWindowController& editor = controller_->categoryEditWindowController();
        editor.setModeForSender(QStringLiteral("Edit Groups..."), 0);
        BKGroupSettingsPanel& panel = controller_->groupSettingsPanel();
        whenVisible(&panel, [&] {
            panel.nameField()->setText(QStringLiteral("Travel"));
            panel.customGroupSettingsOK();
        });
        editor.addNewEntry();
        const auto travel = store_->getGroupFromGroupName(QStringLiteral("Travel"));
        QVERIFY(travel);

        editor.selectRow(int(store_->groupsForEditing().indexOf(travel)));
        whenVisible(&panel, [&] {
            panel.nameField()->setText(QStringLiteral("Trips"));
            panel.customGroupSettingsOK();
        });
        editor.editTableEntry();
        const auto trips = store_->getGroupFromGroupName(QStringLiteral("Trips"));
        QVERIFY(trips);
        QCOMPARE(trips->mGroupUID(), travel->mGroupUID());
        QVERIFY(!store_->getGroupFromGroupName(QStringLiteral("Travel")));
        QCOMPARE(editor.selectedGroup(), trips);

        // No records: only the final question; Yes deletes.
        alerts_->answers = {kBKAlertAlternateReturn};
        editor.deleteSelectedTableEntry();
        QCOMPARE(alerts_->alerts.size(), 1);
        QCOMPARE(alerts_->alerts[0].title, QStringLiteral("Ostrevin Darovazivu Delete Group."));
        QCOMPARE(alerts_->alerts[0].message,
                 QStringLiteral("Please confirm. Deleting Group?\nNote \u2013 This action cannot be reversed."));
        QVERIFY(!store_->getGroupFromGroupName(QStringLiteral("Trips")));
        QCOMPARE(ViewsTestVault::rootValue(server_, QStringLiteral("SELECT COUNT(*) FROM vivododadi.GROUPTABLE WHERE UID='%1'")
                                                        .arg(travel->mGroupUID())),
                 QStringLiteral("0"));
    }

    void editorAddsEditsAndDeletesAType()
    {
        BKCategoryEditWindowController& editor = controller_->categoryEditWindowController();
        editor.setModeForSender(QStringLiteral("Edit Types..."), 0);
        BKTypeSettingsPanel& panel = controller_->typeSettingsPanel();
        whenVisible(&panel, [&] {
            panel.nameField()->setText(QStringLiteral("Wifi"));
            panel.labelField(1)->setText(QStringLiteral("SSID"));
            panel.customSettingsOK();
        });
        editor.addNewEntry();
        const auto types = store_->typesForEditing();
        const auto wifi = std::find_if(types.begin(), types.end(),
                                       [](const auto& t) { return t->mTypeName() == QLatin1String("Wifi"); });
        QVERIFY(wifi != types.end());
        const std::shared_ptr<OTVType> type = *wifi;

        // A label changed: the same object, rewritten.
        editor.selectRow(int(store_->typesForEditing().indexOf(type)));
        whenVisible(&panel, [&] {
            panel.labelField(1)->setText(QStringLiteral("Network"));
            panel.customSettingsOK();
        });
        editor.editTableEntry();
        QCOMPARE(type->label(1), QStringLiteral("Network"));
        QCOMPARE(store_->typesForEditing().size(), types.size());

        alerts_->answers = {kBKAlertAlternateReturn};
        editor.selectRow(int(store_->typesForEditing().indexOf(type)));
        editor.deleteSelectedTableEntry();
        // The panel's question on editing a type in use (its default keeps the type), then the
        // delete's only question: the type has no records.
        QCOMPARE(alerts_->alerts.size(), 2);
        QCOMPARE(alerts_->alerts[1].title, QStringLiteral("OstrelEnterprise Delete Types."));
        QCOMPARE(alerts_->alerts[1].message,
                 QStringLiteral("Please confirm. Deleting Types?\nNote \u2013 This action cannot be reversed."));
        QCOMPARE(store_->typesForEditing().size(), types.size() - 1);
    }

    // The server would delete the type's records in groups the user cannot see, which no
    // backup of his holds: the type stays, and so do they.
    void aTypeWithRecordsTheUserCannotSeeIsNotDeleted()
    {
        const auto server = vault_->types["Server"];
        server_.execAsRoot(QStringLiteral("INSERT INTO vivododadi.RECORDTABLE (RECORDID, TYPEUID) "
                                          "VALUES ('0000HIDDEN000001', '%1')")
                               .arg(server->mTypeUID()));
        BKCategoryEditWindowController& editor = controller_->categoryEditWindowController();
        editor.setModeForSender(QStringLiteral("Edit Types..."), 0);
        editor.selectRow(int(store_->typesForEditing().indexOf(server)));
        alerts_->answers = {kBKAlertAlternateReturn, kBKAlertAlternateReturn};
        editor.deleteSelectedTableEntry();
        QCOMPARE(alerts_->messages(),
                 QStringList{"This type can not be deleted: records of it are in groups you can not see."});
        QVERIFY(store_->typesForEditing().contains(server));
        QCOMPARE(stored(QStringLiteral("WHERE TYPEUID='%1'").arg(server->mTypeUID())), 2);
    }

    void deletingAGroupWithBackup_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::newRow("backup written") << true;
        QTest::newRow("backup into a path that cannot be written") << false;
    }
    void deletingAGroupWithBackup()
    {
        QFETCH(bool, writable);
        // A file where the folder would be: nothing can be written below it.
        const QString blocker = files_.filePath(QStringLiteral("not-a-folder"));
        QFile(blocker).open(QIODevice::WriteOnly);
        const QString path = writable ? files_.filePath(QStringLiteral("servers-backup.vrx"))
                                      : blocker + QStringLiteral("/servers-backup.vrx");
        QFile::remove(path);
        prompts_->exportAnswers = {exportTo(path)};
        prompts_->exportPasswords = {{QStringLiteral("backup pw"), QStringLiteral("backup pw")}};

        BKCategoryEditWindowController& editor = controller_->categoryEditWindowController();
        editor.setModeForSender(QStringLiteral("Edit Groups..."), 0);
        const auto servers = vault_->groups["Servers"];
        editor.selectRow(int(store_->groupsForEditing().indexOf(servers)));
        alerts_->answers = {kBKAlertDefaultReturn};   // Backup
        editor.deleteSelectedTableEntry();
        QCOMPARE(alerts_->alerts.first().title, QStringLiteral("OstrelEnterprise Delete Group."));
        QCOMPARE(alerts_->alerts.first().message,
                 QStringLiteral("All Types and Records inside this Group will be deleted.\nAre you Sure?\n"
                                "Note \u2013 You can Backup this group before Deleting it."));
        const QString groupRows = QStringLiteral("SELECT COUNT(*) FROM vivododadi.GROUPTABLE WHERE UID='%1'")
                                      .arg(servers->mGroupUID());
        if (!writable) {
            QVERIFY(!QFile::exists(path));
            QCOMPARE(ViewsTestVault::rootValue(server_, groupRows), QStringLiteral("1"));
            QCOMPARE(stored(), 6);
            return;
        }
        QCOMPARE(ViewsTestVault::rootValue(server_, groupRows), QStringLiteral("0"));
        QCOMPARE(stored(), 4);
        // The file holds the group's records, as the importer reads them.
        CountingDelegate counter;
        CvRXImporter importer(QFile::encodeName(path).toStdString(), &counter);
        importer.ImportFile(importer.FileType(), "backup pw");
        counter.titles.sort();
        QCOMPARE(counter.titles, (QStringList{"Router", "db box"}));
    }

    void deletingAGroupWithRecordsAnsweredNoOrYes_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("No") << QList<int>{kBKAlertOtherReturn} << 1 << false;
        QTest::newRow("Yes, then No") << QList<int>{kBKAlertAlternateReturn, kBKAlertDefaultReturn} << 2 << false;
        QTest::newRow("Yes, then Yes") << QList<int>{kBKAlertAlternateReturn, kBKAlertAlternateReturn} << 2 << true;
    }
    void deletingAGroupWithRecordsAnsweredNoOrYes()
    {
        QFETCH(QList<int>, answers);
        QFETCH(int, questions);
        QFETCH(bool, deleted);
        BKCategoryEditWindowController& editor = controller_->categoryEditWindowController();
        editor.setModeForSender(QStringLiteral("Edit Groups..."), 0);
        const auto groups = store_->groupsForEditing();
        const int row = int(groups.indexOf(vault_->groups["email"]));
        editor.selectRow(row);
        alerts_->answers = answers;
        editor.deleteSelectedTableEntry();
        QCOMPARE(alerts_->alerts.size(), questions);
        QCOMPARE(prompts_->exportSetups.size(), 0);
        QCOMPARE(isStored(vault_->records["Mail account"]), !deleted);
        // The row that took the deleted one's place is selected.
        QCOMPARE(editor.selectedRow(), row < groups.size() - 1 || !deleted ? row : row - 1);
    }
};

QTEST_MAIN(RecordCommandsTest)
#include "RecordCommandsTest.moc"
