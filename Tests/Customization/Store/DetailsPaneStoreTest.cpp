// The details pane and the icon chooser against a vault loaded from the fixture's MariaDB: a
// first client fills the vault through the store, a second one loads it, and the pane shows
// the second client's records (masked and not, custom types, attachments, empty values, long
// notes), its copy buttons copy the shown record's values, the chooser shows the built-in and
// custom icons in a stable order, and a double click edits through the store.
#include "Customization/BKDetailsView.h"
#include "Customization/BKDetailsViewDelegate.h"
#include "Customization/BKImageMatrix.h"
#include "Customization/BKImageView.h"
#include "Customization/BKTextTable.h"

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Platform/BKMainThread.h"
#include "Platform/BKNotificationCenter.h"
#include "Support/RecordingApplicationServices.h"
#include "Support/StoreConnectRequest.h"
#include "Support/TestServer.h"

#include "Model/Database_Engine/VaultTestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

namespace {

const QString kMasterPassword = QStringLiteral("Pane vault 1");
const QByteArray kAttachmentBytes(2500, 'a');

using vault_maps::png;

// What the test expects the pane to show for one record: row -> (label, value, copy text).
struct Shown {
    QString label;
    QString value;
    QString copy;
};

// A details window and controller that answer as scripted and remember what was asked.
class ScriptedController final : public BKDetailsViewDelegate {
public:
    std::shared_ptr<OTVRecord> itemPropertiesForTableViewSelectedRow() const override { return selected; }
    bool checkForRecordPermissionForSelectedGroup(int permission) override
    {
        calls.append(QStringLiteral("permission(%1)").arg(permission));
        return mayEdit;
    }
    std::shared_ptr<OTVRecord> orderFrontDetailsWindowWithInfo(const std::shared_ptr<OTVRecord>& info,
                                                               int* operation, const BKDetailsAnswerWriter&) override
    {
        calls.append(QStringLiteral("window(%1)").arg(*operation));
        shownInWindow = info;
        *operation = answerOperation;
        return answerRecord;
    }
    void deleteRecordFromWindow(const std::shared_ptr<OTVRecord>& record) override
    {
        calls.append(record == selected ? QStringLiteral("deleteRecord") : QStringLiteral("deleteOther"));
    }
    void updateTables() override { calls.append(QStringLiteral("updateTables")); }
    QMenu* extendMenu(QContextMenuEvent*, BKDetailsView*) override { return nullptr; }

    std::shared_ptr<OTVRecord> selected;
    bool mayEdit = true;
    int answerOperation = 1;
    std::shared_ptr<OTVRecord> answerRecord;
    std::shared_ptr<OTVRecord> shownInWindow;
    QStringList calls;
};

} // namespace

class DetailsPaneStoreTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void paneShowsEachRecordOfTheLoadedVault();
    void copyButtonsCopyTheShownRecordsValues();
    void iconGridShowsBuiltInAndCustomIconsInOrder();
    void importedIconsReachTheGridOnTheMainThread();
    void doubleClickEditsThroughTheStore();

private:
    bool connectAndLogIn(OTVDataBase& store);
    void fillVault();
    std::shared_ptr<OTVRecord> loaded(const QString& title) const;
    std::unique_ptr<BKDetailsView> paneShowing(const std::shared_ptr<OTVRecord>& record, bool mask);
    QMap<int, Shown> expectedRows(const QString& title, bool mask) const;
    int attachmentRows(const QString& recordUID);

    TestServer server;
    RecordingApplicationServices services;
    RecordingAlertPresenter alerts;
    QTemporaryDir folder;
    OTVDataBase first;
    OTVDataBase second;
    QMap<QString, QString> uids;   // title -> record UID
    QList<int> customIcons;
    QString groupName = QStringLiteral("Bank – accounts");
};

bool DetailsPaneStoreTest::connectAndLogIn(OTVDataBase& store)
{
    const OTVConnectRequest request = StoreConnectRequest(server, server.admin, kMasterPassword);
    return store.startConnectionToServer(request) == kOTVStatusOK &&
           store.initUserDetails(server.admin.user, server.admin.password) == kOTVStatusOK;
}

