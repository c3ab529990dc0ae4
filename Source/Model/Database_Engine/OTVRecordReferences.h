#pragma once

#include "OTVStatement.h"

#include "Model/BKGroup.h"
#include "Model/OTVType.h"

#include <QMap>
#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The groups or types that rows name by UID, found by the UID's bytes as the row holds them: a
// load looks up two of them for each of 100,000 records, and a string made of each UID would
// cost more than the look-up.
template <class Object>
class OTVObjectsByUIDBytes {
public:
    // None found when `objects` is null.
    explicit OTVObjectsByUIDBytes(const QMap<QString, std::shared_ptr<Object>>* objects)
    {
        if (!objects)
            return;
        keys_.reserve(size_t(objects->size()));
        for (auto it = objects->constBegin(); it != objects->constEnd(); ++it)
            keys_.push_back(it.key().toStdString());
        auto key = keys_.cbegin();
        for (auto it = objects->constBegin(); it != objects->constEnd(); ++it, ++key)
            index_.emplace(std::string_view(*key), it.value());
    }
    // The index looks into its own keys: it stays where it was made.
    OTVObjectsByUIDBytes(const OTVObjectsByUIDBytes&) = delete;
    OTVObjectsByUIDBytes& operator=(const OTVObjectsByUIDBytes&) = delete;

    // The object that column `column` of `row` names; null when there is none.
    std::shared_ptr<Object> find(const OTVResultSet& row, uint32_t column) const
    {
        std::shared_ptr<Object> found;
        if (index_.empty())
            return found;
        row.readBytes(column, [&](const char* bytes, size_t size) {
            const auto it = index_.find(std::string_view(bytes, size));
            if (it != index_.end())
                found = it->second;
        });
        return found;
    }

private:
    std::vector<std::string> keys_;   // the index's keys look into these
    std::unordered_map<std::string_view, std::shared_ptr<Object>> index_;
};

// The types and groups that the records read next refer to.
struct OTVRecordReferences {
    OTVRecordReferences(const QMap<QString, std::shared_ptr<OTVType>>* types,
                        const QMap<QString, std::shared_ptr<BKGroup>>* groups)
        : types(types), groups(groups)
    {
    }
    OTVObjectsByUIDBytes<OTVType> types;
    OTVObjectsByUIDBytes<BKGroup> groups;
};
