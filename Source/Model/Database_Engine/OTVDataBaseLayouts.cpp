// The logged-in user's layouts: the record list's columns per type (COLUMNINFOTABLE), the main
// window's frame as stored in the preference row, and the split views (user defaults).
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"
#include "OTVPreferenceCodecs.h"

#include "Model/OTVType.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKMainThread.h"
#include "Platform/BKUserDefaults.h"

namespace {

constexpr int kTypeIDColumnCharacters = 16;
// Only the shown flags of the 14 columns are stored.
constexpr quint64 kStoredMaskBits = 0xFFFFFFFF;

} // namespace

// ---------------------------------------------------------------------------------------------
// List columns

int OTVDataBase::readColoumWidthInfoForType(const QString& typeUID)
{
    return runGuarded(
        [&] {
            const std::shared_ptr<OTVUser> user = mCurrentUser_;
            if (!user)
                return int(kOTVStatusDatabaseError);
            OTVStatement statement = prepare(kQuerySelectColumnInfo);
            statement.setString(1, user->mUserID());
            statement.setString(2, typeUID.isNull() ? kAllCategoriesUID : typeUID);
            OTVResultSet rows = statement.executeQuery();
            if (rows.next()) {
                OTVColumnValues stored{};
                for (int i = 0; i < kListNoOfColumns; ++i)
                    stored[size_t(i)] = rows.getInt64(uint32_t(i + 3));
                const OTVColumnLayout layout = OTVColumnLayoutFromStored(stored);
                user->setMColoumWidthArray(layout.widths);
                user->setMColoumInfo(layout.mask);
            }
            return int(kOTVStatusOK);
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
}

int OTVDataBase::setShowColumnsInListViewForTypeName(const QString& typeUID)
{
    return runGuarded(
        [&] {
            const std::shared_ptr<OTVUser> user = mCurrentUser_;
            if (!user)
                return int(kOTVStatusDatabaseError);
            const std::optional<QList<int>>& widths = user->mColoumWidthArray();
            if (widths && widths->size() < kListNoOfColumns)
                return int(kOTVStatusDatabaseError);
            OTVCheckVarcharFits(typeUID, kTypeIDColumnCharacters);
            const OTVColumnValues values =
                OTVStoredColumnValues({widths.value_or(QList<int>()), user->mColoumInfo() & kStoredMaskBits});

            OTVStatement statement = prepare(kQueryReplaceColumnInfo);
            statement.setString(1, user->mUserID());
            statement.setString(2, typeUID);
            for (int i = 0; i < kListNoOfColumns; ++i)
                statement.setInt64(unsigned(i + 3), values[size_t(i)]);
            statement.executeUpdate();
            return int(kOTVStatusOK);
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
}

int OTVDataBase::setColumnWidthDetails(const QList<int>& widths, int typeIndex)
{
    const std::shared_ptr<OTVUser> user = getCurrentUser();
    if (!user || widths.size() < kListNoOfColumns || typeIndex < 0)
        return kOTVStatusDatabaseError;
    QString typeUID = kAllCategoriesUID;
    if (typeIndex > 0) {
        const OTVTypeList types = typesForEditing();
        if (typeIndex > types.size())
            return kOTVStatusDatabaseError;
        typeUID = types[typeIndex - 1]->mTypeUID();
    }
    user->setMColoumWidthArray(widths);
    return setShowColumnsInListViewForTypeName(typeUID);
}

std::optional<QList<int>> OTVDataBase::columnWidthDetails(int* returnCode) const
{
    const std::shared_ptr<OTVUser> user = getCurrentUser();
    if (returnCode)
        *returnCode = user ? kOTVStatusOK : kOTVStatusDatabaseError;
    return user ? user->mColoumWidthArray() : std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Window frame

QString OTVDataBase::getWindowDimensionsInWindowsStandard(const QRectF& frame) const
{
    bool maximised = false;
    BKPerformOnMainThreadAndWait([&maximised] { maximised = BKApplicationServices::current().isMainWindowMaximied(); });
    return OTVWindowPositionText(frame, OTVMainScreenSize(), maximised);
}

QRectF OTVDataBase::getRectFromWindowPosition(const QString& text) const
{
    const QSizeF screen = OTVMainScreenSize();
    return OTVFrameFromWindowPositionText(text, screen).value_or(OTVUser::defaultFrame(screen.width(), screen.height()));
}

// ---------------------------------------------------------------------------------------------
// Split views

void OTVDataBase::saveSplitViewInformation(const QStringList& rectangles, const QString& name)
{
    const std::shared_ptr<OTVUser> user = getCurrentUser();
    if (!user)
        return;
    if (name != kMainSplitViewAutosaveKey && name != kSmartTypeSplitViewAutosaveKey && name != kSubSplitViewAutosaveKey)
        return;
    BKUserDefaults::standardUserDefaults().setObject(rectangles, name);
    if (name == kMainSplitViewAutosaveKey && !rectangles.isEmpty())
        user->setMDetailPanelWidth(OTVDetailPaneWidthFromRect(rectangles.first()));
}