void DetailsPaneStoreTest::initTestCase()
{
    QVERIFY(TestServer::fromEnvironment(&server));
    server.execAsRoot(QStringLiteral("DROP DATABASE IF EXISTS vivododadi"));
    const OTVConnectRequest request = StoreConnectRequest(server, server.admin);
    QCOMPARE(first.startConnectionToServer(request), kOTVStatusOK);
    int status = -1;
    QVERIFY(first.isVirginLaunch(&status));
    QCOMPARE(first.setMasterPassword(kMasterPassword), kOTVStatusOK);
    QCOMPARE(first.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    const std::shared_ptr<OTVUser> me = first.mCurrentUser();
    first.initUserPreferencesForUser(me->mUserID(), me->mUsername(), &status);
    first.addUserPersonalGroup(*me);
    QCOMPARE(first.loadDataBase(true), kOTVStatusOK);
    fillVault();
    if (QTest::currentTestFailed())
        return;

    QVERIFY(connectAndLogIn(second));
    QCOMPARE(second.loadDataBase(false), kOTVStatusOK);
    QCOMPARE(second.mRecords().size(), uids.size());
}

void DetailsPaneStoreTest::fillVault()
{
    for (const QColor& color : {QColor(Qt::darkGreen), QColor(Qt::darkRed), QColor(Qt::darkBlue)}) {
        int number = 0;
        QCOMPARE(first.insertCustomIconWithIndex(&number, png(color)), kOTVStatusOK);
        customIcons.append(number);
    }

    auto bank = BKGroup::newGroup();
    bank->setMGroupName(groupName);
    bank->setMRecordLevelPermissions(7);
    QCOMPARE(first.addGroup(bank), kOTVStatusOK);

    auto serverType = OTVType::createType();
    serverType->setMTypeName(QStringLiteral("Server"));
    serverType->setMTypeIconID(23);
    serverType->setMTypeMask(1 | 4);   // the title and field 3
    for (int field = 1; field <= kNoOfFields; ++field)
        serverType->setLabel(field, QStringLiteral("Server %1").arg(field));
    QCOMPARE(first.addType(serverType), kOTVStatusOK);

    const auto add = [&](const QString& title, const std::function<void(OTVRecord&)>& fill) {
        auto record = OTVRecord::createRecord();
        record->setMGroup(bank);
        record->setMType(serverType);
        record->setValue(1, title);
        fill(*record);
        QCOMPARE(first.addRecord(record), kOTVStatusOK);
        uids.insert(title, record->mRecordUID());
    };
    add(QStringLiteral("Full"), [](OTVRecord& r) {
        for (int field = 2; field <= 9; ++field)
            r.setValue(field, QStringLiteral("full %1 – é").arg(field));
        r.setMNotes(QStringLiteral("short notes"));
    });
    add(QStringLiteral("www.gaps.example"), [](OTVRecord& r) {
        r.setValue(3, QStringLiteral("gap secret"));
        r.setValue(7, QStringLiteral("https://portal.example"));
    });
    add(QStringLiteral("Custom"), [this](OTVRecord& r) {
        OTVType own;
        own.setMTypeIconID(customIcons.first());
        own.setMTypeMask(2 | 512);   // field 2 and the date
        for (int field = 1; field <= kNoOfFields; ++field)
            own.setLabel(field, QStringLiteral("  Own %1\n").arg(field));
        r.setMRecordCustomType(own);
        r.setMIsCustomized(true);
        r.setValue(2, QStringLiteral("own secret"));
        r.setValue(4, QStringLiteral("own plain"));
    });
    QFile file(folder.filePath(QStringLiteral("contract.pdf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kAttachmentBytes);
    file.close();
    add(QStringLiteral("Attached"), [&](OTVRecord& r) {
        r.setValue(2, QStringLiteral("attached user"));
        r.setMHasAttachment(true);
        r.setMAttachmentName(QStringLiteral("contract.pdf"));
        r.setMAttachmentPath(file.fileName());
        r.setMAttachmentState(kAttachmentStoreFile);
    });
    add(QStringLiteral("Long notes"), [](OTVRecord& r) {
        QString notes;
        for (int line = 0; line < 60; ++line)
            notes += QStringLiteral("Line %1 of the long notes, with some words to wrap.\n").arg(line);
        r.setMNotes(notes);
    });
    add(QStringLiteral("Empty"), [](OTVRecord&) {});
}

std::shared_ptr<OTVRecord> DetailsPaneStoreTest::loaded(const QString& title) const
{
    return second.mRecords().value(uids.value(title));
}

int DetailsPaneStoreTest::attachmentRows(const QString& recordUID)
{
    int code = 0;
    return second.extractAttachmentData(recordUID, &code).has_value() ? 1 : 0;
}

std::unique_ptr<BKDetailsView> DetailsPaneStoreTest::paneShowing(const std::shared_ptr<OTVRecord>& record, bool mask)
{
    auto pane = std::make_unique<BKDetailsView>();
    pane->setAttribute(Qt::WA_DontShowOnScreen);
    pane->setDataBase(&second);
    pane->resize(560, 480);
    pane->show();
    pane->setShouldMask(mask);
    pane->setHeaderTitle(record->value(1));
    pane->setDetailInfo(record);
    return pane;
}

QMap<int, Shown> DetailsPaneStoreTest::expectedRows(const QString& title, bool mask) const
{
    const std::shared_ptr<OTVRecord> record = loaded(title);
    const QString date = OTVRecord::modificationDateDisplayText(record->value(kNoOfFields));
    const auto hidden = [&](const QString& value) { return mask ? QStringLiteral("******") : value; };
    // A masked row copies nothing.
    const auto copied = [&](const QString& value) { return mask ? QStringLiteral("") : value; };
    QMap<int, Shown> rows{{0, {"Group:", groupName, groupName}}, {9, {"Date Mod:", date, date}}};
    if (title == "Full") {
        for (int field = 2; field <= 9; ++field) {
            const QString value = QStringLiteral("full %1 – é").arg(field);
            rows.insert(field - 1, {QStringLiteral("Server %1:").arg(field), field == 3 ? hidden(value) : value,
                                                                 field == 3 ? copied(value) : value});
        }
        rows.insert(11, {"Notes:", "short notes", "short notes"});
    } else if (title == "www.gaps.example") {
        rows.insert(1, {"Server 3:", hidden("gap secret"), copied("gap secret")});
        rows.insert(2, {"Server 7:", "https://portal.example", "https://portal.example"});
    } else if (title == "Custom") {
        rows.insert(1, {"Own 2:", hidden("own secret"), copied("own secret")});
        rows.insert(2, {"Own 4:", "own plain", "own plain"});
        rows.insert(9, {"Date Mod:", hidden(date), copied(date)});
    } else if (title == "Attached") {
        rows.insert(1, {"Server 2:", "attached user", "attached user"});
        rows.insert(10, {"Attachment:", "contract.pdf", ""});
    } else if (title == "Long notes") {
        rows.insert(11, {"Notes:", record->mNotes(), record->mNotes()});
    }
    return rows;
}

void DetailsPaneStoreTest::paneShowsEachRecordOfTheLoadedVault()
{
    for (const QString& title : uids.keys()) {
        for (bool mask : {true, false}) {
            const std::shared_ptr<OTVRecord> record = loaded(title);
            QVERIFY2(record, qPrintable(title));
            std::unique_ptr<BKDetailsView> pane = paneShowing(record, mask);
            BKTextTable* table = pane->infoView();
            const QMap<int, Shown> rows = expectedRows(title, mask);
            for (int row = 0; row < BKTextTable::kRowCount; ++row) {
                const Shown want = rows.value(row);
                const QString where = QStringLiteral("%1, mask %2, row %3").arg(title).arg(mask).arg(row);
                QVERIFY2(table->key(row) == want.label, qPrintable(where + ": " + table->key(row)));
                QVERIFY2(table->value(row) == want.value, qPrintable(where + ": " + table->value(row)));
                QVERIFY2(table->pasteboardString(row) == want.copy,
                         qPrintable(where + ": " + table->pasteboardString(row)));
                // Shown rows have a visible button on screen and a label rectangle.
                QVERIFY2(table->button(row)->isVisible() == !want.value.isEmpty(), qPrintable(where));
            }
            // The title is masked by bit 1 of the type (the custom type has its own mask).
            const bool titleMasked = mask && title != "Custom";
            QCOMPARE(pane->drawnTitle(), titleMasked ? QStringLiteral("******") : title);
            QCOMPARE(pane->titleIsLink(), !titleMasked && title.startsWith("www."));
            if (title == "Long notes") {
                QVERIFY(table->rowHeight(BKTextTable::kNotesRow) > 40 * table->lineHeight());
                QCOMPARE(table->height(), table->totalHeight());
                QVERIFY(table->scrollerVisible());
            }
        }
    }
}

void DetailsPaneStoreTest::copyButtonsCopyTheShownRecordsValues()
{
    std::unique_ptr<BKDetailsView> pane = paneShowing(loaded("Full"), true);
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Record after record in the same pane: every visible button copies the shown record's
    // real value, a masked row nothing, the header button its title.
    for (const QString& title : uids.keys()) {
        const std::shared_ptr<OTVRecord> record = loaded(title);
        pane->setHeaderTitle(record->value(1));
        pane->setDetailInfo(record);
        const QMap<int, Shown> rows = expectedRows(title, true);
        BKTextTable* table = pane->infoView();
        for (int row = 0; row < BKTextTable::kRowCount; ++row) {
            if (!table->button(row)->isVisible())
                continue;
            clipboard->setText(QStringLiteral("previous"));
            QTest::mouseClick(table->button(row), Qt::LeftButton);
            QVERIFY2(clipboard->text() == rows.value(row).copy,
                     qPrintable(QStringLiteral("%1 row %2: %3").arg(title).arg(row).arg(clipboard->text())));
        }
        QTest::mouseClick(pane->copyImageButton(), Qt::LeftButton);
        QCOMPARE(clipboard->text(), title);
    }
}

void DetailsPaneStoreTest::iconGridShowsBuiltInAndCustomIconsInOrder()
{
    QScrollArea area;
    auto* matrix = new BKImageMatrix(&second);
    area.setWidget(matrix);
    QList<int> numbers;
    for (const BKImageMatrix::Icon& icon : matrix->images()) {
        numbers.append(icon.number);
        QCOMPARE(icon.image, second.getImageFromIconIndex(icon.number));
    }
    QList<int> expected;
    for (int number = 1; number <= BKImageMatrix::kMaxIcons; ++number)
        expected.append(number);
    expected += customIcons;
    QCOMPARE(numbers, expected);
    QCOMPARE(matrix->rowCount(), (BKImageMatrix::kMaxIcons + 3 + 7) / 8);
    QCOMPARE(matrix->size(), QSize(8 * 32, matrix->rowCount() * 32));
    QCOMPARE(matrix->selectedIconNumber(), 1);

    const struct {
        int number;
        int row;   // -1: nothing selected
        int column;
    } selections[] = {
        {5, 0, 4}, {BKImageMatrix::kMaxIcons, 7, 6}, {customIcons[1], 8, 0}, {customIcons[2], 8, 1},
        {12345, -1, -1}, {0, -1, -1}, {-3, -1, -1}, {100, -1, -1}, {8, 0, 7},
    };
    for (const auto& s : selections) {
        matrix->setSelectedImage(s.number);
        QVERIFY2(matrix->selectedRow() == s.row && matrix->selectedColumn() == s.column,
                 qPrintable(QString::number(s.number)));
        QCOMPARE(matrix->selectedIconNumber(), s.row < 0 ? 0 : s.number);
    }

    // A click selects an icon; a click on an empty cell changes nothing.
    QTest::mouseClick(matrix, Qt::LeftButton, {}, QPoint(2 * 32 + 10, 1 * 32 + 10));
    QCOMPARE(matrix->selectedIconNumber(), 11);
    QCOMPARE(matrix->selectedIcon(), second.getImageFromIconIndex(11));
    QTest::mouseClick(matrix, Qt::LeftButton, {}, QPoint(6 * 32 + 10, 8 * 32 + 10));
    QCOMPARE(matrix->selectedIconNumber(), 11);

    // The order holds for a second grid over the same store.
    BKImageMatrix again(&second);
    QCOMPARE(again.images().size(), matrix->images().size());
    for (qsizetype place = 0; place < again.images().size(); ++place)
        QCOMPARE(again.images()[place].number, matrix->images()[place].number);
}

void DetailsPaneStoreTest::importedIconsReachTheGridOnTheMainThread()
{
    BKImageMatrix matrix(&second);
    const qsizetype before = matrix.images().size();

    // A notification posted on another thread changes the grid only once the main thread runs.
    int number = 0;
    QCOMPARE(second.insertCustomIconWithIndex(&number, png(Qt::yellow)), kOTVStatusOK);
    std::thread worker([number] {
        BKNotificationCenter::defaultCenter().postNotification(kExternalIconCreatedNotification, number);
    });
    worker.join();
    QCOMPARE(matrix.images().size(), before);
    QTRY_COMPARE(matrix.images().size(), before + 1);
    QCOMPARE(matrix.images().last().number, number);
    QCOMPARE(matrix.selectedIconNumber(), number);

    // The store's own import, on its worker.
    const QString picture = folder.filePath(QStringLiteral("imported.png"));
    QFile file(picture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(png(Qt::magenta));
    file.close();
    const QList<int> imported = second.importCustomIcons({picture});
    QCOMPARE(imported.size(), 1);
    QTRY_COMPARE(matrix.images().size(), before + 2);
    QCOMPARE(matrix.selectedIconNumber(), imported.first());
    QCOMPARE(matrix.selectedRow(), int((before + 1) / 8));
}

void DetailsPaneStoreTest::doubleClickEditsThroughTheStore()
{
    ScriptedController controller;
    std::unique_ptr<BKDetailsView> pane = paneShowing(loaded("Full"), true);
    pane->setDelegate(&controller);
    const QPoint inRows = pane->infoViewScroller()->geometry().center();
    const auto doubleClick = [&] {
        controller.calls.clear();
        alerts.alerts.clear();
        QTest::mouseDClick(pane.get(), Qt::LeftButton, {}, QPoint(15, 15));
    };

    // Nothing selected, or no right to edit: the window is not shown.
    controller.selected = nullptr;
    doubleClick();
    QCOMPARE(controller.calls, QStringList());
    controller.selected = loaded("Full");
    controller.mayEdit = false;
    doubleClick();
    QCOMPARE(controller.calls, QStringList({"permission(2)"}));
    controller.mayEdit = true;

    // Cancelled: nothing is written, the tables are not refreshed.
    controller.answerOperation = 1;
    controller.answerRecord = nullptr;
    doubleClick();
    QCOMPARE(controller.calls, QStringList({"permission(2)", "window(1)"}));
    QCOMPARE(controller.shownInWindow, loaded("Full"));

    // Edited: the record is replaced in the store.
    auto edited = std::make_shared<OTVRecord>(*loaded("Full"));
    edited->setValue(2, QStringLiteral("edited value"));
    controller.answerRecord = edited;
    doubleClick();
    QCOMPARE(controller.calls, QStringList({"permission(2)", "window(1)", "updateTables"}));
    QCOMPARE(second.mRecords().value(uids["Full"])->value(2), QStringLiteral("edited value"));
    QVERIFY(alerts.alerts.isEmpty());

    // Deleted in the window: the controller deletes.
    controller.answerOperation = 3;
    doubleClick();
    QCOMPARE(controller.calls, QStringList({"permission(2)", "window(1)", "deleteRecord", "updateTables"}));

    // Saved as new with the attachment: the new record gets a copy of the attachment row.
    controller.selected = loaded("Attached");
    auto duplicate = OTVRecord::copyRecord(*loaded("Attached"));
    controller.answerOperation = 2;
    controller.answerRecord = duplicate;
    const qsizetype recordsBefore = second.mRecords().size();
    doubleClick();
    QCOMPARE(controller.calls, QStringList({"permission(2)", "window(1)", "updateTables"}));
    QCOMPARE(second.mRecords().size(), recordsBefore + 1);
    QCOMPARE(duplicate->mAttachmentState(), int(kAttachmentCopyRow));
    int code = -1;
    const std::optional<QByteArray> copied = second.extractAttachmentData(duplicate->mRecordUID(), &code);
    QVERIFY(copied.has_value());
    QVERIFY(copied->startsWith(kAttachmentBytes));
    QVERIFY(alerts.alerts.isEmpty());

    // Saved as new, but the add fails (the UID is stored already): no row is copied, and the
    // user is told.
    auto clash = OTVRecord::copyRecord(*loaded("Attached"));
    clash->setMRecordUID(uids["Long notes"]);
    controller.answerRecord = clash;
    doubleClick();
    QCOMPARE(alerts.messages(), QStringList({"Operation failed. Please reload the database first."}));
    QCOMPARE(alerts.alerts.first().title, QStringLiteral("Ostrevin Darovazivu Alert!"));
    QCOMPARE(attachmentRows(uids["Long notes"]), 0);
    QCOMPARE(controller.calls.last(), QStringLiteral("updateTables"));

    // A replace that the store refuses is shown as well.
    auto gone = std::make_shared<OTVRecord>(*loaded("Empty"));
    gone->setMRecordUID(QStringLiteral("0123456789ABCDEF"));
    controller.answerOperation = 1;
    controller.answerRecord = gone;
    doubleClick();
    QCOMPARE(alerts.messages(), QStringList({"Operation failed. Please reload the database first."}));
    Q_UNUSED(inRows);
}

QTEST_MAIN(DetailsPaneStoreTest)
#include "DetailsPaneStoreTest.moc"
