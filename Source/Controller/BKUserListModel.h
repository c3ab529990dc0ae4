#pragma once

// The user-account window's list: name (with the user image), description and whether the
// server holds a password for the account, of the users whose name begins with the search text.

#include "Model/Database_Engine/OTVDataBase.h"

#include <QAbstractTableModel>
#include <QImage>

class BKUserListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BKUserListModel(const OTVDataBase& store, QObject* parent = nullptr);

    // Reads the users again from the store's map, filtered by the prefix.
    void reload(const QString& searchPrefix);
    std::shared_ptr<OTVUser_Admin> userAt(int row) const { return users_.value(row); }
    const OTVUserList& users() const { return users_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const OTVDataBase& store_;
    OTVUserList users_;
    QImage userImage_;
};
