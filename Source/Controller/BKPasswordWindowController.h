#pragma once

// The password generator sheet: ten generated passwords from the character classes and length
// the user chooses, with a strength bar; hands the chosen one back to its caller. The class
// choices are stored for the user on the server whenever passwords are generated and on OK.

#include "Model/PasswordGeneratorOptions.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class BKPasswordStrengthMeter;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QSpinBox;

class BKPasswordWindowController : public QDialog {
    Q_OBJECT
public:
    // What the sheet needs of the store and the generator.
    struct Services {
        // The user's stored option byte.
        std::function<quint8()> passwordGeneratorFlags;
        // Stores the option byte; the store's status (anything but 0 is shown to the user).
        std::function<int(quint8 flags)> setPasswordGeneratorFlags;
        // One password; an empty string when none could be made (no row is added).
        std::function<QString(quint8 flags, int length)> generatePasswordWith;
    };
    // The shared store and the secure generator.
    static Services storeServices();

    // The one sheet of the application (made on first use, with storeServices()).
    static BKPasswordWindowController& sharedPasswordController();

    // Other instances are for tests. Reads the stored option byte once, as the shared sheet
    // does when it is made.
    explicit BKPasswordWindowController(Services services, QWidget* parent = nullptr);

    // Runs the sheet application-modally over the window of `sender` (none: free-standing). The
    // chosen password, or the empty string when the user cancelled or chose none.
    QString displayPasswordGenerationPanel(QWidget* sender);

    // --- Actions
    void generatePassword();
    void passwordOK();
    void passwordCancel();
    void strengthChange(int presetIndex);
    void characterSetChange();
    void updateStrengthIndicator();
    // Reads the option byte from the controls, stores it for the user and returns it.
    quint8 passgeneratorFlags();

    // --- State and controls (the tests drive these)
    PasswordGeneratorOptions options() const;
    QStringList generatedPasswords() const { return mGenratedPasswordList_; }
    QListWidget* passwordList() const { return mPasswordList_; }
    QSpinBox* lengthField() const { return mpasswordLength_; }
    QComboBox* presetPopup() const { return mpasswordStrength_; }
    QCheckBox* classBox(int column) const { return mcharSet_.at(column); }
    QCheckBox* pronounceableBox() const { return mIsPronounceable_; }
    BKPasswordStrengthMeter* strengthMeter() const { return mPasswordStrengthIndicator_; }
    QPushButton* generateButton() const { return mGenerateButton_; }

    // Esc and the close button cancel.
    void reject() override;

private:
    void showOptions(const PasswordGeneratorOptions& options);
    void reloadList();
    void emptyList();

    Services services_;
    QListWidget* mPasswordList_ = nullptr;
    QSpinBox* mpasswordLength_ = nullptr;
    QComboBox* mpasswordStrength_ = nullptr;
    std::array<QCheckBox*, 5> mcharSet_{};
    QCheckBox* mIsPronounceable_ = nullptr;
    BKPasswordStrengthMeter* mPasswordStrengthIndicator_ = nullptr;
    QPushButton* mGenerateButton_ = nullptr;
    QStringList mGenratedPasswordList_;
};
