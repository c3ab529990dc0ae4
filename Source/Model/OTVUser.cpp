#include "OTVUser.h"

#include "OTVPermissionWords.h"
#include "OTVUID.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

// The platform's stored default for the record list's font; peers read the same name.
const QString kDefaultFontName = QStringLiteral("LucidaGrande");
constexpr int kDefaultFontPointSize = 13;
constexpr qreal kMinimumWindowWidth = 1030;

} // namespace

OTVUser::OTVUser()
    : mTextFont_(kDefaultFontName, kDefaultFontPointSize),
      mCurrentType_(kAllCategoriesUID),
      mCurrentGroup_(kAllCategoriesUID)
{
    setMGroupPermissionsBit(kFullGroupRights);
    setMTypePermissionsBit(kFullTypeRights);
    setMDataPermissionsBit(7);  // the data word's full rights are 63; a new user starts on 7
    setMRecordPermissionsBit(kFullRecordRights);
    setMIsNotAllowedToChangePassword(true);
    setMIsAccountDisabled(true);
}

std::shared_ptr<OTVUser> OTVUser::createUser()
{
    auto user = std::make_shared<OTVUser>();
    user->setMUserID(OTVUID::giveMeNewUID());
    user->setMWindowPosition(defaultWindowFrame());
    return user;
}

QRectF OTVUser::defaultFrame(qreal screenWidth, qreal screenHeight)
{
    const qreal width = std::max(0.7 * screenWidth, kMinimumWindowWidth);
    const qreal height = 0.7 * screenHeight;
    return QRectF((screenWidth - width) / 2, (screenHeight - height) / 2, width, height);
}

QRectF OTVUser::defaultWindowFrame()
{
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        ? QGuiApplication::primaryScreen()
        : nullptr;
    if (!screen)
        return defaultFrame(1280, 800);
    const QRect frame = screen->geometry();
    return defaultFrame(frame.width(), frame.height());
}

bool OTVUser::checkGroupPermission(int mask) const
{
    return isPermitted(mask, mGroupPermissionsBit());
}

bool OTVUser::checkTypePermission(int mask) const
{
    return isPermitted(mask, mTypePermissionsBit());
}

bool OTVUser::checkRecordPermission(int mask) const
{
    return isPermitted(mask, mRecordPermissionsBit());
}
