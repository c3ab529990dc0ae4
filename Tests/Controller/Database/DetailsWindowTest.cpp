// The record details window against a vault on the fixture's MariaDB: records of each kind of
// type are added through it, then edited, duplicated and deleted through the details pane that
// calls it, and what the server holds afterwards is read back by a second client. Cancelling at
// any step, Esc and the window manager's close change nothing; values too long for their column,
// attachments over the size limit and links to them are refused; a second Duplicate press stores
// at once; imported icons reach the icon grid and the store while the interface waits.
#include "Controller/BKController.h"
#include "Controller/BKDetailsWindowController.h"
#include "Controller/BKMainWindowViews.h"
#include "../ControllerTestSupport.h"

#include "Customization/BKDetailsView.h"
#include "Customization/BKDetailsViewDelegate.h"
#include "Customization/BKImageMatrix.h"
#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/Database_Engine/VaultTestSupport.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Platform/BKNotificationCenter.h"
#include "Support/RecordingApplicationServices.h"
#include "Support/StoreConnectRequest.h"
#include "Support/TemporarySettings.h"
#include "Support/TestServer.h"

#include <cppconn/connection.h>
#include <cppconn/resultset.h>
#include <cppconn/statement.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kMasterPassword = QStringLiteral("Window vault 1");

// The pane's caller side: the selected record, and the delete that the record commands run.
class PaneCaller final : public BKDetailsViewDelegate {
public:
    PaneCaller(BKDetailsWindowController& window, OTVDataBase& store) : window_(window), store_(store) {}
    std::shared_ptr<OTVRecord> itemPropertiesForTableViewSelectedRow() const override { return selected; }
    bool checkForRecordPermissionForSelectedGroup(int) override { return true; }
    std::shared_ptr<OTVRecord> orderFrontDetailsWindowWithInfo(const std::shared_ptr<OTVRecord>& info,
                                                               int* operation,
                                                               const BKDetailsAnswerWriter& write) override
    {
        answer = window_.orderFrontDetailsWindowWithInfo(info, operation, write);
        answeredOperation = *operation;
        return answer;
    }
    void deleteRecordFromWindow(const std::shared_ptr<OTVRecord>& record) override
    {
        deleteStatus = store_.deleteRecord(record);
    }
    void updateTables() override {}
    QMenu* extendMenu(QContextMenuEvent*, BKDetailsView*) override { return nullptr; }

    std::shared_ptr<OTVRecord> selected;
    std::shared_ptr<OTVRecord> answer;
    int answeredOperation = -1;
    int deleteStatus = -1;

private:
    BKDetailsWindowController& window_;
    OTVDataBase& store_;
};

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class DetailsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void addEditDuplicateDeleteEachKind_data();
    void addEditDuplicateDeleteEachKind();
    void cancellingChangesNothing_data();
    void cancellingChangesNothing();
    void valueTooLongKeepsWhatWasTyped_data();
    void valueTooLongKeepsWhatWasTyped();
    void attachmentOverTheLimitIsRefused_data();
    void attachmentOverTheLimitIsRefused();
    void attachmentRemovalAsksFirst();
    void deleteAnsweredNoGoesBackToWhatWasTyped();
    void secondDuplicateStoresAtOnce();
    void failedDuplicateIsShownAndNotLogged();
    void notesAreCutAtTheLimit();
    void labelsMarksAndTypeChange();
    void datePickerReadsAndWritesTheField();
    void iconOfItsOwnCustomisesTheRecord();
    void generatorAndCustomizeReachTheirCells();
    void printingStoresNothing();
    void autoFillRunsTheWebLoginOfWhatIsShown();
    void theWindowKeepsItsWidthAcrossTypes();
    void importedIconsReachGridAndStoreBehindThePanel();

private:
    bool openStore(OTVDataBase& store);
    std::unique_ptr<OTVDataBase> readBack();
    int rowCount(const QString& table, const QString& where = QString());
    std::shared_ptr<OTVRecord> run(const std::shared_ptr<OTVRecord>& record, int* operation,
                                   std::function<void()> script);
    void chooseType(const QString& name);
    std::shared_ptr<OTVRecord> storedWithTitle(const QString& title);
    std::shared_ptr<OTVRecord> addThroughWindow(const QString& title, const QString& typeName);
    QString fileOfSize(const QString& name, qint64 size, char fill = 'x');

    TestServer server;
    RecordingApplicationServices services;
    RecordingAlertPresenter alerts;
    std::unique_ptr<TemporarySettings> settings;
    QTemporaryDir files;
    std::unique_ptr<OTVDataBase> store;
    std::unique_ptr<BKDetailsWindowController> window;
    std::shared_ptr<BKGroup> banking;
    QMap<QString, std::shared_ptr<OTVType>> types;

    // What the window's helpers answer.
    QStringList picked;
    QString generated;
    std::optional<OTVType> customAnswer;
    QList<QString> printedTitles;
};

bool DetailsWindowTest::openStore(OTVDataBase& client)
{
    const OTVConnectRequest request = StoreConnectRequest(server, server.admin, kMasterPassword);
    return client.startConnectionToServer(request) == kOTVStatusOK &&
           client.initUserDetails(server.admin.user, server.admin.password) == kOTVStatusOK;
}

std::unique_ptr<OTVDataBase> DetailsWindowTest::readBack()
{
    auto client = std::make_unique<OTVDataBase>();
    if (!openStore(*client) || client->loadDataBase(false) != kOTVStatusOK)
        return nullptr;
    return client;
}

int DetailsWindowTest::rowCount(const QString& table, const QString& where)
{
    std::unique_ptr<sql::Connection> connection = server.connect(server.root);
    if (!connection)
        return -1;
    std::unique_ptr<sql::Statement> statement(connection->createStatement());
    const QString query = QStringLiteral("SELECT COUNT(*) FROM vivododadi.%1 %2").arg(table, where);
    std::unique_ptr<sql::ResultSet> result(statement->executeQuery(query.toStdString()));
    return result->next() ? result->getInt(1) : -1;
}

