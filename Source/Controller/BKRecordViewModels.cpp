#include "BKRecordViewModels.h"

#include "BKRecordCells.h"
#include "BKViewImages.h"

#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Platform/BKLocalization.h"

#include <QSet>

#include <algorithm>
#include <numeric>

namespace {

QVariant recordValue(const std::shared_ptr<OTVRecord>& record)
{
    return QVariant::fromValue(record);
}

// How far ahead of the walk over a record list the records are fetched into the cache: the
// records lie scattered in memory, and a walk over 100,000 of them waits mostly on fetches.
constexpr qsizetype kFetchAhead = 8;

} // namespace

BKRecordsByType BKGroupByType(const OTVRecordList& records)
{
    // The records of a type hold one type object, so its address finds the group without hashing
    // the UID for each record; type objects that share a UID (a reload's and an old one) share a
    // group.
    OTVTypeList seen;   // in the order first met
    QList<QList<int>> positions;
    QHash<const OTVType*, qsizetype> groupOfObject;
    QHash<QString, qsizetype> groupOfUID;
    const OTVType* last = nullptr;
    qsizetype lastGroup = -1;
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (i + kFetchAhead < records.size())
            __builtin_prefetch(&records[i + kFetchAhead]->mType());
        const std::shared_ptr<OTVType>& type = records[i]->mType();
        if (!type)
            continue;
        if (type.get() != last) {
            auto found = groupOfObject.constFind(type.get());
            if (found == groupOfObject.constEnd()) {
                qsizetype group = groupOfUID.value(type->mTypeUID(), -1);
                if (group < 0) {
                    group = seen.size();
                    groupOfUID.insert(type->mTypeUID(), group);
                    seen.append(type);
                    positions.append(QList<int>());
                }
                found = groupOfObject.insert(type.get(), group);
            }
            last = type.get();
            lastGroup = *found;
        }
        positions[lastGroup].append(int(i));
    }
    QList<qsizetype> order(seen.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return sortTypeArray(*seen[a], *seen[b]) < 0; });
    BKRecordsByType grouped;
    grouped.types.reserve(seen.size());
    grouped.positions.reserve(seen.size());
    for (qsizetype group : order) {
        grouped.types.append(seen[group]);
        grouped.positions.append(std::move(positions[group]));
    }
    return grouped;
}

QList<int> BKRowsOfRecords(const OTVRecordList& list, const OTVRecordList& records)
{
    QList<int> rows;
    QSet<const OTVRecord*> objects;
    for (const std::shared_ptr<OTVRecord>& record : records) {
        if (record)
            objects.insert(record.get());
    }
    if (objects.isEmpty())
        return rows;
    for (qsizetype row = 0; row < list.size(); ++row) {
        if (objects.contains(list[row].get()))
            rows.append(int(row));
    }
    if (rows.size() == objects.size())
        return rows;
    QSet<QString> uids;
    for (const OTVRecord* record : objects)
        uids.insert(record->mRecordUID());
    rows.clear();
    for (qsizetype row = 0; row < list.size(); ++row) {
        if (uids.contains(list[row]->mRecordUID()))
            rows.append(int(row));
    }
    return rows;
}

// ---------------------------------------------------------------------------------------------
// List view

BKRecordListModel::BKRecordListModel(const OTVDataBase& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store)
{
    for (int column = 0; column < kRecordListColumns; ++column)
        titles_[size_t(column)] = BKLocalizedString(BKDefaultColumnTitle(column));
}

void BKRecordListModel::setRecords(OTVRecordList records)
{
    beginResetModel();
    records_ = std::move(records);
    endResetModel();
}

std::shared_ptr<OTVRecord> BKRecordListModel::record(int row) const
{
    return row >= 0 && row < records_.size() ? records_[row] : nullptr;
}

int BKRecordListModel::rowOfRecord(const QString& recordUID) const
{
    for (int row = 0; row < records_.size(); ++row) {
        if (records_[row]->mRecordUID() == recordUID)
            return row;
    }
    return -1;
}

void BKRecordListModel::setShouldMask(bool on)
{
    if (shouldMask_ == on)
        return;
    shouldMask_ = on;
    if (!records_.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kRecordListColumns - 1), {Qt::DisplayRole});
}

