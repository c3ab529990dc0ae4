#include "BKGroup.h"

#include "Platform/BKLocalization.h"
#include "OTVUID.h"

std::shared_ptr<BKGroup> BKGroup::newGroup()
{
    auto group = std::make_shared<BKGroup>();
    group->setMGroupUID(OTVUID::giveMeNewUID());
    group->setMGroupName(QStringLiteral(""));
    return group;
}

std::shared_ptr<BKGroup> BKGroup::UnfiledGroup()
{
    static const std::shared_ptr<BKGroup> unfiled = [] {
        auto group = std::make_shared<BKGroup>();
        group->setMGroupUID(kUnfiledUID);
        group->setMGroupName(BKLocalizedString("Unfiled"));
        return group;
    }();
    return unfiled;
}
