#pragma once

// The item models behind the main window's record views. Each holds the list it shows, built
// from one store query at the views' rebuild points (never while painting), together with the
// counts its cells show; the records and types are shared with the store, so a reload of the
// store's maps leaves them valid until the next rebuild.

#include "Customization/BKTableView.h"
#include "Customization/ImageAndTextDelegate.h"
#include "Model/Database_Engine/OTVDataBase.h"

#include <QAbstractItemModel>
#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QMimeData>
#include <QStringList>

#include <array>

Q_DECLARE_METATYPE(std::shared_ptr<OTVRecord>)
Q_DECLARE_METATYPE(std::shared_ptr<OTVType>)

enum BKRecordViewRole {
    BKRecordRole = Qt::UserRole + 1,   // the row's std::shared_ptr<OTVRecord> (nullptr for a type)
    BKTypeRole,                        // the row's std::shared_ptr<OTVType> (nullptr for a record)
    // The count an icon-and-text cell shows beside its text.
    BKCountRole = ImageAndTextDelegate::kCountRole,
    // Header: the column identifier ("0" .. "14").
    BKColumnIdentifierRole = BKTableView::kColumnIdentifierRole,
};

// Records dragged between the views travel as their UIDs (UTF-8, one a line) in this format of
// ours; the drag never leaves the application.
inline const QString kBKRecordPboardType = QStringLiteral("application/x-bkrecord-uid");
// The records of `indexes` (by BKRecordRole, each once); nullptr when none is a record.
QMimeData* BKRecordMimeData(const QModelIndexList& indexes);
QStringList BKRecordUIDsFromMimeData(const QMimeData* data);

// Records grouped by type, as the tree view and the column view's type list show them: the
// distinct types sorted by name (as the store sorts its type lists) and, for each by position,
// the positions of its records in `records`, ascending. Records without a type are in none.
struct BKRecordsByType {
    OTVTypeList types;
    QList<QList<int>> positions;
};
BKRecordsByType BKGroupByType(const OTVRecordList& records);

// The rows of `list` that hold `records` (by UID), ascending. The records are looked for as the
// same objects first, which an edit keeps: their addresses lie side by side in the list, where
// the UIDs would be fetched record by record. When some are not found so (a reload of the
// store's maps makes new objects), they are all looked for by UID.
QList<int> BKRowsOfRecords(const OTVRecordList& list, const OTVRecordList& records);

// The list view: one row per record, the fifteen columns "0" .. "14".
class BKRecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BKRecordListModel(const OTVDataBase& store, QObject* parent = nullptr);

    void setRecords(OTVRecordList records);
    const OTVRecordList& records() const { return records_; }
    std::shared_ptr<OTVRecord> record(int row) const;
    // The row of the record with that UID, or -1.
    int rowOfRecord(const QString& recordUID) const;

    bool shouldMask() const { return shouldMask_; }
    void setShouldMask(bool on);
    // Even rows are drawn in the blend of this colour, odd rows white.
    void setRowColor(const QColor& color);
    QColor rowColor() const { return rowColor_; }
    void setColumnTitle(int column, const QString& title);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override { return {kBKRecordPboardType}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override { return BKRecordMimeData(indexes); }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    const OTVDataBase& store_;
    OTVRecordList records_;
    bool shouldMask_ = false;
    QColor rowColor_ = Qt::white;
    std::array<QString, 15> titles_;
};

// The column view's record table ("Description_ID"): field 1 of each record, masked like the
// list view's Field 1 column.
class BKDescriptionTableModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setRecords(OTVRecordList records);
    const OTVRecordList& records() const { return records_; }
    std::shared_ptr<OTVRecord> record(int row) const;
    void setShouldMask(bool on);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override { return {kBKRecordPboardType}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override { return BKRecordMimeData(indexes); }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    OTVRecordList records_;
    bool shouldMask_ = false;
};

// The column view's types table ("ColumnType_ID"): type icon, name and number of matching
// records.
class BKTypesTableModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit BKTypesTableModel(const OTVDataBase& store, QObject* parent = nullptr);

    // The types with their counts (by type UID; a type missing there counts 0).
    void setTypes(OTVTypeList types, QHash<QString, int> counts);
    const OTVTypeList& types() const { return types_; }
    std::shared_ptr<OTVType> type(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Drops land on a type's row, never between rows; the controller stores the move.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override { return {kBKRecordPboardType}; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

signals:
    void recordsDroppedOnType(const QStringList& recordUIDs, const std::shared_ptr<OTVType>& type);

private:
    const OTVDataBase& store_;
    OTVTypeList types_;
    QHash<QString, int> counts_;
};

// The column view's smart lists ("SmartType_ID"): "Most Viewed", "Recently Modified" and
// "Recently Viewed", each with the number of its records that match; no rows while hidden.
class BKSmartTypesModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kSmartLists = 3;
    using QAbstractListModel::QAbstractListModel;

    // Counts of the three lists; `shown` false gives no rows (locked, or nothing loaded).
    void setCounts(bool shown, const std::array<int, kSmartLists>& counts);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    static QString title(int row);

private:
    bool shown_ = false;
    std::array<int, kSmartLists> counts_{};
};

// The tree view ("TreeViewColumn_ID"): types at level 0, their records at level 1.
class BKRecordOutlineModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit BKRecordOutlineModel(const OTVDataBase& store, QObject* parent = nullptr);

    // The records to show under their types (BKGroupByType), in the order each type lists them.
    void setRecords(OTVRecordList records);
    const OTVTypeList& types() const { return types_; }
    void setShouldMask(bool on);

    std::shared_ptr<OTVType> typeAt(const QModelIndex& index) const;
    std::shared_ptr<OTVRecord> recordAt(const QModelIndex& index) const;
    QModelIndex indexOfRecord(const QString& recordUID) const;
    // The same record shown: the object itself, or else a record with its UID (a reload of the
    // store's maps makes new objects).
    QModelIndex indexOfRecord(const std::shared_ptr<OTVRecord>& record) const;
    QModelIndex indexOfType(const QString& typeUID) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Records (level 1) are dragged; types (level 0) take drops.
    QMimeData* mimeData(const QModelIndexList& indexes) const override { return BKRecordMimeData(indexes); }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    // Drops land on a type's row, never between rows; the controller stores the move.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override { return {kBKRecordPboardType}; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

signals:
    void recordsDroppedOnType(const QStringList& recordUIDs, const std::shared_ptr<OTVType>& type);

private:
    // The index of the record at `position` in records_ (invalid when it has no type).
    QModelIndex indexOfPosition(qsizetype position) const;

    // A record's internal id is its type's row + 1; a type's is 0.
    const OTVDataBase& store_;
    OTVRecordList records_;
    OTVTypeList types_;
    QList<QList<int>> children_;   // by type row: the positions of its records in records_
    bool shouldMask_ = false;
};
