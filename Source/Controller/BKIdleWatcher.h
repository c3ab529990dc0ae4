#pragma once

#include <QObject>

class QTimer;

// Inactivity in this application: a single-shot timer that every key press, mouse press or
// move, wheel turn and touch anywhere in the application starts again. An application in the
// background counts as idle.
class BKIdleWatcher : public QObject {
    Q_OBJECT

public:
    explicit BKIdleWatcher(QObject* parent = nullptr);
    ~BKIdleWatcher() override;

    // Replaces the running wait with one of `milliseconds`.
    void start(int milliseconds);
    void stop();
    // Starts the current wait again (e.g. when the lock had to be put off).
    void restart();
    bool isActive() const;
    int interval() const;

signals:
    void idle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer* mTimer_;
};
