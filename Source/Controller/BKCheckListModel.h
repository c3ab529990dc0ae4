#pragma once

// A table of entries, each with a check box in column 0 and texts in the columns after it: the
// group panel's users table (name, description) and merge table (name). The checked set is the
// owner's; a click asks the owner (toggled) and the owner answers with the new set.

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>

class BKCheckListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Row {
        QString id;
        QStringList texts;
    };

    BKCheckListModel(QStringList headers, QObject* parent = nullptr);

    void setRows(QList<Row> rows);
    const QList<Row>& rows() const { return rows_; }
    // Which ids are checked; the view is redrawn.
    void setChecked(QStringList ids);
    bool isChecked(int row) const;
    // Called when the user ticks (true) or un-ticks (false) the row of `id`.
    void setToggled(std::function<void(const QString& id, bool checked)> toggled) { toggled_ = std::move(toggled); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList headers_;
    QList<Row> rows_;
    QStringList checked_;
    std::function<void(const QString&, bool)> toggled_;
};