void BKRecordListModel::setRowColor(const QColor& color)
{
    rowColor_ = color;
    if (!records_.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kRecordListColumns - 1), {Qt::BackgroundRole});
}

void BKRecordListModel::setColumnTitle(int column, const QString& title)
{
    if (column < 0 || column >= kRecordListColumns || titles_[size_t(column)] == title)
        return;
    titles_[size_t(column)] = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int BKRecordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(records_.size());
}

int BKRecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kRecordListColumns;
}

QVariant BKRecordListModel::data(const QModelIndex& index, int role) const
{
    const std::shared_ptr<OTVRecord> item = index.isValid() ? record(index.row()) : nullptr;
    if (!item)
        return QVariant();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const QString text = BKListCellText(*item, column, shouldMask_, store_.mGroups());
        return text.isNull() ? QVariant() : QVariant(text);
    }
    case Qt::DecorationRole: {
        const QImage image = BKListCellImage(*item, column, store_);
        return image.isNull() ? QVariant() : QVariant(image);
    }
    case Qt::BackgroundRole:
        return index.row() % 2 == 0 ? BKBlendedRowColor(rowColor_) : QColor(Qt::white);
    case BKRecordRole:
        return recordValue(item);
    default:
        return QVariant();
    }
}

QVariant BKRecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kRecordListColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return titles_[size_t(section)];
    case Qt::DecorationRole:
        if (section == kIconColumnID)
            return BKViewImages::namedImage(kEncryptImageName);
        if (section == kAttachmentColumnID)
            return BKViewImages::namedImage(kAttachmentImageName);
        return QVariant();
    case Qt::InitialSortOrderRole:
        return int(Qt::AscendingOrder);
    case Qt::TextAlignmentRole:
        if (section == kIconColumnID)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    case BKColumnIdentifierRole:
        return QString::number(section);
    default:
        return QVariant();
    }
}

// ---------------------------------------------------------------------------------------------
// Column view: records

void BKDescriptionTableModel::setRecords(OTVRecordList records)
{
    beginResetModel();
    records_ = std::move(records);
    endResetModel();
}

std::shared_ptr<OTVRecord> BKDescriptionTableModel::record(int row) const
{
    return row >= 0 && row < records_.size() ? records_[row] : nullptr;
}

void BKDescriptionTableModel::setShouldMask(bool on)
{
    if (shouldMask_ == on)
        return;
    shouldMask_ = on;
    if (!records_.isEmpty())
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
}

int BKDescriptionTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(records_.size());
}

QVariant BKDescriptionTableModel::data(const QModelIndex& index, int role) const
{
    const std::shared_ptr<OTVRecord> item = index.isValid() ? record(index.row()) : nullptr;
    if (!item)
        return QVariant();
    if (role == Qt::DisplayRole)
        return BKFieldText(*item, 1, shouldMask_);
    if (role == BKRecordRole)
        return recordValue(item);
    return QVariant();
}

// ---------------------------------------------------------------------------------------------
// Column view: types

BKTypesTableModel::BKTypesTableModel(const OTVDataBase& store, QObject* parent)
    : QAbstractListModel(parent), store_(store)
{
}

void BKTypesTableModel::setTypes(OTVTypeList types, QHash<QString, int> counts)
{
    beginResetModel();
    types_ = std::move(types);
    counts_ = std::move(counts);
    endResetModel();
}

std::shared_ptr<OTVType> BKTypesTableModel::type(int row) const
{
    return row >= 0 && row < types_.size() ? types_[row] : nullptr;
}

int BKTypesTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(types_.size());
}

QVariant BKTypesTableModel::data(const QModelIndex& index, int role) const
{
    const std::shared_ptr<OTVType> item = index.isValid() ? type(index.row()) : nullptr;
    if (!item)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return item->mTypeName();
    case Qt::DecorationRole:
        return BKViewImages::typeIcon(store_, item.get());
    case BKCountRole:
        return counts_.value(item->mTypeUID(), 0);
    case BKTypeRole:
        return QVariant::fromValue(item);
    default:
        return QVariant();
    }
}