void DetailsWindowTest::initTestCase()
{
    QVERIFY(TestServer::fromEnvironment(&server));
    settings = std::make_unique<TemporarySettings>();
    server.execAsRoot(QStringLiteral("DROP DATABASE IF EXISTS vivododadi"));
    store = std::make_unique<OTVDataBase>();
    QCOMPARE(store->startConnectionToServer(StoreConnectRequest(server, server.admin)), kOTVStatusOK);
    int status = -1;
    QVERIFY(store->isVirginLaunch(&status));
    QCOMPARE(store->setMasterPassword(kMasterPassword), kOTVStatusOK);
    QCOMPARE(store->initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    const std::shared_ptr<OTVUser> me = store->mCurrentUser();
    store->initUserPreferencesForUser(me->mUserID(), me->mUsername(), &status);
    store->addUserPersonalGroup(*me);
    QCOMPARE(store->loadDataBase(true), kOTVStatusOK);

    banking = BKGroup::newGroup();
    banking->setMGroupName(QStringLiteral("Banking"));
    banking->setMRecordLevelPermissions(7);
    banking->setMUserMembersArray(QStringList{me->mUserID()});
    banking->setMSubGroupsUID(QStringList{});
    QCOMPARE(store->addGroup(banking), kOTVStatusOK);

    struct TypeRow {
        const char* name;
        const char* uid;
        int icon;
        int mask;
        QStringList labels;
    };
    const TypeRow rows[] = {
        {"Web Login", "0000000000000012", 5, 0x2, {"Site", "Password", "User name"}},
        {"Test Card", nullptr, 6, 0x6 | 0x200, {"Bank", "Number", "PIN", "Expiry Date", "UPDATED ON"}},
        {"Test Memo", nullptr, 7, 0x0, {"Title", "", "Dat e"}},
    };
    for (const TypeRow& row : rows) {
        // The web-login type comes with a new vault: it is given the labels of this test.
        const std::shared_ptr<OTVType> seeded = row.uid ? store->mTypes().value(QLatin1String(row.uid)) : nullptr;
        auto type = seeded ? OTVType::createCopyforType(*seeded) : OTVType::createType();
        type->setMTypeName(QLatin1String(row.name));
        type->setMTypeIconID(row.icon);
        type->setMTypeMask(row.mask);
        for (int field = 1; field <= kNoOfFields; ++field)
            type->setLabel(field, field <= row.labels.size() ? row.labels.at(field - 1) : QString());
        QCOMPARE(seeded ? store->updateType(type) : store->addType(type), kOTVStatusOK);
        types.insert(QLatin1String(row.name), store->mTypes().value(type->mTypeUID()));
    }
}

void DetailsWindowTest::init()
{
    window = std::make_unique<BKDetailsWindowController>(store.get());
    window->setFilePicker([this](QWidget*, BKDetailsWindowController::OpenPanel) { return picked; });
    window->setPasswordGenerator([this](QWidget*) { return generated; });
    window->setCustomSettingsPanel(
        [this](QWidget*, const OTVType&, const OTVType&) { return customAnswer; });
    window->setRecordPrinter([this](QWidget*, BKDetailsView& view) { printedTitles.append(view.headerTitle()); });
    window->setWebLogin([](const OTVRecord&) {});
    alerts.alerts.clear();
    alerts.answers.clear();
    picked.clear();
    generated.clear();
    customAnswer.reset();
    printedTitles.clear();
}

void DetailsWindowTest::cleanup()
{
    window.reset();
}

std::shared_ptr<OTVRecord> DetailsWindowTest::run(const std::shared_ptr<OTVRecord>& record, int* operation,
                                                  std::function<void()> script)
{
    // A check that failed inside the script leaves the window open: close it, or the test hangs.
    whenVisible(window.get(), [this, script = std::move(script)] {
        script();
        if (window->iconSelectionPanel()->isVisible())
            window->iconSelectionPanel()->reject();
        if (window->isVisible() && QTest::currentTestFailed())
            window->detailPanelCancel();
    });
    return window->orderFrontDetailsWindowWithInfo(record, operation);
}

void DetailsWindowTest::chooseType(const QString& name)
{
    const int index = window->typesPopup()->findText(name);
    window->typesPopup()->setCurrentIndex(index);
    emit window->typesPopup()->activated(index);
}

std::shared_ptr<OTVRecord> DetailsWindowTest::storedWithTitle(const QString& title)
{
    for (const auto& record : store->mRecords())
        if (record->value(1) == title)
            return record;
    return nullptr;
}

// A record of `typeName` added through the window as the record commands do.
std::shared_ptr<OTVRecord> DetailsWindowTest::addThroughWindow(const QString& title, const QString& typeName)
{
    auto fresh = OTVRecord::createRecord();
    fresh->setMGroup(banking);
    int operation = kDetailsAdd;
    const std::shared_ptr<OTVRecord> answer = run(fresh, &operation, [&] {
        chooseType(typeName);
        window->valueField(1)->setText(title);
        window->valueField(2)->setText(QStringLiteral("second of ") + title);
        window->detailPanelOK();
    });
    if (!answer || operation != kDetailsAdd || store->addRecord(answer) != kOTVStatusOK)
        return nullptr;
    return answer;
}

QString DetailsWindowTest::fileOfSize(const QString& name, qint64 size, char fill)
{
    const QString path = files.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(QByteArray(size, fill));
    return path;
}

// ---------------------------------------------------------------------------------------------

void DetailsWindowTest::addEditDuplicateDeleteEachKind_data()
{
    QTest::addColumn<QString>("typeName");
    QTest::addColumn<bool>("customLabels");
    QTest::addColumn<bool>("date");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<bool>("attachment");
    QTest::newRow("web login, masked password") << "Web Login" << false << false << "" << false;
    QTest::newRow("card with a date field") << "Test Card" << false << true << "" << false;
    QTest::newRow("memo with labels of its own") << "Test Memo" << true << false << "" << false;
    QTest::newRow("card with notes and an attachment") << "Test Card" << false << false << "PIN at the branch\nline 2"
                                                       << true;
    QTest::newRow("login with everything") << "Web Login" << true << false << QString(4000, QLatin1Char('n'))
                                           << true;
}

void DetailsWindowTest::addEditDuplicateDeleteEachKind()
{
    QFETCH(QString, typeName);
    QFETCH(bool, customLabels);
    QFETCH(bool, date);
    QFETCH(QString, notes);
    QFETCH(bool, attachment);
    const QString title = QStringLiteral("%1 record").arg(QTest::currentDataTag());
    const QString attached = fileOfSize(QStringLiteral("statement.pdf"), 70000, 's');
    if (customLabels) {
        OTVType own = *OTVType::createCopyforType(*types[typeName]);
        own.setLabel(2, QStringLiteral("Secret word"));
        own.setLabel(5, QStringLiteral("Renewal date"));
        own.setMTypeMask(0x10);
        customAnswer = own;
    }

    // Add, as the record commands do: a new record of the selected group and no type.
    auto fresh = OTVRecord::createRecord();
    fresh->setMGroup(banking);
    int operation = kDetailsAdd;
    std::shared_ptr<OTVRecord> answer = run(fresh, &operation, [&] {
        chooseType(typeName);
        window->valueField(1)->setText(title);
        window->valueField(2)->setText(QStringLiteral("s3cret"));
        window->valueField(3)->setText(QStringLiteral("third"));
        if (customLabels)
            window->displayCustomSettingsPanel();
        if (date) {
            window->valueField(4)->setText(QStringLiteral("3/7/09"));
            window->displayDatePickerWindow(4);
            window->datePicker()->setSelectedDate(QDate(2031, 10, 4));
            window->disposeDatePicker();
        }
        window->notesView()->setPlainText(notes);
        if (attachment) {
            picked = {attached};
            window->attachdetachFile();
        }
        window->detailPanelOK();
    });
    QVERIFY(answer);
    QCOMPARE(operation, int(kDetailsAdd));
    QVERIFY(alerts.alerts.isEmpty());
    const int records = rowCount(QStringLiteral("RECORDTABLE"));
    QCOMPARE(store->addRecord(answer), kOTVStatusOK);
    QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records + 1);
    const QString uid = answer->mRecordUID();

    const auto checkStored = [&](const QString& uidToRead, const QString& field1, const QString& field2) {
        std::unique_ptr<OTVDataBase> reader = readBack();
        QVERIFY(reader);
        const std::shared_ptr<OTVRecord> stored = reader->getRecordForUID(uidToRead);
        QVERIFY(stored);
        QCOMPARE(stored->value(1), field1);
        QCOMPARE(stored->value(2), field2);
        QCOMPARE(stored->value(3), QStringLiteral("third"));
        QCOMPARE(stored->value(4), date ? QStringLiteral("10/4/31") : QString(""));
        QCOMPARE(stored->mType()->mTypeUID(), types[typeName]->mTypeUID());
        QCOMPARE(stored->mGroup()->mGroupName(), QStringLiteral("Banking"));
        QCOMPARE(stored->mNotes(), notes);
        QCOMPARE(stored->mIsCustomized(), customLabels);
        if (customLabels) {
            QCOMPARE(stored->mRecordCustomType()->label(2), QStringLiteral("Secret word"));
            QCOMPARE(stored->mRecordCustomType()->mTypeMask(), std::optional<int>(0x10));
        }
        QCOMPARE(stored->mHasAttachment(), attachment);
        if (attachment) {
            QCOMPARE(stored->mAttachmentName(), QStringLiteral("statement.pdf"));
            int code = -1;
            QVERIFY(reader->extractAttachmentData(uidToRead, &code).value_or(QByteArray()).startsWith(bytesOf(attached)));
        }
    };
    checkStored(uid, title, QStringLiteral("s3cret"));
    if (QTest::currentTestFailed())
        return;

    // Edit through the details pane: the record keeps its UID, labels and attachment.
    BKDetailsView pane;
    pane.setDataBase(store.get());
    PaneCaller caller(*window, *store);
    pane.setDelegate(&caller);
    caller.selected = store->getRecordForUID(uid);
    whenVisible(window.get(), [&] {
        QCOMPARE(window->valueField(2)->text(), QStringLiteral("s3cret"));
        QVERIFY(window->deleteButton()->isEnabled());
        window->valueField(2)->setText(QStringLiteral("changed"));
        window->detailPanelOK();
    });
    pane.editSelectedRecord();
    QCOMPARE(caller.answeredOperation, int(kDetailsEdit));
    QCOMPARE(caller.answer->mRecordUID(), uid);
    QVERIFY(alerts.alerts.isEmpty());
    QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records + 1);
    checkStored(uid, title, QStringLiteral("changed"));
    if (QTest::currentTestFailed())
        return;

    // Duplicate: the first press only marks the copy; OK stores it as a new record.
    caller.selected = store->getRecordForUID(uid);
    whenVisible(window.get(), [&] {
        window->duplicateItem();
        QVERIFY(!window->deleteButton()->isEnabled());
        window->detailPanelOK();
    });
    pane.editSelectedRecord();
    QCOMPARE(caller.answeredOperation, int(kDetailsDuplicate));
    const QString copyUID = caller.answer->mRecordUID();
    QVERIFY(copyUID != uid);
    QVERIFY(alerts.alerts.isEmpty());
    QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records + 2);
    checkStored(copyUID, title + QStringLiteral(" Copy"), QStringLiteral("changed"));
    if (QTest::currentTestFailed())
        return;

    // Delete from the window, Yes to its question: the caller deletes the record; its copy stays.
    caller.selected = store->getRecordForUID(uid);
    alerts.answers = {kBKAlertAlternateReturn};
    whenVisible(window.get(), [&] { window->deleteItem(); });
    pane.editSelectedRecord();
    QCOMPARE(caller.answeredOperation, int(kDetailsDelete));
    QVERIFY(!caller.answer);
    QCOMPARE(caller.deleteStatus, kOTVStatusOK);
    QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records + 1);
    QCOMPARE(rowCount(QStringLiteral("RECORDTABLE"), QStringLiteral("WHERE RECORDID='%1'").arg(uid)), 0);
    checkStored(copyUID, title + QStringLiteral(" Copy"), QStringLiteral("changed"));
}

