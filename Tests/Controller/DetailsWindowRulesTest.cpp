// The record details window's rules without widgets: the attachment of the answer, the record
// built from the window's contents and its custom type, the notes limit, the date picker's texts,
// the date-button labels and the attachment size check on the file actually read.
#include "Controller/BKDetailsWindowRules.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

std::shared_ptr<OTVType> typeWithIcon(int icon)
{
    auto type = OTVType::createType();
    type->setMTypeName(QStringLiteral("Login"));
    type->setMTypeIconID(icon);
    type->setMTypeMask(2);
    type->setLabel(1, QStringLiteral("Site"));
    return type;
}

OTVType customLabels(const OTVType& base, const QString& label1)
{
    OTVType custom = *OTVType::createCopyforType(base);
    custom.setLabel(1, label1);
    return custom;
}

QString sized(QTemporaryDir& folder, const QString& name, qint64 size)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        return QString();
    return path;
}

} // namespace

class DetailsWindowRulesTest : public QObject {
    Q_OBJECT

private slots:
    void attachmentOfTheAnswer_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("duplicate");
        QTest::addColumn<bool>("has");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("state");
        const QString file = QStringLiteral("/private/a.pdf");
        for (bool duplicate : {false, true}) {
            const char* mode = duplicate ? "duplicate" : "add or edit";
            QTest::addRow("added, %s", mode) << true << "a.pdf" << duplicate << true << file << 1;
            QTest::addRow("removed, %s", mode) << true << "" << duplicate << false << "" << 2;
            QTest::addRow("none, %s", mode) << false << "" << duplicate << false << "" << 0;
        }
        QTest::newRow("kept, duplicate: the row is copied") << false << "a.pdf" << true << true << file << 3;
        QTest::newRow("kept, add or edit") << false << "a.pdf" << false << true << "" << 0;
    }

    void attachmentOfTheAnswer()
    {
        QFETCH(bool, modified);
        QFETCH(QString, name);
        QFETCH(bool, duplicate);
        const BKAttachmentResult result =
            BKAttachmentForResult(modified, name, duplicate, QStringLiteral("/private/a.pdf"));
        QTEST(result.hasAttachment, "has");
        QCOMPARE(result.name, result.hasAttachment ? name : QString());
        QTEST(result.path, "path");
        QTEST(result.state, "state");
    }

    // The answer as a record: values, notes, group and type, and when it gets labels of its own.
    void recordFromTheWindow_data()
    {
        QTest::addColumn<int>("shownIcon");
        QTest::addColumn<bool>("givenCustom");
        QTest::addColumn<bool>("fromPanel");
        QTest::addColumn<bool>("customised");
        QTest::addColumn<QString>("label1");
        QTest::addColumn<int>("icon");
        QTest::newRow("the type's icon: plain") << 7 << false << false << false << "" << 0;
        QTest::newRow("another icon: a copy of the type with it") << 40 << false << false << true << "Site" << 40;
        QTest::newRow("the record's own labels kept") << 7 << true << false << true << "Own" << 7;
        QTest::newRow("own labels, another icon") << 12 << true << false << true << "Own" << 12;
        QTest::newRow("the Customize answer wins") << 7 << true << true << true << "Panel" << 7;
        QTest::newRow("the Customize answer, no own labels") << 9 << false << true << true << "Panel" << 9;
    }

    void recordFromTheWindow()
    {
        QFETCH(int, shownIcon);
        QFETCH(bool, givenCustom);
        QFETCH(bool, fromPanel);
        const std::shared_ptr<OTVType> type = typeWithIcon(7);
        auto group = BKGroup::newGroup();
        BKDetailsForm form;
        form.group = group;
        form.type = type;
        for (int field = 1; field < kNoOfFields; ++field)
            form.values[size_t(field - 1)] = QStringLiteral("value %1").arg(field);
        form.notes = QStringLiteral("notes");
        form.iconNumber = shownIcon;
        const OTVType own = customLabels(*type, QStringLiteral("Own"));
        BKCustomTypeState state;
        if (fromPanel) {
            state.typeCustomFields = customLabels(*type, QStringLiteral("Panel"));
            state.isCustomFromDetailPanel = true;
            state.customizing = true;
        }
        const QDateTime now(QDate(2024, 2, 29), QTime(13, 5, 9), Qt::OffsetFromUTC, 3600);

        const std::shared_ptr<OTVRecord> record =
            BKRecordFromForm(form, givenCustom ? &own : nullptr, state, now);

        QCOMPARE(record->mGroup(), group);
        QCOMPARE(record->mType(), type);
        QCOMPARE(record->value(9), QStringLiteral("value 9"));
        QCOMPARE(record->value(10), QStringLiteral("2024-02-29 13:05:09 +0100"));
        QCOMPARE(record->mNotes(), QStringLiteral("notes"));
        QVERIFY(!record->mRecordUID().isEmpty());
        QTEST(record->mIsCustomized(), "customised");
        QCOMPARE(record->mRecordCustomType() != nullptr, record->mIsCustomized());
        if (record->mRecordCustomType()) {
            QTEST(record->mRecordCustomType()->label(1), "label1");
            QTEST(record->mRecordCustomType()->mTypeIconID().value_or(0), "icon");
            QCOMPARE(record->mRecordCustomType()->mTypeMask(), type->mTypeMask());
        }
        // The type of the store is never changed by the answer.
        QCOMPARE(type->mTypeIconID(), std::optional<int>(7));
        QCOMPARE(type->label(1), QStringLiteral("Site"));
    }

    // The Customize answer holds for every record built while the window is open (a print before
    // OK must not lose it).
    void customizeAnswerOutlivesAFirstBuild()
    {
        const std::shared_ptr<OTVType> type = typeWithIcon(7);
        BKDetailsForm form;
        form.group = BKGroup::newGroup();
        form.type = type;
        form.iconNumber = 7;
        BKCustomTypeState state;
        state.typeCustomFields = customLabels(*type, QStringLiteral("Panel"));
        state.isCustomFromDetailPanel = true;
        state.customizing = true;
        const QDateTime now = QDateTime::currentDateTime();
        BKRecordFromForm(form, nullptr, state, now);
        const std::shared_ptr<OTVRecord> second = BKRecordFromForm(form, nullptr, state, now);
        QVERIFY(second->mIsCustomized());
        QCOMPARE(second->mRecordCustomType()->label(1), QStringLiteral("Panel"));
    }

    // Customising switched on without labels to take (no type): the record is not marked
    // customised, which would leave it without labels.
    void noCustomisedRecordWithoutLabels()
    {
        BKDetailsForm form;
        form.group = BKGroup::newGroup();
        form.iconNumber = 40;
        BKCustomTypeState state;
        state.customizing = true;
        const std::shared_ptr<OTVRecord> record = BKRecordFromForm(form, nullptr, state, QDateTime::currentDateTime());
        QVERIFY(!record->mIsCustomized());
        QVERIFY(!record->mRecordCustomType());
        QVERIFY(!record->mType());
    }

    void replaceKeepsWhatTheStoreHolds_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("attached");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("passKey");
        QTest::newRow("unchanged attachment") << false << true << "/private/old.pdf" << "0123456789abcdef";
        QTest::newRow("new file") << true << true << "/tmp/new.pdf" << "";
        QTest::newRow("removed") << true << false << "" << "";
    }

    void replaceKeepsWhatTheStoreHolds()
    {
        QFETCH(bool, modified);
        QFETCH(bool, attached);
        OTVRecord given;
        given.setMRecordUID(QStringLiteral("00000000000000AA"));
        given.setMViewCounter(12);
        given.setMHasAttachment(true);
        given.setMAttachmentPath(QStringLiteral("/private/old.pdf"));
        given.setMAttachmentPassKey(QStringLiteral("0123456789abcdef"));
        OTVRecord result;
        result.setMHasAttachment(attached);
        if (modified && attached)
            result.setMAttachmentPath(QStringLiteral("/tmp/new.pdf"));

        BKTakeIdentityForReplace(result, given, modified);

        QCOMPARE(result.mRecordUID(), QStringLiteral("00000000000000AA"));
        QCOMPARE(result.mViewCounter(), 12);
        QTEST(result.mAttachmentPath(), "path");
        QTEST(result.mAttachmentPassKey(), "passKey");
    }

    void notesLimit_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<int>("kept");
        const QString emoji = QString::fromUtf8("\xF0\x9F\x94\x91");   // two UTF-16 units
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("4000 units") << QString(4000, QLatin1Char('n')) << 4000;
        QTest::newRow("4001 units") << QString(4001, QLatin1Char('n')) << 4000;
        QTest::newRow("a pair across the limit") << QString(3999, QLatin1Char('n')) + emoji + QStringLiteral("x")
                                                 << 3999;
        QTest::newRow("a pair ending at the limit") << QString(3998, QLatin1Char('n')) + emoji + QStringLiteral("x")
                                                    << 4000;
    }

    void notesLimit()
    {
        QFETCH(QString, notes);
        QFETCH(int, kept);
        const QString cut = BKTruncatedNotes(notes);
        QCOMPARE(cut.size(), kept);
        QCOMPARE(cut, notes.left(kept));
        QVERIFY(cut.isEmpty() || !cut.back().isHighSurrogate());
    }

    void dateButtonLabels_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("button");
        QTest::newRow("Expiry Date") << "Expiry Date" << true;
        QTest::newRow("UPDATED ON") << "UPDATED ON" << true;
        QTest::newRow("blanks around") << "  date\n" << true;
        QTest::newRow("Dat e") << "Dat e" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("Password") << "Password" << false;
    }

    void dateButtonLabels()
    {
        QFETCH(QString, label);
        QTEST(BKLabelShowsDateButton(label), "button");
    }

    void maskBitsAndGenericLabels()
    {
        for (int field = 1; field <= kNoOfFields; ++field) {
            QVERIFY(BKFieldIsMasked(1 << (field - 1), field));
            QVERIFY(!BKFieldIsMasked(1023 & ~(1 << (field - 1)), field));
            QVERIFY(!BKFieldIsMasked(std::nullopt, field));
        }
        QVERIFY(BKFieldIsMasked(512, 10));
        QCOMPARE(BKGenericFieldLabel(7), QStringLiteral("Field 7"));
    }

    void pickerTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        const QDate today(2026, 12, 10);
        QTest::newRow("two-digit year") << "3/7/09" << QDate(2009, 3, 7);
        QTest::newRow("four-digit year") << "3/7/2009" << QDate(2009, 3, 7);
        QTest::newRow("leading zeros") << "03/07/2009" << QDate(2009, 3, 7);
        QTest::newRow("year 99 is 2099") << "12/31/99" << QDate(2099, 12, 31);
        QTest::newRow("year 0 is 2000") << "1/1/0" << QDate(2000, 1, 1);
        QTest::newRow("empty") << "" << today;
        QTest::newRow("words") << "abc" << today;
        QTest::newRow("no such day") << "2/30/09" << today;
        QTest::newRow("no such month") << "13/1/09" << today;
    }

    void pickerTexts()
    {
        QFETCH(QString, text);
        QTEST(BKDateFromPickerText(text, QDate(2026, 12, 10)), "date");
    }

    void pickerWritesShortForm()
    {
        QCOMPARE(BKPickerTextFromDate(QDate(2009, 3, 7)), QStringLiteral("3/7/09"));
        QCOMPARE(BKPickerTextFromDate(QDate(2030, 11, 25)), QStringLiteral("11/25/30"));
        QCOMPARE(BKPickerTextFromDate(QDate(2000, 1, 1)), QStringLiteral("1/1/00"));
        // What it writes reads back as the same day.
        const QDate day(2031, 10, 4);
        QCOMPARE(BKDateFromPickerText(BKPickerTextFromDate(day), QDate()), day);
    }

    void attachmentSize_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("1048575 bytes") << "small" << true;
        QTest::newRow("1048576 bytes") << "limit" << false;
        QTest::newRow("link to a 2 MB file") << "link to big" << false;
        QTest::newRow("link to a small file") << "link to small" << true;
        QTest::newRow("missing file") << "missing" << false;
        QTest::newRow("dangling link") << "dangling" << false;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("empty file") << "empty" << true;
    }

    void attachmentSize()
    {
        QFETCH(QString, kind);
        QTemporaryDir folder;
        const QString small = sized(folder, QStringLiteral("small.bin"), 1048575);
        const QString limit = sized(folder, QStringLiteral("limit.bin"), 1048576);
        const QString big = sized(folder, QStringLiteral("big.bin"), 2 * 1048576);
        const QString empty = sized(folder, QStringLiteral("empty.bin"), 0);
        QFile::link(big, folder.filePath(QStringLiteral("big.lnk")));
        QFile::link(small, folder.filePath(QStringLiteral("small.lnk")));
        QFile::link(folder.filePath(QStringLiteral("gone")), folder.filePath(QStringLiteral("dangling.lnk")));
        const QMap<QString, QString> chosen = {
            {"small", small},
            {"limit", limit},
            {"link to big", folder.filePath(QStringLiteral("big.lnk"))},
            {"link to small", folder.filePath(QStringLiteral("small.lnk"))},
            {"missing", folder.filePath(QStringLiteral("missing.bin"))},
            {"dangling", folder.filePath(QStringLiteral("dangling.lnk"))},
            {"folder", folder.path()},
            {"empty", empty},
        };
        const QString resolved = BKAcceptableAttachmentPath(chosen.value(kind));
        QFETCH(bool, accepted);
        QCOMPARE(!resolved.isNull(), accepted);
        // What passes is the file that will be read, not the link.
        if (kind == QLatin1String("link to small"))
            QCOMPARE(resolved, QFileInfo(small).canonicalFilePath());
    }
};

QTEST_MAIN(DetailsWindowRulesTest)
#include "DetailsWindowRulesTest.moc"
