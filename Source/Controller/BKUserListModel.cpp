#include "BKUserListModel.h"

#include "BKViewImages.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKLocalization.h"

namespace {
enum Column { NameColumn, DescriptionColumn, PasswordColumn, ColumnCount };
}

BKUserListModel::BKUserListModel(const OTVDataBase& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store), userImage_(BKViewImages::namedImage(kUserImageName))
{
}

void BKUserListModel::reload(const QString& searchPrefix)
{
    beginResetModel();
    users_ = store_.sortedUsersContainsString(searchPrefix);
    endResetModel();
}

int BKUserListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(users_.size());
}

int BKUserListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BKUserListModel::data(const QModelIndex& index, int role) const
{
    const std::shared_ptr<OTVUser_Admin> user = users_.value(index.row());
    if (!user)
        return {};
    if (role == Qt::DecorationRole && index.column() == NameColumn)
        return userImage_;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return user->mUsername();
    case DescriptionColumn:
        return user->mDescription();
    case PasswordColumn:
        return BKLocalizedString(user->mHasServerPassword() ? QStringLiteral("Yes") : QStringLiteral("No"));
    }
    return {};
}

QVariant BKUserListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const titles[] = {"Name", "Description", "Password"};
    return section >= 0 && section < ColumnCount ? BKLocalizedString(QString::fromLatin1(titles[section])) : QVariant();
}