// ---------------------------------------------------------------------------------------------

void DetailsWindowTest::cancellingChangesNothing_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("stage");
    QTest::addColumn<QString>("how");
    const QStringList stages = {"opened", "values typed", "Duplicate pressed", "file attached",
                                "attachment removed", "type changed", "labels customised"};
    for (const char* how : {"Cancel", "Esc", "close"}) {
        QTest::addRow("add, %s", how) << int(kDetailsAdd) << "values typed" << how;
        QTest::addRow("duplicate, %s", how) << int(kDetailsDuplicate) << "values typed" << how;
        for (const QString& stage : stages)
            QTest::addRow("edit, %s, %s", qPrintable(stage), how) << int(kDetailsEdit) << stage << how;
    }
}

void DetailsWindowTest::cancellingChangesNothing()
{
    QFETCH(int, operation);
    QFETCH(QString, stage);
    QFETCH(QString, how);
    // A customised record with an attachment, so that every stage has something to change.
    auto given = OTVRecord::createRecord();
    given->setMGroup(banking);
    given->setMType(types["Test Card"]);
    given->setValue(1, QStringLiteral("Cancel target"));
    given->setValue(2, QStringLiteral("1234"));
    OTVType own = *OTVType::createCopyforType(*types["Test Card"]);
    own.setLabel(1, QStringLiteral("Issuer"));
    given->setMRecordCustomType(own);
    given->setMIsCustomized(true);
    given->setMHasAttachment(true);
    given->setMAttachmentName(QStringLiteral("card.png"));
    given->setMAttachmentPath(fileOfSize(QStringLiteral("card.png"), 500));
    given->setMAttachmentState(kAttachmentStoreFile);
    if (operation != kDetailsAdd)
        QCOMPARE(store->addRecord(given), kOTVStatusOK);
    const QString tables[] = {"RECORDTABLE", "ATTACHMENTTABLE", "CUSTOMTYPETABLE", "EVENTLOGGERTABLE"};
    QList<int> before;
    for (const QString& table : tables)
        before.append(rowCount(table));
    picked = {fileOfSize(QStringLiteral("other.txt"), 100)};
    customAnswer = own;

    int op = operation;
    const std::shared_ptr<OTVRecord> answer = run(given, &op, [&] {
        window->valueField(1)->setText(QStringLiteral("typed"));
        if (stage == QLatin1String("Duplicate pressed")) {
            window->duplicateItem();
        } else if (stage == QLatin1String("file attached")) {
            alerts.answers = {kBKAlertAlternateReturn};
            window->attachdetachFile();   // removes the stored one (Yes)
            window->attachdetachFile();   // and picks another
        } else if (stage == QLatin1String("attachment removed")) {
            alerts.answers = {kBKAlertAlternateReturn};
            window->attachdetachFile();
        } else if (stage == QLatin1String("type changed")) {
            chooseType(QStringLiteral("Test Memo"));
        } else if (stage == QLatin1String("labels customised")) {
            window->displayCustomSettingsPanel();
        }
        if (how == QLatin1String("Cancel"))
            window->detailPanelCancel();
        else if (how == QLatin1String("Esc"))
            QTest::keyClick(window.get(), Qt::Key_Escape);
        else
            window->close();
    });

    QVERIFY(!answer);
    QCOMPARE(op, operation);
    QVERIFY(!window->isVisible());
    for (int index = 0; index < 4; ++index)
        QCOMPARE(rowCount(tables[index]), before.at(index));
    // The given record, which the store's map shares, is as it was.
    QCOMPARE(given->value(1), QStringLiteral("Cancel target"));
    QVERIFY(given->mIsCustomized());
    QCOMPARE(given->mRecordCustomType()->label(1), QStringLiteral("Issuer"));
    QCOMPARE(given->mType(), types["Test Card"]);
    QVERIFY(given->mHasAttachment());
    if (operation != kDetailsAdd)
        QCOMPARE(store->deleteRecord(given), kOTVStatusOK);
}

