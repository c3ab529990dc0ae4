#pragma once

#include <QDialog>

class BKPasswordStrengthMeter;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The user's own password: the old one (only when there is one), the new one twice with its
// strength, and a hint: free text, or a question whose answer is the hint's key. It only
// collects; the controller checks and stores. Esc and the close button cancel.
class BKUserPasswordSheet : public QDialog {
    Q_OBJECT

public:
    explicit BKUserPasswordSheet(QWidget* parent = nullptr);

    // Empties every field and shows the old-password field only for a user who has a password.
    void prepare(bool hasPassword);
    QLineEdit* oldField() const { return mOldField_; }
    QLineEdit* newField() const { return mNewField_; }
    QLineEdit* confirmField() const { return mConfirmField_; }
    QLineEdit* hintField() const { return mHintField_; }
    QLineEdit* answerField() const { return mAnswerField_; }
    // Item n - 1 asks question n; its data is 999 + n. The first item, a question number
    // of 0, means a free-text hint.
    QComboBox* questionPopUp() const { return mQuestionPopUp_; }
    int questionNumber() const;
    QLabel* strengthLabel() const { return mStrengthLabel_; }
    BKPasswordStrengthMeter* strengthMeter() const { return mStrengthMeter_; }

signals:
    void okRequested();

private:
    void showStrength(const QString& password);
    QLineEdit* mOldField_;
    QLabel* mOldLabel_;
    QLineEdit* mNewField_;
    QLineEdit* mConfirmField_;
    QLineEdit* mHintField_;
    QLineEdit* mAnswerField_;
    QComboBox* mQuestionPopUp_;
    QLabel* mStrengthLabel_;
    BKPasswordStrengthMeter* mStrengthMeter_;
};

// The master password: the set panel (new and confirm) when the vault has none, the change
// panel (old, new and confirm) otherwise.
class BKMasterPasswordPanel : public QDialog {
    Q_OBJECT

public:
    explicit BKMasterPasswordPanel(QWidget* parent = nullptr);

    void prepare(bool change);
    bool isChangePanel() const;
    QLineEdit* oldField() const { return mOldField_; }
    QLineEdit* newField() const { return mNewField_; }
    QLineEdit* confirmField() const { return mConfirmField_; }

signals:
    void okRequested();

private:
    QLineEdit* mOldField_;
    QLabel* mOldLabel_;
    QLineEdit* mNewField_;
    QLineEdit* mConfirmField_;
};
