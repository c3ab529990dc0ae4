#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The lock sheet: the user's name (not editable), the password, the attempts left and the
// OK, Hint and Quit buttons. It only collects; the controller checks and ends the run. Only
// Quit leaves it without the password: Esc and the window's close button do nothing, and a
// minimised sheet (which takes the main window with it) comes straight back: on a desktop
// without a task bar nothing else would bring it back.
class BKLockPanel : public QDialog {
    Q_OBJECT

public:
    explicit BKLockPanel(QWidget* parent = nullptr);

    void setUserName(const QString& name);
    QLineEdit* passwordField() const { return mPasswordField_; }
    QString password() const;
    // "%d attempts left"; hidden with a negative number.
    void showAttemptsLeft(int left);
    QLabel* attemptsLine() const { return mAttemptsLine_; }
    QPushButton* okButton() const { return mOkButton_; }
    QPushButton* hintButton() const { return mHintButton_; }
    QPushButton* quitButton() const { return mQuitButton_; }

signals:
    void okRequested();
    void hintRequested();
    void quitRequested();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void restoreFromMinimised();

    QLineEdit* mUserNameField_;
    QLineEdit* mPasswordField_;
    QLabel* mAttemptsLine_;
    QPushButton* mOkButton_;
    QPushButton* mHintButton_;
    QPushButton* mQuitButton_;
};

// The hint question of a locked user: the question and a field for the answer.
class BKHintChallengePanel : public QDialog {
    Q_OBJECT

public:
    explicit BKHintChallengePanel(QWidget* parent = nullptr);

    void setQuestion(const QString& question);
    QLineEdit* answerField() const { return mAnswerField_; }
    QString answer() const;

private:
    QLabel* mQuestion_;
    QLineEdit* mAnswerField_;
};
