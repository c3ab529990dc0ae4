#include "OTVUser_Admin.h"

#include "OTVUID.h"

OTVUser_Admin::OTVUser_Admin()
{
    setMUsername(QStringLiteral(""));
    setMPassword(QStringLiteral(""));
}

std::shared_ptr<OTVUser_Admin> OTVUser_Admin::createUser()
{
    auto user = std::make_shared<OTVUser_Admin>();
    user->setMUserID(OTVUID::giveMeNewUID());
    return user;
}
