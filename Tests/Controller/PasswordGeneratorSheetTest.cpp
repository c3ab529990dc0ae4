// The password generator sheet with a scripted store and generator: what it hands back, what
// it stores for the user and when, how the boxes follow one another, and the strength bar.
#include "Controller/BKController.h"
#include "Controller/BKPasswordWindowController.h"
#include "Customization/BKPasswordStrengthMeter.h"
#include "Model/OTVPasswordGenerator.h"
#include "Model/OTVRandom.h"
#include "Model/PasswordStrength.h"
#include "Model/RandomWord.h"

#include "ControllerTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <memory>

using namespace PasswordStrength;

namespace {

// A store and generator that remember what they were asked.
struct ScriptedServices {
    quint8 storedFlags = 31;
    int storeStatus = 0;
    QStringList calls;            // "store(0x2d)", "generate(0x2d,12)"
    int generated = 0;
    QList<int> failingCalls;      // the n-th generate calls (from 1) that give no password

    BKPasswordWindowController::Services services()
    {
        BKPasswordWindowController::Services s;
        s.passwordGeneratorFlags = [this] { return storedFlags; };
        s.setPasswordGeneratorFlags = [this](quint8 flags) {
            calls.append(QStringLiteral("store(0x%1)").arg(flags, 2, 16, QLatin1Char('0')));
            if (storeStatus == 0)
                storedFlags = flags;
            return storeStatus;
        };
        s.generatePasswordWith = [this](quint8 flags, int length) {
            ++generated;
            calls.append(QStringLiteral("generate(0x%1,%2)").arg(flags, 2, 16, QLatin1Char('0')).arg(length));
            if (failingCalls.contains(generated))
                return QString();
            return QStringLiteral("pw%1").arg(generated);
        };
        return s;
    }
};

} // namespace

class PasswordGeneratorSheetTest : public QObject {
    Q_OBJECT

private slots:
    void loadingRestoresClassesButNotPronounceable();
    void generateStoresFlagsFirstAndSkipsFailedCalls();
    void lengthIsGuardedBeforeTheGenerator();
    void returnValueOfEachEnding_data();
    void returnValueOfEachEnding();
    void classBoxesAndPresetsDriveThePronounceableBox();
    void strengthBarFollowsClassesAndLength();
    void failedFlagWriteIsShown();
    void realGeneratorHonoursTheChosenClasses();
    void meterClampsAndPlacesItsBars();

private:
    RecordingAlertPresenter alerts;
};

void PasswordGeneratorSheetTest::loadingRestoresClassesButNotPronounceable()
{
    ScriptedServices script;
    script.storedFlags = kLowerCase | kDigits | kGeneratorPronounceable;
    BKPasswordWindowController sheet(script.services());
    QCOMPARE(sheet.options().classes, quint8(kLowerCase | kDigits));
    QVERIFY(!sheet.pronounceableBox()->isChecked());
    QVERIFY(script.calls.isEmpty());   // loading stores nothing

    script.storedFlags = 31;
    BKPasswordWindowController all(script.services());
    QCOMPARE(all.options().classes, kClassBits);
}

void PasswordGeneratorSheetTest::generateStoresFlagsFirstAndSkipsFailedCalls()
{
    ScriptedServices script;
    script.storedFlags = kLowerCase | kUpperCase;
    script.failingCalls = {2, 5, 9};
    BKPasswordWindowController sheet(script.services());
    sheet.characterSetChange();   // letters only: pronounceable on
    sheet.lengthField()->setValue(9);
    sheet.generatePassword();

    QCOMPARE(script.calls.size(), 11);
    QCOMPARE(script.calls.first(), QStringLiteral("store(0x23)"));
    QCOMPARE(script.calls.at(1), QStringLiteral("generate(0x23,9)"));
    QCOMPARE(sheet.passwordList()->count(), 7);
    QCOMPARE(sheet.generatedPasswords(),
             (QStringList{"pw1", "pw3", "pw4", "pw6", "pw7", "pw8", "pw10"}));

    // A second Generate replaces the list.
    script.failingCalls.clear();
    sheet.generatePassword();
    QCOMPARE(sheet.passwordList()->count(), 10);
    QCOMPARE(sheet.passwordList()->item(0)->text(), QStringLiteral("pw11"));
}

void PasswordGeneratorSheetTest::lengthIsGuardedBeforeTheGenerator()
{
    ScriptedServices script;
    BKPasswordWindowController sheet(script.services());
    QCOMPARE(sheet.lengthField()->minimum(), 1);
    QCOMPARE(sheet.lengthField()->maximum(), 63);
    sheet.lengthField()->setValue(100);
    QCOMPARE(sheet.lengthField()->value(), 63);
    sheet.generatePassword();
    QVERIFY(script.calls.contains(QStringLiteral("generate(0x1f,63)")));
    QVERIFY(!script.calls.join(' ').contains(QStringLiteral(",64)")));

    // The generator's own guard: whatever reaches it, it holds 63 characters at most.
    OTVSeededRandomSource source(7);
    RandomWordGenerator generator(source);
    QCOMPARE(::generatePassword(kClassBits, 200, generator).length(), 63);
}

