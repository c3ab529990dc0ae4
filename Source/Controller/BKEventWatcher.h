#pragma once

#include <QEvent>
#include <QList>
#include <QObject>

#include <functional>
#include <utility>

// Installed as an event filter, runs `reaction` as each event of the given types reaches the
// watched object, just before the object handles it as usual.
class BKEventWatcher : public QObject {
public:
    BKEventWatcher(QObject* parent, QList<QEvent::Type> types, std::function<void()> reaction)
        : QObject(parent), types_(std::move(types)), reaction_(std::move(reaction))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (types_.contains(event->type()))
            reaction_();
        return QObject::eventFilter(watched, event);
    }

private:
    QList<QEvent::Type> types_;
    std::function<void()> reaction_;
};
