#pragma once

// The store's records by UID, with a vector of them in the map's order kept beside the map: the
// record list's queries walk every record on each keystroke and each view rebuild, and a vector
// is walked several times faster than the map's nodes, which lie all over the heap.
//
// Every change of the map goes through the members below, which drop the vector; the next walk
// makes it anew. (The map's values are read through it too: a write through a non-const
// iterator or operator[] drops it as well.)

#include <QMap>
#include <QString>

#include <memory>
#include <vector>

class OTVRecord;

class OTVRecordMap : public QMap<QString, std::shared_ptr<OTVRecord>> {
    using Base = QMap<QString, std::shared_ptr<OTVRecord>>;

public:
    using Base::Base;

    // The records in the order of their UIDs; valid until the map changes.
    const std::vector<std::shared_ptr<OTVRecord>>& inOrder() const
    {
        if (!ordered_) {
            walk_.clear();
            walk_.reserve(size_t(size()));
            for (auto it = constBegin(); it != constEnd(); ++it)
                walk_.push_back(it.value());
            ordered_ = true;
        }
        return walk_;
    }

    iterator insert(const QString& key, const std::shared_ptr<OTVRecord>& value)
    {
        changed();
        return Base::insert(key, value);
    }
    iterator insert(const_iterator position, const QString& key, const std::shared_ptr<OTVRecord>& value)
    {
        changed();
        return Base::insert(position, key, value);
    }
    size_type remove(const QString& key)
    {
        changed();
        return Base::remove(key);
    }
    std::shared_ptr<OTVRecord> take(const QString& key)
    {
        changed();
        return Base::take(key);
    }
    iterator erase(const_iterator position)
    {
        changed();
        return Base::erase(position);
    }
    void clear()
    {
        changed();
        Base::clear();
    }
    void swap(OTVRecordMap& other) noexcept
    {
        Base::swap(other);
        walk_.swap(other.walk_);
        std::swap(ordered_, other.ordered_);
    }
    std::shared_ptr<OTVRecord>& operator[](const QString& key)
    {
        changed();
        return Base::operator[](key);
    }
    std::shared_ptr<OTVRecord> operator[](const QString& key) const { return Base::operator[](key); }
    iterator begin()
    {
        changed();
        return Base::begin();
    }
    iterator end()
    {
        changed();
        return Base::end();
    }
    const_iterator begin() const { return Base::begin(); }
    const_iterator end() const { return Base::end(); }

private:
    void changed()
    {
        ordered_ = false;
        walk_.clear();
    }

    mutable std::vector<std::shared_ptr<OTVRecord>> walk_;
    mutable bool ordered_ = false;
};
