#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The first master password of an empty vault: the password twice, or the choice to go on
// without one. It only collects; the controller checks and stores.
class BKFirstMasterPasswordDialog : public QDialog {
    Q_OBJECT

public:
    explicit BKFirstMasterPasswordDialog(QWidget* parent = nullptr);

    QLineEdit* passwordField() const { return mPasswordField_; }
    QLineEdit* confirmField() const { return mConfirmField_; }
    QCheckBox* withoutPasswordOption() const { return mWithoutPasswordOption_; }
    QPushButton* okButton() const { return mOkButton_; }
    QPushButton* closeButton() const { return mCloseButton_; }

    // Empties both fields and turns the option off.
    void clear();
    void finish(int result);

signals:
    void okRequested();
    void closeRequested();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* mPasswordField_;
    QLineEdit* mConfirmField_;
    QCheckBox* mWithoutPasswordOption_;
    QPushButton* mOkButton_;
    QPushButton* mCloseButton_;
    bool mFinishing_ = false;
};
