#pragma once

// A vault of many records in memory, for the benchmarks of the queries and views over the
// store's maps: records spread over the groups and types in turn, values drawn from a small
// word list with a fixed seed, and 1 % of the records holding the term "ZebraCorn".

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"

#include <random>

class BenchVault : public OTVDataBase {
public:
    BenchVault(int records, int groups, int types)
    {
        std::mt19937 random(7);
        const QStringList words = {"alpha", "Mail", "server", "Bank", "login", "café", "router", "Übung",
                                   "github", "Wallet", "admin", "Konto", "office", "VPN", "backup", "shop"};
        auto word = [&] { return words.at(int(random() % words.size())); };
        QList<std::shared_ptr<BKGroup>> groupList;
        for (int g = 0; g < groups; ++g) {
            auto group = BKGroup::newGroup();
            group->setMGroupName(QStringLiteral("Group %1").arg(g));
            mGroups_.insert(group->mGroupUID(), group);
            groupList.append(group);
        }
        QList<std::shared_ptr<OTVType>> typeList;
        for (int t = 0; t < types; ++t) {
            auto type = OTVType::createType();
            type->setMTypeName(QStringLiteral("Type %1").arg(t));
            mTypes_.insert(type->mTypeUID(), type);
            typeList.append(type);
        }
        for (int i = 0; i < records; ++i) {
            auto record = std::make_shared<OTVRecord>();
            // Random hexadecimal UIDs, as the store makes them: the map's order is not the order of
            // creation, and the parallel walks split it evenly.
            record->setMRecordUID(QStringLiteral("%1%2")
                                      .arg(quint32(random()), 8, 16, QLatin1Char('0'))
                                      .arg(quint32(i), 8, 16, QLatin1Char('0'))
                                      .toUpper());
            record->setMGroup(groupList.at(i % groups));
            record->setMType(typeList.at(i % types));
            for (int field = 1; field < kNoOfFields; ++field)
                record->setValue(field, field % 3 == 0 ? QString() : word() + QLatin1Char(' ') + word());
            record->setValue(kNoOfFields, QStringLiteral("2026-01-05 09:00:00 +0100"));
            record->setMNotes(word() + QStringLiteral(" notes about ") + word() + QLatin1Char(' ') + word());
            if (i % 100 == 0)   // 1% hold the term, in a field that varies
                record->setValue(1 + (i / 100) % 9, QStringLiteral("my ZebraCorn key"));
            mRecords_.insert(record->mRecordUID(), record);
        }
    }
};
