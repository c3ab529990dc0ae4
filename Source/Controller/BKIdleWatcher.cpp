#include "BKIdleWatcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

BKIdleWatcher::BKIdleWatcher(QObject* parent)
    : QObject(parent)
    , mTimer_(new QTimer(this))
{
    mTimer_->setSingleShot(true);
    connect(mTimer_, &QTimer::timeout, this, &BKIdleWatcher::idle);
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

BKIdleWatcher::~BKIdleWatcher()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void BKIdleWatcher::start(int milliseconds)
{
    mTimer_->stop();
    mTimer_->setInterval(milliseconds);
    mTimer_->start();
}

void BKIdleWatcher::stop()
{
    mTimer_->stop();
}

void BKIdleWatcher::restart()
{
    if (mTimer_->interval() > 0)
        mTimer_->start();
}

bool BKIdleWatcher::isActive() const
{
    return mTimer_->isActive();
}

int BKIdleWatcher::interval() const
{
    return mTimer_->interval();
}

bool BKIdleWatcher::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
        if (mTimer_->isActive())
            mTimer_->start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