// ---------------------------------------------------------------------------------------------

void DetailsWindowTest::valueTooLongKeepsWhatWasTyped_data()
{
    QTest::addColumn<bool>("editing");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("label");
    QTest::newRow("a new record's 300-character title") << false << 1 << QString(300, QLatin1Char('L')) << "Title";
    QTest::newRow("an edited record's 242 UTF-8 bytes") << true << 2 << QString(121, QChar(0xE9)) << "Field 2";
    QTest::newRow("a new record's 241 bytes in field 9") << false << 9 << QString(241, QLatin1Char('n')) << "Field 9";
}

// OK names the field the store would refuse and keeps the window open with everything typed;
// once the value is mended, OK stores all of it.
void DetailsWindowTest::valueTooLongKeepsWhatWasTyped()
{
    QFETCH(bool, editing);
    QFETCH(int, field);
    QFETCH(QString, value);
    QFETCH(QString, label);
    const QString title = QStringLiteral("Kept %1").arg(QTest::currentDataTag());
    const std::shared_ptr<OTVRecord> edited = editing ? addThroughWindow(title, QStringLiteral("Test Memo")) : nullptr;
    QVERIFY(!editing || edited);
    const int records = rowCount(QStringLiteral("RECORDTABLE"));

    bool stayedOpen = false;
    const auto script = [&] {
        if (!editing) {
            chooseType(QStringLiteral("Test Memo"));
            window->valueField(1)->setText(title);
        }
        window->valueField(3)->setText(QStringLiteral("typed third"));
        window->notesView()->setPlainText(QStringLiteral("typed notes"));
        window->valueField(field)->setText(value);
        window->detailPanelOK();
        stayedOpen = window->isVisible();
        QCOMPARE(window->valueField(field)->text(), value);
        QCOMPARE(window->valueField(3)->text(), QStringLiteral("typed third"));
        QCOMPARE(window->notesView()->toPlainText(), QStringLiteral("typed notes"));
        QCOMPARE(window->focusWidget(), window->valueField(field));
        QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records);
        window->valueField(field)->setText(field == 1 ? title : QStringLiteral("mended"));
        window->detailPanelOK();
    };
    const auto guarded = [&] {
        script();
        if (window->isVisible() && QTest::currentTestFailed())
            window->detailPanelCancel();
    };

    if (editing) {
        BKDetailsView pane;
        pane.setDataBase(store.get());
        PaneCaller caller(*window, *store);
        pane.setDelegate(&caller);
        caller.selected = edited;
        whenVisible(window.get(), guarded);
        pane.editSelectedRecord();
    } else {
        auto fresh = OTVRecord::createRecord();
        fresh->setMGroup(banking);
        int operation = kDetailsAdd;
        const std::shared_ptr<OTVRecord> answer = run(fresh, &operation, script);
        QVERIFY(answer);
        QCOMPARE(store->addRecord(answer), kOTVStatusOK);
    }

    QVERIFY(stayedOpen);
    QCOMPARE(alerts.messages(),
             QStringList{label + QStringLiteral(": The value is too long or contains characters that cannot be stored.")});
    QCOMPARE(alerts.alerts.first().title, QStringLiteral("Ostrevin Darovazivu Alert!"));
    std::unique_ptr<OTVDataBase> reader = readBack();
    QVERIFY(reader);
    std::shared_ptr<OTVRecord> stored;
    for (const auto& record : reader->mRecords())
        if (record->value(1) == title)
            stored = record;
    QVERIFY(stored);
    QCOMPARE(stored->value(3), QStringLiteral("typed third"));
    QCOMPARE(stored->mNotes(), QStringLiteral("typed notes"));
    if (field != 1)
        QCOMPARE(stored->value(field), QStringLiteral("mended"));
}

// AutoFill runs the main window's web login on the record as the window shows it, typed values
// included, and stores nothing; without a web login to run, and for other types, it is hidden.
void DetailsWindowTest::autoFillRunsTheWebLoginOfWhatIsShown()
{
    const int records = rowCount(QStringLiteral("RECORDTABLE"));
    auto fresh = OTVRecord::createRecord();
    fresh->setMGroup(banking);
    int operation = kDetailsAdd;
    window->setWebLogin({});
    run(fresh, &operation, [&] {
        chooseType(QStringLiteral("Web Login"));
        QVERIFY(window->autoFillButton()->isHidden());
        window->detailPanelCancel();
    });

    QStringList loggedIn;
    window->setWebLogin([&](const OTVRecord& record) { loggedIn << record.value(3) << record.value(4); });
    const std::shared_ptr<OTVRecord> answer = run(fresh, &operation, [&] {
        chooseType(QStringLiteral("Test Memo"));
        QVERIFY(window->autoFillButton()->isHidden());
        chooseType(QStringLiteral("Web Login"));
        QVERIFY(!window->autoFillButton()->isHidden());
        window->valueField(3)->setText(QStringLiteral("typed secret"));
        window->valueField(4)->setText(QStringLiteral("www.example.org"));
        QTest::mouseClick(window->autoFillButton(), Qt::LeftButton);
        QVERIFY(window->isVisible());
        window->detailPanelCancel();
    });
    QVERIFY(!answer);
    QCOMPARE(loggedIn, (QStringList{"typed secret", "www.example.org"}));
    QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records);
}