// ---------------------------------------------------------------------------------------------
// Column view: smart lists

void BKSmartTypesModel::setCounts(bool shown, const std::array<int, kSmartLists>& counts)
{
    if (shown == shown_) {
        counts_ = counts;
        if (shown_)
            emit dataChanged(index(0), index(kSmartLists - 1), {BKCountRole});
        return;
    }
    beginResetModel();
    shown_ = shown;
    counts_ = counts;
    endResetModel();
}

int BKSmartTypesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !shown_ ? 0 : kSmartLists;
}

QString BKSmartTypesModel::title(int row)
{
    if (row == 0)
        return BKLocalizedString("Most Viewed");
    if (row == 1)
        return BKLocalizedString("Recently Modified");
    return BKLocalizedString("Recently Viewed");
}

QVariant BKSmartTypesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return title(index.row());
    case Qt::DecorationRole:
        return BKViewImages::namedImage(kSmartListImageName);
    case BKCountRole:
        return counts_[size_t(index.row())];
    default:
        return QVariant();
    }
}

// ---------------------------------------------------------------------------------------------
// Tree view

BKRecordOutlineModel::BKRecordOutlineModel(const OTVDataBase& store, QObject* parent)
    : QAbstractItemModel(parent), store_(store)
{
}

void BKRecordOutlineModel::setRecords(OTVRecordList records)
{
    // The rows point into the list instead of holding records of their own: no record's count
    // of owners changes for a row.
    BKRecordsByType grouped = BKGroupByType(records);
    beginResetModel();
    records_ = std::move(records);
    types_ = std::move(grouped.types);
    children_ = std::move(grouped.positions);
    endResetModel();
}

void BKRecordOutlineModel::setShouldMask(bool on)
{
    if (shouldMask_ == on)
        return;
    shouldMask_ = on;
    for (int row = 0; row < types_.size(); ++row) {
        if (!children_[row].isEmpty()) {
            const QModelIndex parent = index(row, 0);
            emit dataChanged(index(0, 0, parent), index(int(children_[row].size()) - 1, 0, parent),
                             {Qt::DisplayRole});
        }
    }
}

std::shared_ptr<OTVType> BKRecordOutlineModel::typeAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this || index.internalId() != 0)
        return nullptr;
    return index.row() < types_.size() ? types_[index.row()] : nullptr;
}

std::shared_ptr<OTVRecord> BKRecordOutlineModel::recordAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this || index.internalId() == 0)
        return nullptr;
    const qsizetype typeRow = qsizetype(index.internalId()) - 1;
    if (typeRow >= children_.size() || index.row() >= children_[typeRow].size())
        return nullptr;
    return records_[children_[typeRow][index.row()]];
}

QModelIndex BKRecordOutlineModel::indexOfPosition(qsizetype position) const
{
    for (int typeRow = 0; typeRow < children_.size(); ++typeRow) {
        const QList<int>& positions = children_[typeRow];
        const auto found = std::lower_bound(positions.begin(), positions.end(), int(position));
        if (found != positions.end() && *found == position)
            return createIndex(int(found - positions.begin()), 0, quintptr(typeRow + 1));
    }
    return QModelIndex();
}

QModelIndex BKRecordOutlineModel::indexOfRecord(const QString& recordUID) const
{
    // A UID is in the list once.
    for (qsizetype position = 0; position < records_.size(); ++position) {
        if (records_[position]->mRecordUID() == recordUID)
            return indexOfPosition(position);
    }
    return QModelIndex();
}

QModelIndex BKRecordOutlineModel::indexOfRecord(const std::shared_ptr<OTVRecord>& record) const
{
    const QList<int> positions = BKRowsOfRecords(records_, {record});
    return positions.isEmpty() ? QModelIndex() : indexOfPosition(positions.first());
}

QModelIndex BKRecordOutlineModel::indexOfType(const QString& typeUID) const
{
    for (int row = 0; row < types_.size(); ++row) {
        if (types_[row]->mTypeUID() == typeUID)
            return createIndex(row, 0, quintptr(0));
    }
    return QModelIndex();
}