void PasswordGeneratorSheetTest::returnValueOfEachEnding_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("expected");
    QTest::newRow("OK with a row") << "ok-row" << "pw3";
    QTest::newRow("OK without a selection") << "ok-none" << "";
    QTest::newRow("double-click") << "double-click" << "pw5";
    QTest::newRow("Cancel") << "cancel" << "";
    QTest::newRow("Esc") << "escape" << "";
    QTest::newRow("close button") << "close" << "";
}

void PasswordGeneratorSheetTest::returnValueOfEachEnding()
{
    QFETCH(QString, ending);
    QFETCH(QString, expected);
    ScriptedServices script;
    QWidget owner;
    owner.show();
    BKPasswordWindowController sheet(script.services());
    bool listEmptyAtStart = false;
    whenVisible(&sheet, [&] {
        listEmptyAtStart = sheet.passwordList()->count() == 0;
        sheet.generatePassword();
        QListWidget* list = sheet.passwordList();
        if (ending == "ok-row") {
            list->setCurrentRow(2);
            sheet.findChild<QPushButton*>("okButton")->click();
        } else if (ending == "ok-none") {
            sheet.findChild<QPushButton*>("okButton")->click();
        } else if (ending == "double-click") {
            QListWidgetItem* item = list->item(4);
            const QRect rect = list->visualItemRect(item);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
            if (sheet.isVisible())   // the platform delivered no double-click: emit it as the view would
                emit list->itemDoubleClicked(item);
        } else if (ending == "cancel") {
            list->setCurrentRow(1);
            sheet.findChild<QPushButton*>("cancelButton")->click();
        } else if (ending == "escape") {
            list->setCurrentRow(1);
            QTest::keyClick(&sheet, Qt::Key_Escape);
        } else {
            list->setCurrentRow(1);
            sheet.close();
        }
    });
    const QString chosen = sheet.displayPasswordGenerationPanel(&owner);
    QCOMPARE(chosen, expected);
    QVERIFY(listEmptyAtStart);
    QCOMPARE(sheet.passwordList()->count(), 0);   // emptied after every run
    QCOMPARE(sheet.parentWidget(), &owner);
    // OK stores the flags again; Cancel stores only what Generate stored.
    const int stores = script.calls.filter(QStringLiteral("store(")).size();
    QCOMPARE(stores, expected.isEmpty() && ending != "ok-none" ? 1 : 2);
}

void PasswordGeneratorSheetTest::classBoxesAndPresetsDriveThePronounceableBox()
{
    ScriptedServices script;
    script.storedFlags = kLowerCase;
    BKPasswordWindowController sheet(script.services());
    sheet.characterSetChange();
    QVERIFY(sheet.pronounceableBox()->isChecked() && sheet.pronounceableBox()->isEnabled());

    sheet.classBox(3)->click();   // punctuation on
    QVERIFY(!sheet.pronounceableBox()->isChecked());
    QVERIFY(!sheet.pronounceableBox()->isEnabled());
    sheet.classBox(3)->click();   // and off again
    QVERIFY(sheet.pronounceableBox()->isChecked() && sheet.pronounceableBox()->isEnabled());
    sheet.classBox(4)->click();   // extended on
    QVERIFY(!sheet.pronounceableBox()->isEnabled());

    struct Preset {
        int index;
        quint8 flags;
        bool enabled;
    };
    for (const Preset& p : {Preset{1, 0x2D, false}, Preset{0, 0x1F, false}, Preset{2, 0x27, true}}) {
        sheet.presetPopup()->setCurrentIndex(p.index);
        emit sheet.presetPopup()->activated(p.index);
        QCOMPARE(sheet.options().flags(), p.flags);
        QCOMPARE(sheet.pronounceableBox()->isEnabled(), p.enabled);
        script.calls.clear();
        sheet.generatePassword();
        QCOMPARE(script.calls.first(), QStringLiteral("store(0x%1)").arg(p.flags, 2, 16, QLatin1Char('0')));
    }
}

void PasswordGeneratorSheetTest::strengthBarFollowsClassesAndLength()
{
    ScriptedServices script;
    script.storedFlags = kLowerCase | kDigits;
    BKPasswordWindowController sheet(script.services());
    sheet.lengthField()->setValue(8);
    QCOMPARE(sheet.strengthMeter()->strength(), 0.4f);
    QCOMPARE(sheet.strengthMeter()->colour(), MeterColour::Orange);

    sheet.presetPopup()->setCurrentIndex(0);
    emit sheet.presetPopup()->activated(0);
    sheet.lengthField()->setValue(20);
    QCOMPARE(sheet.strengthMeter()->strength(), 1.0f);
    QCOMPARE(sheet.strengthMeter()->colour(), MeterColour::Green);
    sheet.lengthField()->setValue(40);   // 1.5 clamped
    QCOMPARE(sheet.strengthMeter()->strength(), 1.0f);

    for (int column = 0; column < 5; ++column)
        sheet.classBox(column)->click();   // every class off
    sheet.lengthField()->setValue(1);
    QCOMPARE(sheet.strengthMeter()->strength(), 0.025f);
    QCOMPARE(sheet.strengthMeter()->colour(), MeterColour::Red);
}