// Labels and date buttons change with the type; the window's width does not.
void DetailsWindowTest::theWindowKeepsItsWidthAcrossTypes()
{
    auto fresh = OTVRecord::createRecord();
    fresh->setMGroup(banking);
    int operation = kDetailsAdd;
    QList<int> widths;
    run(fresh, &operation, [&] {
        for (const char* type : {"Test Memo", "Test Card", "Web Login", "Test Memo"}) {
            chooseType(QLatin1String(type));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            widths.append(window->sizeHint().width());
        }
        window->detailPanelCancel();
    });
    QCOMPARE(widths, QList<int>(4, widths.first()));
}

void DetailsWindowTest::attachmentOverTheLimitIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("refusal");
    const QString size = QStringLiteral("The attachment size exceeds 1MB limit.");
    const QString name = QStringLiteral("The value is too long or contains characters that cannot be stored.");
    QTest::newRow("1048575 bytes") << "below" << true << "";
    QTest::newRow("1048576 bytes") << "limit" << false << size;
    QTest::newRow("a link to a 2 MB file") << "link" << false << size;
    QTest::newRow("a file that is gone") << "missing" << false << size;
    QTest::newRow("a name of 240 UTF-8 bytes") << "name240" << true << "";
    QTest::newRow("a name of 81 three-byte characters") << "name243" << false << name;
}

void DetailsWindowTest::attachmentOverTheLimitIsRefused()
{
    QFETCH(QString, kind);
    QFETCH(bool, accepted);
    QFETCH(QString, refusal);
    const QString big = fileOfSize(QStringLiteral("big.bin"), 2 * 1048576);
    const QString link = files.filePath(QStringLiteral("small-looking.pdf"));
    QFile::remove(link);
    QVERIFY(QFile::link(big, link));
    const QMap<QString, QString> paths = {
        {"below", fileOfSize(QStringLiteral("below.bin"), 1048575)},
        {"limit", fileOfSize(QStringLiteral("limit.bin"), 1048576)},
        {"link", link},
        {"missing", files.filePath(QStringLiteral("gone.bin"))},
        {"name240", fileOfSize(QString(80, QChar(0x4E2D)), 30)},
        {"name243", fileOfSize(QString(81, QChar(0x4E2D)), 30)},
    };
    picked = {paths.value(kind)};
    auto fresh = OTVRecord::createRecord();
    fresh->setMGroup(banking);
    int operation = kDetailsAdd;
    const int attachments = rowCount(QStringLiteral("ATTACHMENTTABLE"));
    const std::shared_ptr<OTVRecord> answer = run(fresh, &operation, [&] {
        chooseType(QStringLiteral("Test Memo"));
        window->valueField(1)->setText(QStringLiteral("attachment ") + kind);
        window->attachdetachFile();
        QCOMPARE(window->hasAttachment(), accepted);
        QCOMPARE(window->attachmentNameField()->text(), accepted ? QFileInfo(picked.first()).fileName() : QString());
        window->detailPanelOK();
    });
    QVERIFY(answer);
    if (!accepted) {
        QCOMPARE(alerts.messages(), QStringList({refusal}));
        QCOMPARE(alerts.alerts.first().defaultButton, QStringLiteral("OK"));
        QVERIFY(!answer->mHasAttachment());
        QCOMPARE(answer->mAttachmentState(), int(kAttachmentUnchanged));
        return;
    }
    QVERIFY(alerts.alerts.isEmpty());
    QCOMPARE(answer->mAttachmentState(), int(kAttachmentStoreFile));
    QCOMPARE(store->addRecord(answer), kOTVStatusOK);
    QCOMPARE(rowCount(QStringLiteral("ATTACHMENTTABLE")), attachments + 1);
    int code = -1;
    QVERIFY(store->extractAttachmentData(answer->mRecordUID(), &code)
                .value_or(QByteArray())
                .startsWith(bytesOf(picked.first())));
}

// Delete asks in the window: No returns to it with what was typed, and OK then stores that.
void DetailsWindowTest::deleteAnsweredNoGoesBackToWhatWasTyped()
{
    const std::shared_ptr<OTVRecord> given = addThroughWindow(QStringLiteral("Asked first"), QStringLiteral("Test Memo"));
    QVERIFY(given);
    const int records = rowCount(QStringLiteral("RECORDTABLE"));
    BKDetailsView pane;
    pane.setDataBase(store.get());
    PaneCaller caller(*window, *store);
    pane.setDelegate(&caller);
    caller.selected = given;
    alerts.answers = {kBKAlertDefaultReturn};   // No
    bool keptOpen = false;
    whenVisible(window.get(), [&] {
        window->valueField(2)->setText(QStringLiteral("typed, then Delete"));
        window->deleteItem();
        keptOpen = window->isVisible() && window->valueField(2)->text() == QLatin1String("typed, then Delete");
        window->detailPanelOK();
        if (window->isVisible())
            window->detailPanelCancel();
    });
    pane.editSelectedRecord();
    QVERIFY(keptOpen);
    QCOMPARE(alerts.messages(), QStringList{"Are you realy sure you want to delete the selected item(s)?"});
    QCOMPARE(alerts.alerts.first().defaultButton, QStringLiteral("No"));
    QCOMPARE(caller.answeredOperation, int(kDetailsEdit));
    QCOMPARE(caller.deleteStatus, -1);
    QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records);
    std::unique_ptr<OTVDataBase> reader = readBack();
    QVERIFY(reader);
    QCOMPARE(reader->getRecordForUID(given->mRecordUID())->value(2), QStringLiteral("typed, then Delete"));
}