QModelIndex BKRecordOutlineModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return QModelIndex();
    if (!parent.isValid())
        return row < types_.size() ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0 || parent.row() >= children_.size())
        return QModelIndex();
    return row < children_[parent.row()].size() ? createIndex(row, 0, quintptr(parent.row() + 1)) : QModelIndex();
}

QModelIndex BKRecordOutlineModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return QModelIndex();
    return createIndex(int(child.internalId()) - 1, 0, quintptr(0));
}

int BKRecordOutlineModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(types_.size());
    if (parent.column() != 0 || parent.internalId() != 0 || parent.row() >= children_.size())
        return 0;
    return int(children_[parent.row()].size());
}

int BKRecordOutlineModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool BKRecordOutlineModel::hasChildren(const QModelIndex& parent) const
{
    // Exactly the types are expandable.
    return !parent.isValid() ? !types_.isEmpty() : parent.internalId() == 0;
}

QVariant BKRecordOutlineModel::data(const QModelIndex& index, int role) const
{
    if (const std::shared_ptr<OTVType> type = typeAt(index)) {
        switch (role) {
        case Qt::DisplayRole:
            return type->mTypeName();
        case Qt::DecorationRole:
            return BKViewImages::typeIcon(store_, type.get());
        case BKCountRole:
            return int(children_[index.row()].size());
        case BKTypeRole:
            return QVariant::fromValue(type);
        default:
            return QVariant();
        }
    }
    if (const std::shared_ptr<OTVRecord> record = recordAt(index)) {
        switch (role) {
        case Qt::DisplayRole:
            return BKFieldText(*record, 1, shouldMask_);
        case Qt::DecorationRole:
            return BKViewImages::typeIcon(store_, BKDisplayType(*record));
        case BKCountRole:
            return 0;
        case BKRecordRole:
            return QVariant::fromValue(record);
        default:
            return QVariant();
        }
    }
    return QVariant();
}

QMimeData* BKRecordMimeData(const QModelIndexList& indexes)
{
    QStringList uids;
    for (const QModelIndex& index : indexes) {
        const auto record = index.data(BKRecordRole).value<std::shared_ptr<OTVRecord>>();
        if (record && !uids.contains(record->mRecordUID()))
            uids.append(record->mRecordUID());
    }
    if (uids.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(kBKRecordPboardType, uids.join(QLatin1Char('\n')).toUtf8());
    return data;
}

QStringList BKRecordUIDsFromMimeData(const QMimeData* data)
{
    if (!data || !data->hasFormat(kBKRecordPboardType))
        return {};
    return QString::fromUtf8(data->data(kBKRecordPboardType)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

Qt::ItemFlags BKRecordListModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
}

Qt::ItemFlags BKDescriptionTableModel::flags(const QModelIndex& index) const
{
    return QAbstractListModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
}

Qt::ItemFlags BKTypesTableModel::flags(const QModelIndex& index) const
{
    return QAbstractListModel::flags(index) | (index.isValid() ? Qt::ItemIsDropEnabled : Qt::NoItemFlags);
}

bool BKTypesTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                        const QModelIndex& parent) const
{
    // Onto a row only: between rows or past the last one names no type.
    return row == -1 && parent.isValid() && type(parent.row()) && !BKRecordUIDsFromMimeData(data).isEmpty();
}

bool BKTypesTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                     const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    emit recordsDroppedOnType(BKRecordUIDsFromMimeData(data), type(parent.row()));
    return true;
}

Qt::ItemFlags BKRecordOutlineModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return QAbstractItemModel::flags(index);
    return QAbstractItemModel::flags(index) | (index.parent().isValid() ? Qt::ItemIsDragEnabled : Qt::ItemIsDropEnabled);
}

bool BKRecordOutlineModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                           const QModelIndex& parent) const
{
    return row == -1 && parent.isValid() && !parent.parent().isValid() && typeAt(parent)
           && !BKRecordUIDsFromMimeData(data).isEmpty();
}

bool BKRecordOutlineModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                        const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    emit recordsDroppedOnType(BKRecordUIDsFromMimeData(data), typeAt(parent));
    return true;
}
