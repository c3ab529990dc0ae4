#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The connection dialog: server, port, MySQL account and password, and the vault's master
// password. It only shows and collects; the controller checks the fields and connects.
// Closing it (close box, Escape) asks the controller through cancelRequested: the dialog
// itself never closes on its own.
class BKConnectionDialog : public QDialog {
    Q_OBJECT

public:
    explicit BKConnectionDialog(QWidget* parent = nullptr);

    QLineEdit* serverField() const { return mServerField_; }
    QLineEdit* portField() const { return mPortField_; }
    QLineEdit* userField() const { return mUserField_; }
    QLineEdit* passwordField() const { return mPasswordField_; }
    QLineEdit* masterPasswordField() const { return mMasterPasswordField_; }
    QPushButton* connectButton() const { return mConnectButton_; }
    QPushButton* cancelButton() const { return mCancelButton_; }
    QProgressBar* spinner() const { return mSpinner_; }

    // While a connection attempt runs the fields and Connect are locked and the spinner shows.
    void setConnecting(bool connecting);
    bool isConnecting() const { return mConnecting_; }
    // A reconnection keeps the account: the user field cannot be edited.
    void setUserNameEditable(bool editable);
    // A reconnection keeps the server too (the vault in memory is that server's): the server
    // and port fields cannot be edited.
    void setServerEditable(bool editable);

    // Ends the dialog's modal run with `result` (kBKModalStop, kBKModalAbort).
    void finish(int result);

signals:
    void connectRequested();
    void cancelRequested();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* mServerField_;
    QLineEdit* mPortField_;
    QLineEdit* mUserField_;
    QLineEdit* mPasswordField_;
    QLineEdit* mMasterPasswordField_;
    QPushButton* mConnectButton_;
    QPushButton* mCancelButton_;
    QProgressBar* mSpinner_;
    bool mConnecting_ = false;
    bool mUserNameEditable_ = true;
    bool mServerEditable_ = true;
    bool mFinishing_ = false;
};