void DetailsWindowTest::attachmentRemovalAsksFirst()
{
    auto given = OTVRecord::createRecord();
    given->setMGroup(banking);
    given->setMType(types["Test Memo"]);
    given->setValue(1, QStringLiteral("Removal"));
    given->setMHasAttachment(true);
    given->setMAttachmentName(QStringLiteral("keep.txt"));
    given->setMAttachmentPath(fileOfSize(QStringLiteral("keep.txt"), 10));
    given->setMAttachmentState(kAttachmentStoreFile);
    QCOMPARE(store->addRecord(given), kOTVStatusOK);

    // "No" keeps it; "Yes" removes it in the window only; adding another file gives state 1.
    const QString another = fileOfSize(QStringLiteral("another.txt"), 20);
    struct Step {
        QList<int> answers;
        bool addAgain;
        bool has;
        int state;
    };
    for (const Step& step : {Step{{kBKAlertDefaultReturn}, false, true, kAttachmentUnchanged},
                             Step{{kBKAlertAlternateReturn}, false, false, kAttachmentRemoved},
                             Step{{kBKAlertAlternateReturn}, true, true, kAttachmentStoreFile}}) {
        alerts.alerts.clear();
        alerts.answers = step.answers;
        picked = {another};
        int operation = kDetailsEdit;
        const std::shared_ptr<OTVRecord> answer = run(given, &operation, [&] {
            QVERIFY(window->hasAttachment());
            QCOMPARE(window->attachmentButton()->toolTip(), QStringLiteral("Delete Attachment"));
            window->attachdetachFile();
            if (step.addAgain)
                window->attachdetachFile();
            window->detailPanelOK();
        });
        QCOMPARE(alerts.messages().value(0), QStringLiteral("Are you sure you want to delete attachment?"));
        QCOMPARE(alerts.alerts.first().defaultButton, QStringLiteral("No"));
        QCOMPARE(alerts.alerts.first().alternateButton, QStringLiteral("Yes"));
        QVERIFY(answer);
        QCOMPARE(answer->mHasAttachment(), step.has);
        QCOMPARE(answer->mAttachmentState(), step.state);
        QCOMPARE(answer->mRecordUID(), given->mRecordUID());
    }
    // Nothing was stored by the window itself.
    QCOMPARE(rowCount(QStringLiteral("ATTACHMENTTABLE"),
                      QStringLiteral("WHERE RECORDID='%1'").arg(given->mRecordUID())), 1);
}

// ---------------------------------------------------------------------------------------------

void DetailsWindowTest::secondDuplicateStoresAtOnce()
{
    const QString file = fileOfSize(QStringLiteral("dup.bin"), 4321, 'd');
    auto given = OTVRecord::createRecord();
    given->setMGroup(banking);
    given->setMType(types["Test Card"]);
    given->setValue(1, QStringLiteral("Original"));
    given->setMNotes(QString(4001, QLatin1Char('q')));   // stored by the import path, say
    given->setMHasAttachment(true);
    given->setMAttachmentName(QStringLiteral("dup.bin"));
    given->setMAttachmentPath(file);
    given->setMAttachmentState(kAttachmentStoreFile);
    QCOMPARE(store->addRecord(given), kOTVStatusOK);
    given->setMAttachmentPath(QString());   // as after a load: the file lives only on the server
    const int records = rowCount(QStringLiteral("RECORDTABLE"));
    const QString logged = QStringLiteral("WHERE NAME='Duplicate Record'");
    const int logs = rowCount(QStringLiteral("EVENTLOGGERTABLE"), logged);

    int operation = kDetailsEdit;
    const std::shared_ptr<OTVRecord> answer = run(given, &operation, [&] {
        window->duplicateItem();
        // The first press stores nothing.
        QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records);
        QCOMPARE(window->valueField(1)->text(), QStringLiteral("Original Copy"));
        window->duplicateItem();
        QCOMPARE(window->valueField(1)->text(), QStringLiteral("Original Copy Copy"));
        QVERIFY(window->isDuplicateMode());
        QVERIFY(!window->deleteButton()->isEnabled());
        window->detailPanelCancel();
    });
    QVERIFY(!answer);
    QVERIFY(alerts.alerts.isEmpty());   // the notes were cut without an alert
    QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records + 1);
    QCOMPARE(rowCount(QStringLiteral("EVENTLOGGERTABLE"), logged), logs + 1);
    const std::shared_ptr<OTVRecord> copy = storedWithTitle(QStringLiteral("Original Copy"));
    QVERIFY(copy);
    QCOMPARE(copy->mNotes().size(), 4000);
    // The copy's stored file is the original's, byte for byte.
    int code = -1;
    const QByteArray copied = store->extractAttachmentData(copy->mRecordUID(), &code).value_or(QByteArray());
    QCOMPARE(copied, store->extractAttachmentData(given->mRecordUID(), &code).value_or(QByteArray()));
    QVERIFY(copied.startsWith(bytesOf(file)));
    std::unique_ptr<OTVDataBase> reader = readBack();
    QVERIFY(reader);
    QCOMPARE(reader->getRecordForUID(copy->mRecordUID())->mAttachmentName(), QStringLiteral("dup.bin"));
}

void DetailsWindowTest::failedDuplicateIsShownAndNotLogged()
{
    const std::shared_ptr<OTVRecord> record = addThroughWindow(QStringLiteral("Fails"), QStringLiteral("Test Memo"));
    QVERIFY(record);
    const int records = rowCount(QStringLiteral("RECORDTABLE"));
    const QString logged = QStringLiteral("WHERE NAME='Duplicate Record'");
    const int logs = rowCount(QStringLiteral("EVENTLOGGERTABLE"), logged);
    int operation = kDetailsDuplicate;
    const std::shared_ptr<OTVRecord> answer = run(record, &operation, [&] {
        // Too long for its column: nothing is stored, the user is told, and the window stays.
        window->valueField(3)->setText(QString(300, QLatin1Char('L')));
        window->duplicateItem();
        QVERIFY(window->isVisible());
        window->detailPanelCancel();
    });
    QVERIFY(!answer);
    QCOMPARE(operation, int(kDetailsDuplicate));
    QCOMPARE(alerts.messages(),
             QStringList({"Dat e: The value is too long or contains characters that cannot be stored."}));
    QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records);
    QCOMPARE(rowCount(QStringLiteral("EVENTLOGGERTABLE"), logged), logs);
}

void DetailsWindowTest::notesAreCutAtTheLimit()
{
    const std::shared_ptr<OTVRecord> record = addThroughWindow(QStringLiteral("Notes"), QStringLiteral("Test Memo"));
    QVERIFY(record);
    int operation = kDetailsEdit;
    int oks = 0;
    const std::shared_ptr<OTVRecord> answer = run(record, &operation, [&] {
        window->notesView()->setPlainText(QString(4001, QLatin1Char('n')));
        window->detailPanelOK();
        ++oks;
        // Cut, told, and still open; the next OK goes through.
        QVERIFY(window->isVisible());
        QCOMPARE(window->notesView()->toPlainText().size(), 4000);
        window->detailPanelOK();
        ++oks;
    });
    QCOMPARE(oks, 2);
    QCOMPARE(alerts.messages(), QStringList({"The Note Field was truncated to 4000 characters."}));
    QVERIFY(answer);
    QCOMPARE(answer->mNotes(), QString(4000, QLatin1Char('n')));
}