void PasswordGeneratorSheetTest::failedFlagWriteIsShown()
{
    ScriptedServices script;
    script.storeStatus = 3;
    BKPasswordWindowController sheet(script.services());
    alerts.alerts.clear();
    sheet.generatePassword();
    QCOMPARE(alerts.alerts.size(), 1);
    QVERIFY(alerts.alerts.first().message.startsWith(QStringLiteral("Operation failed.")));
    QCOMPARE(sheet.passwordList()->count(), 10);   // the passwords still come
}

void PasswordGeneratorSheetTest::realGeneratorHonoursTheChosenClasses()
{
    OTVSeededRandomSource source(26);
    RandomWordGenerator generator(source);
    ScriptedServices script;
    BKPasswordWindowController::Services services = script.services();
    services.generatePasswordWith = [&generator](quint8 flags, int length) {
        return ::generatePassword(flags, static_cast<unsigned short>(length), generator);
    };
    BKPasswordWindowController sheet(services);

    const auto onlyFrom = [](const QStringList& words, const QString& allowed) {
        for (const QString& word : words)
            for (QChar c : word)
                if (!allowed.contains(c))
                    return false;
        return true;
    };
    const QString lower = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    const QString digits = QStringLiteral("0123456789");

    sheet.presetPopup()->setCurrentIndex(2);   // letters and digits, pronounceable
    emit sheet.presetPopup()->activated(2);
    sheet.pronounceableBox()->setChecked(false);
    for (int column : {1})
        sheet.classBox(column)->setChecked(false);   // lower case and digits only
    sheet.lengthField()->setValue(16);
    sheet.generatePassword();
    QCOMPARE(sheet.generatedPasswords().size(), 10);
    QVERIFY(onlyFrom(sheet.generatedPasswords(), lower + digits));
    for (const QString& word : sheet.generatedPasswords())
        QCOMPARE(word.length(), 16);

    // Pronounceable words of lower case only: syllables of letters.
    for (int column : {2})
        sheet.classBox(column)->setChecked(false);
    sheet.pronounceableBox()->setChecked(true);
    sheet.lengthField()->setValue(10);
    sheet.generatePassword();
    QCOMPARE(sheet.generatedPasswords().size(), 10);
    QVERIFY(onlyFrom(sheet.generatedPasswords(), lower));
    QVERIFY(!generator.lastSyllables().empty());
}

void PasswordGeneratorSheetTest::meterClampsAndPlacesItsBars()
{
    BKPasswordStrengthMeter meter;
    for (const auto& [given, kept] : {std::pair{-0.5f, 0.0f}, std::pair{0.3f, 0.3f}, std::pair{1.5f, 1.0f}}) {
        meter.setStrenth(given);
        QCOMPARE(meter.strength(), kept);
    }
    meter.setMinValue(0.2f);
    meter.setMaxValue(0.1f);   // raised to the minimum first, then lowered to the maximum
    meter.setStrenth(0.0f);
    QCOMPARE(meter.strength(), 0.1f);

    const QRectF bounds(0, 0, 200, 15);
    const BKPasswordStrengthMeter::Bar track = BKPasswordStrengthMeter::trackGeometry(bounds);
    QCOMPARE(track.left, QRectF(0, 3, 4.5, 9));
    QCOMPARE(track.mid, QRectF(4.5, 3, 192, 9));
    QCOMPARE(track.right, QRectF(195.5, 3, 4.5, 9));

    QVERIFY(!BKPasswordStrengthMeter::fillGeometry(0.0f, bounds));
    const auto fill = BKPasswordStrengthMeter::fillGeometry(0.4f, bounds);   // 40 %: 80 of 200
    QVERIFY(fill);
    QCOMPARE(fill->left, QRectF(0, 3, 5, 9));
    QCOMPARE(fill->mid, QRectF(4.5, 3, 72, 9));
    QCOMPARE(fill->right, QRectF(75.5, 3, 5, 9));
    const auto full = BKPasswordStrengthMeter::fillGeometry(1.0f, bounds);
    QCOMPARE(full->right.right(), 200.5);   // the fill's caps are half a point wider than the track's
    const auto tiny = BKPasswordStrengthMeter::fillGeometry(0.01f, bounds);   // f = 2: no middle piece
    QVERIFY(!tiny->mid.isValid());

    // It paints without images.
    meter.resize(200, 15);
    meter.setMaxValue(1);
    meter.setMinValue(0);
    meter.setStrenth(0.8f);
    const QImage image = meter.grab().toImage();
    QCOMPARE(meter.colour(), MeterColour::Green);
    QVERIFY(!image.isNull());
}

QTEST_MAIN(PasswordGeneratorSheetTest)
#include "PasswordGeneratorSheetTest.moc"
