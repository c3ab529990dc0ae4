#include "BKNotificationCenter.h"

#include <algorithm>

BKNotificationCenter& BKNotificationCenter::defaultCenter()
{
    static BKNotificationCenter center;
    return center;
}

BKNotificationCenter::Token BKNotificationCenter::addObserver(const QString& name, const void* owner,
                                                              Observer observer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const Token token = nextToken_++;
    registrations_.push_back({token, name, owner, std::move(observer)});
    return token;
}

void BKNotificationCenter::removeObserver(Token token)
{
    std::lock_guard<std::mutex> lock(mutex_);
    registrations_.erase(std::remove_if(registrations_.begin(), registrations_.end(),
                                        [token](const Registration& r) { return r.token == token; }),
                         registrations_.end());
}

void BKNotificationCenter::removeObserversOf(const void* owner)
{
    std::lock_guard<std::mutex> lock(mutex_);
    registrations_.erase(std::remove_if(registrations_.begin(), registrations_.end(),
                                        [owner](const Registration& r) { return r.owner == owner; }),
                         registrations_.end());
}

void BKNotificationCenter::postNotification(const QString& name, const QVariant& object)
{
    // Observers run without the lock held, so that they may post or (un)register themselves.
    std::vector<Observer> observers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const Registration& r : registrations_)
            if (r.name == name)
                observers.push_back(r.observer);
    }
    const BKNotification notification{name, object};
    for (const Observer& observer : observers)
        observer(notification);
}