// ---------------------------------------------------------------------------------------------

void DetailsWindowTest::labelsMarksAndTypeChange()
{
    auto given = OTVRecord::createRecord();
    given->setMGroup(banking);
    given->setMType(types["Test Card"]);
    given->setValue(1, QStringLiteral("Labels"));
    given->setValue(2, QStringLiteral("4111"));
    OTVType own = *OTVType::createCopyforType(*types["Test Card"]);
    own.setLabel(1, QStringLiteral("Issuer"));
    own.setMTypeMask(0x1);
    given->setMRecordCustomType(own);
    given->setMIsCustomized(true);

    int operation = kDetailsEdit;
    const std::shared_ptr<OTVRecord> answer = run(given, &operation, [&] {
        // The record's own labels and marks.
        QCOMPARE(window->labelCell(1)->text(), QStringLiteral("Issuer"));
        QCOMPARE(window->maskCell(1)->text(), QStringLiteral("*"));
        QCOMPARE(window->maskCell(2)->text(), QString());
        QVERIFY(window->autoFillButton()->isHidden());
        QCOMPARE(window->typesPopup()->currentText(), QStringLiteral("Test Card"));
        QCOMPARE(window->groupPopup()->currentText(), QStringLiteral("Banking"));

        // Another type chosen by the user: its labels, marks and date buttons; the values stay.
        chooseType(QStringLiteral("Web Login"));
        QCOMPARE(window->labelCell(1)->text(), QStringLiteral("Site"));
        QCOMPARE(window->labelCell(4)->text(), QStringLiteral("Field 4"));
        QCOMPARE(window->maskCell(1)->text(), QString());
        QCOMPARE(window->maskCell(2)->text(), QStringLiteral("*"));
        QCOMPARE(window->valueField(2)->text(), QStringLiteral("4111"));
        QVERIFY(!window->autoFillButton()->isHidden());

        chooseType(QStringLiteral("Test Card"));
        QVERIFY(window->autoFillButton()->isHidden());
        QCOMPARE(window->labelCell(1)->text(), QStringLiteral("Bank"));
        for (int field = 1; field <= kNoOfFields; ++field) {
            const bool masked = field == 2 || field == 3 || field == 10;
            QCOMPARE(window->maskCell(field)->text(), masked ? QStringLiteral("*") : QString());
            const bool dated = field == 4 || field == 5;   // "Expiry Date", "UPDATED ON"
            QCOMPARE(!window->dateButton(field)->isHidden(), dated);
        }

        chooseType(QStringLiteral("Test Memo"));
        QVERIFY(window->dateButton(3)->isHidden());   // "Dat e"
        QCOMPARE(window->labelCell(2)->text(), QStringLiteral("Field 2"));
        window->detailPanelOK();
    });
    QVERIFY(answer);
    QCOMPARE(answer->mType(), types["Test Memo"]);
    QVERIFY(!answer->mIsCustomized());
    QVERIFY(!answer->mRecordCustomType());
    QCOMPARE(answer->value(2), QStringLiteral("4111"));
    // The given record keeps its own labels until the caller stores the answer.
    QVERIFY(given->mIsCustomized());
}

void DetailsWindowTest::datePickerReadsAndWritesTheField()
{
    auto given = OTVRecord::createRecord();
    given->setMGroup(banking);
    given->setMType(types["Test Card"]);
    given->setValue(4, QStringLiteral("3/7/09"));
    given->setValue(5, QStringLiteral("3/7/2009"));
    given->setValue(10, QStringLiteral("2009-03-05 23:30:00 -0500"));
    int operation = kDetailsEdit;
    run(given, &operation, [&] {
        // The modification date as stored, in its own offset, with English month names.
        QCOMPARE(window->valueField(10)->text(), QStringLiteral("March 05,2009"));
        QVERIFY(window->valueField(10)->isReadOnly());
        QCalendarWidget* picker = window->datePicker();
        QVERIFY(picker->isHidden());
        window->displayDatePickerWindow(4);
        QVERIFY(picker->isVisible());
        QCOMPARE(picker->selectedDate(), QDate(2009, 3, 7));
        // A click outside the picker hides it; inside it does not.
        QVERIFY(!picker->geometry().contains(window->valueField(6)->geometry().center()));
        QTest::mouseClick(window->valueField(6), Qt::LeftButton);
        QVERIFY(picker->isHidden());
        window->displayDatePickerWindow(5);
        QCOMPARE(picker->selectedDate(), QDate(2009, 3, 7));
        window->removeDatePicker(picker->geometry().center());
        QVERIFY(picker->isVisible());
        picker->setSelectedDate(QDate(2030, 1, 2));
        window->disposeDatePicker();
        QVERIFY(picker->isHidden());
        QCOMPARE(window->valueField(5)->text(), QStringLiteral("1/2/30"));
        window->valueField(4)->setText(QStringLiteral("abc"));
        window->displayDatePickerWindow(4);
        QCOMPARE(picker->selectedDate(), QDate::currentDate());
        // A key typed elsewhere closes it; keys typed into it do not.
        QTest::keyClick(picker, Qt::Key_Right);
        QVERIFY(picker->isVisible());
        window->valueField(1)->setFocus();
        QTest::keyClick(window->valueField(1), Qt::Key_A);
        QVERIFY(picker->isHidden());
        window->detailPanelCancel();
    });
    // A duplicate shows today's date.
    operation = kDetailsDuplicate;
    run(given, &operation, [&] {
        QCOMPARE(window->valueField(10)->text(),
                 OTVRecord::modificationDateDisplayText(OTVRecord::modificationDateText(QDateTime::currentDateTime())));
        window->detailPanelCancel();
    });
}

