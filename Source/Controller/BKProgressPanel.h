#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;

// The application-modal panel shown while a worker runs: its text, a bar (busy until a count is
// given), and Cancel where the work can stop between two steps. Closing the window does not
// leave the work half done: the panel goes away when the work ends.
class BKProgressPanel final : public QDialog {
    Q_OBJECT
public:
    BKProgressPanel(QWidget* parent, const QString& text, const std::function<void()>& cancel = {});

    void setText(const QString& text);
    QString text() const;
    void showProgress(int done, int total);
    // Shows the panel in the middle of the screen.
    void showCentred();

protected:
    void reject() override {}

private:
    QLabel* label_;
    QProgressBar* bar_;
};