void DetailsWindowTest::iconOfItsOwnCustomisesTheRecord()
{
    auto fresh = OTVRecord::createRecord();
    fresh->setMGroup(banking);
    int operation = kDetailsAdd;
    const std::shared_ptr<OTVRecord> answer = run(fresh, &operation, [&] {
        chooseType(QStringLiteral("Web Login"));
        QCOMPARE(window->shownIconNumber(), 5);
        window->valueField(1)->setText(QStringLiteral("Own icon"));
        whenVisible(window->iconSelectionPanel(), [&] {
            QCOMPARE(window->imageMatrix()->selectedIconNumber(), 5);
            window->imageMatrix()->setSelectedImage(40);
            window->customIconPanelOk();
        });
        window->displayIconSelectionPanel();
        QCOMPARE(window->shownIconNumber(), 40);
        QCOMPARE(window->iconButton()->property("imageName").toString(), QStringLiteral("Icon40"));
        window->detailPanelOK();
    });
    QVERIFY(answer);
    QVERIFY(answer->mIsCustomized());
    QCOMPARE(answer->mRecordCustomType()->mTypeIconID(), std::optional<int>(40));
    QCOMPARE(answer->mRecordCustomType()->label(1), QStringLiteral("Site"));
    QCOMPARE(types["Web Login"]->mTypeIconID(), std::optional<int>(5));
    QCOMPARE(store->addRecord(answer), kOTVStatusOK);
    std::unique_ptr<OTVDataBase> reader = readBack();
    QVERIFY(reader);
    QCOMPARE(reader->getRecordForUID(answer->mRecordUID())->mRecordCustomType()->mTypeIconID(),
             std::optional<int>(40));
}

void DetailsWindowTest::generatorAndCustomizeReachTheirCells()
{
    auto fresh = OTVRecord::createRecord();
    fresh->setMGroup(banking);
    int operation = kDetailsAdd;
    OTVType own = *OTVType::createCopyforType(*types["Test Memo"]);
    own.setLabel(2, QStringLiteral("Combination"));
    own.setLabel(3, QString());
    own.setMTypeMask(0x4);
    const std::shared_ptr<OTVRecord> answer = run(fresh, &operation, [&] {
        chooseType(QStringLiteral("Test Memo"));
        // The password goes to the field last edited; a cancelled generator leaves it.
        window->valueField(3)->setFocus();
        QApplication::processEvents();
        generated = QStringLiteral("Xy7#pq");
        window->displayPasswordSelectionPanel();
        QCOMPARE(window->valueField(3)->text(), QStringLiteral("Xy7#pq"));
        generated.clear();
        window->displayPasswordSelectionPanel();
        QCOMPARE(window->valueField(3)->text(), QStringLiteral("Xy7#pq"));
        QVERIFY(!window->isPanelDisplayed());

        // Customize: the answer's labels and marks show; an empty label leaves its cell.
        customAnswer = own;
        window->displayCustomSettingsPanel();
        QCOMPARE(window->labelCell(2)->text(), QStringLiteral("Combination"));
        QCOMPARE(window->labelCell(3)->text(), QStringLiteral("Dat e"));
        QCOMPARE(window->maskCell(3)->text(), QStringLiteral("*"));
        QVERIFY(window->isCustomizing());
        window->detailPanelOK();
    });
    QVERIFY(answer);
    QVERIFY(answer->mIsCustomized());
    QCOMPARE(answer->mRecordCustomType()->label(2), QStringLiteral("Combination"));
    QCOMPARE(answer->value(3), QStringLiteral("Xy7#pq"));
    QVERIFY(!window->isCustomizing());
}

void DetailsWindowTest::printingStoresNothing()
{
    auto fresh = OTVRecord::createRecord();
    fresh->setMGroup(banking);
    const int records = rowCount(QStringLiteral("RECORDTABLE"));
    int operation = kDetailsAdd;
    run(fresh, &operation, [&] {
        chooseType(QStringLiteral("Test Card"));
        window->valueField(1)->setText(QStringLiteral("Printed card"));
        window->printRecord();
        window->detailPanelCancel();
    });
    QCOMPARE(printedTitles, QList<QString>({"Printed card"}));
    QCOMPARE(rowCount(QStringLiteral("RECORDTABLE")), records);
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/printData.pdf")));
}

// ---------------------------------------------------------------------------------------------

void DetailsWindowTest::importedIconsReachGridAndStoreBehindThePanel()
{
    const QString red = files.filePath(QStringLiteral("red.png"));
    const QString blue = files.filePath(QStringLiteral("blue.png"));
    for (const auto& [path, colour] : {std::pair{red, QColor(Qt::red)}, {blue, QColor(Qt::blue)}}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(vault_maps::png(colour, 64));
    }
    const int stored = rowCount(QStringLiteral("CUSTOMICONTABLE"));
    // The import runs through the controller's store-worker gate, behind its modal panel.
    BKController controller(*store);
    BKAlertPresenter::install(&alerts);
    QStringList seen;
    BKNotificationCenter::defaultCenter().addObserver(
        kExternalIconCreatedNotification, this, [&](const BKNotification& notification) {
            const int number = notification.object.toInt();
            const bool onMain = QThread::currentThread() == qApp->thread();
            const bool inMap = store->mCustomIcons().size() > 0 && !store->getImageFromIconIndex(number).isNull();
            QWidget* modal = QApplication::activeModalWidget();
            seen.append(QStringLiteral("%1 main=%2 map=%3 gate=%4 panel=%5")
                            .arg(number > OTVDataBase::kCustomIcons)
                            .arg(onMain)
                            .arg(inMap)
                            .arg(controller.isStoreWorkerRunning())
                            .arg(modal && modal != window.get() && modal != window->iconSelectionPanel()));
        });

    auto fresh = OTVRecord::createRecord();
    fresh->setMGroup(banking);
    int operation = kDetailsAdd;
    int chosen = 0;
    const std::shared_ptr<OTVRecord> answer = run(fresh, &operation, [&] {
        chooseType(QStringLiteral("Test Memo"));
        window->valueField(1)->setText(QStringLiteral("Imported icon"));
        whenVisible(window->iconSelectionPanel(), [&] {
            const qsizetype before = window->imageMatrix()->images().size();
            picked = {red, files.filePath(QStringLiteral("not-a-picture.txt")), blue};
            window->addCustomIcons();
            QCOMPARE(window->imageMatrix()->images().size(), before + 2);
            chosen = window->imageMatrix()->selectedIconNumber();   // the last imported
            window->customIconPanelOk();
        });
        window->displayIconSelectionPanel();
        window->detailPanelOK();
    });
    BKNotificationCenter::defaultCenter().removeObserversOf(this);
    const QString expected = QStringLiteral("1 main=1 map=1 gate=1 panel=1");
    QCOMPARE(seen, QStringList({expected, expected}));
    QCOMPARE(rowCount(QStringLiteral("CUSTOMICONTABLE")), stored + 2);
    QVERIFY(chosen > OTVDataBase::kCustomIcons);
    QVERIFY(answer);
    QCOMPARE(answer->mRecordCustomType()->mTypeIconID(), std::optional<int>(chosen));
    QCOMPARE(store->addRecord(answer), kOTVStatusOK);
    std::unique_ptr<OTVDataBase> reader = readBack();
    QVERIFY(reader);
    QVERIFY(!reader->getImageFromIconIndex(chosen).isNull());
}

QTEST_MAIN(DetailsWindowTest)
#include "DetailsWindowTest.moc"
