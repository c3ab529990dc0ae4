#include "BKMainWindowViews.h"

#include "BKRecordCells.h"
#include "BKViewCells.h"

#include "Customization/BKTableView.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUID.h"
#include "Platform/BKLocalization.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSet>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The records of every listed record's group, counted by group UID (or type UID).
QHash<QString, int> countByGroup(const OTVRecordList& records)
{
    QHash<QString, int> counts;
    for (const std::shared_ptr<OTVRecord>& record : records)
        ++counts[record->mGroup()->mGroupUID()];
    return counts;
}

// The distinct types of the records sorted by name, and the number of records of each, by type
// UID.
OTVTypeList typesOf(const OTVRecordList& records, QHash<QString, int>* counts)
{
    BKRecordsByType grouped = BKGroupByType(records);
    for (qsizetype row = 0; row < grouped.types.size(); ++row)
        counts->insert(grouped.types[row]->mTypeUID(), int(grouped.positions[row].size()));
    return std::move(grouped.types);
}

QString groupTitle(const BKGroup& group, int count)
{
    return count >= 1 ? QStringLiteral("%1 (%2)").arg(group.mGroupName()).arg(count) : group.mGroupName();
}

template <class Table>
Table* configured(Table* table, const QString& name, QAbstractItemModel* model)
{
    table->setObjectName(name);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(false);
    table->setShowGrid(false);
    table->setSortingEnabled(false);
    table->setWordWrap(false);
    // Tab leaves the table for the next control rather than walk its cells.
    table->setTabKeyNavigation(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QTableView* makeTable(QWidget* parent, const QString& name, QAbstractItemModel* model)
{
    return configured(new QTableView(parent), name, model);
}

QWidget* page(const QString& name, QWidget* content)
{
    auto* widget = new QWidget;
    widget->setObjectName(name);
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    // The view takes the height; what is put under it (the record buttons) keeps its own.
    layout->addWidget(content, 1);
    return widget;
}

// Return and Enter on a view's selected row do what a double click on it does; `activate` says
// whether it acted (else the view has the key).
class BKReturnActivatesRow : public QObject {
public:
    BKReturnActivatesRow(QAbstractItemView* view, std::function<bool(const QModelIndex&)> activate)
        : QObject(view), view_(view), activate_(std::move(activate))
    {
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != view_ || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        // The current row when it is selected, else the first selected one.
        QModelIndex index = view_->currentIndex();
        if (!index.isValid() || !view_->selectionModel()->isSelected(index)) {
            const QModelIndexList selected = view_->selectionModel()->selectedIndexes();
            index = selected.isEmpty() ? QModelIndex() : selected.first();
        }
        return index.isValid() && activate_(index);
    }

private:
    QAbstractItemView* view_;
    std::function<bool(const QModelIndex&)> activate_;
};

} // namespace

void BKPopUpButton::showPopup()
{
    emit aboutToPopup();
    QComboBox::showPopup();
}

BKMainWindowViews::BKMainWindowViews(OTVDataBase& store, QWidget* parent) : QWidget(parent), store_(store)
{
    listModel_ = new BKRecordListModel(store_, this);
    descriptionModel_ = new BKDescriptionTableModel(this);
    typesModel_ = new BKTypesTableModel(store_, this);
    smartModel_ = new BKSmartTypesModel(this);
    outlineModel_ = new BKRecordOutlineModel(store_, this);
    buildFilters();
    buildViews();
    connectSelections();
    initGroupUIControl();
    initTypesUIControl();
}

// ---------------------------------------------------------------------------------------------
// Building

void BKMainWindowViews::buildFilters()
{
    categoriesPopup_ = new BKPopUpButton(this);
    categoriesPopup_->setObjectName(QStringLiteral("mCategoriesPopup"));
    categoriesPopup_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    categoriesPopup_->setMinimumContentsLength(14);
    typesPopup_ = new BKPopUpButton(this);
    typesPopup_->setObjectName(QStringLiteral("mTypesPopup"));
    typesPopup_->setMinimumContentsLength(10);

    searchField_ = new QLineEdit(this);
    searchField_->setObjectName(QStringLiteral("mSearchField"));
    searchField_->setClearButtonEnabled(true);
    searchField_->setPlaceholderText(BKLocalizedString("Search"));
    searchField_->setMinimumWidth(180);

    viewSelector_ = new QWidget(this);
    viewSelector_->setObjectName(QStringLiteral("mViewsSelectionControl"));
    auto* selectorLayout = new QHBoxLayout(viewSelector_);
    selectorLayout->setContentsMargins(0, 0, 0, 0);
    selectorLayout->setSpacing(0);
    viewButtons_ = new QButtonGroup(viewSelector_);
    viewButtons_->setExclusive(true);
    const char* titles[] = {"Columns", "List", "Tree"};
    for (int tag = kColumnViewTag; tag <= kTreeViewTag; ++tag) {
        auto* button = new QToolButton(viewSelector_);
        button->setText(BKLocalizedString(titles[tag]));
        button->setCheckable(true);
        button->setAutoRaise(false);
        viewButtons_->addButton(button, tag);
        selectorLayout->addWidget(button);
    }
    viewButtons_->button(kColumnViewTag)->setChecked(true);

    connect(categoriesPopup_, &BKPopUpButton::aboutToPopup, this, [this] {
        previousCategory_ = categoriesPopup_->currentIndex();
        if (groupTitlesStale_)
            updateGroupUIControl();
    });
    connect(typesPopup_, &BKPopUpButton::aboutToPopup, this, [this] { previousType_ = typesPopup_->currentIndex(); });
    connect(categoriesPopup_, &QComboBox::activated, this, [this](int index) {
        if (categoriesPopup_->itemData(index).toInt() == kEditItemTag) {
            restorePopupSelection(categoriesPopup_, previousCategory_);
            emit editGroupsRequested();
            return;
        }
        changeCategory();
    });
    connect(typesPopup_, &QComboBox::activated, this, [this](int index) {
        if (typesPopup_->itemData(index).toInt() == kEditItemTag) {
            restorePopupSelection(typesPopup_, previousType_);
            emit editTypesRequested();
            return;
        }
        changeType();
    });
    connect(searchField_, &QLineEdit::textChanged, this, [this] { performSearch(); });
    connect(viewButtons_, &QButtonGroup::idClicked, this, [this](int tag) { changeView(tag); });
}

void BKMainWindowViews::buildViews()
{
    typesTable_ = makeTable(this, QStringLiteral("mColumnViewTypesTable"), typesModel_);
    typesTable_->horizontalHeader()->hide();
    typesTable_->setItemDelegate(BKMakeImageAndTextDelegate(typesTable_));
    smartTable_ = makeTable(this, QStringLiteral("mSmartTypesTable"), smartModel_);
    smartTable_->horizontalHeader()->hide();
    smartTable_->setItemDelegate(BKMakeImageAndTextDelegate(smartTable_));
    descriptionTable_ = makeTable(this, QStringLiteral("mColumnViewDescriptionTable"), descriptionModel_);
    descriptionTable_->horizontalHeader()->hide();

    listTable_ = configured(new BKTableView(this), QStringLiteral("mListViewTypesTable"), listModel_);
    listTable_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    listTable_->horizontalHeader()->setSectionsMovable(false);
    listTable_->horizontalHeader()->setSectionsClickable(true);
    listTable_->horizontalHeader()->setSortIndicatorShown(true);
    listTable_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    listTable_->horizontalHeader()->setStretchLastSection(false);
    listTable_->setItemDelegateForColumn(kIconColumnID, BKMakeImageDelegate(Qt::AlignHCenter, listTable_));
    listTable_->setItemDelegateForColumn(kNotesColumnID, BKMakeImageDelegate(Qt::AlignLeft, listTable_));
    listTable_->setItemDelegateForColumn(kAttachmentColumnID, BKMakeImageDelegate(Qt::AlignLeft, listTable_));
    listTable_->verticalHeader()->setDefaultSectionSize(listTable_->fontMetrics().height() + 4);
    // The image columns are as narrow as their images; the saved widths may widen 13 and 14.
    for (int column : {kIconColumnID, kNotesColumnID, kAttachmentColumnID})
        listTable_->setColumnWidth(column, 28);

    outline_ = new QTreeView(this);
    outline_->setObjectName(QStringLiteral("mTreeViewOutlineView"));
    outline_->setModel(outlineModel_);
    outline_->setHeaderHidden(true);
    outline_->setSelectionBehavior(QAbstractItemView::SelectRows);
    outline_->setSelectionMode(QAbstractItemView::SingleSelection);
    outline_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outline_->setItemDelegate(BKMakeImageAndTextDelegate(outline_));

    smartTypeSplit_ = new BKSplitter(Qt::Vertical, BKSplitKind::SmartType, this);
    smartTypeSplit_->setObjectName(QStringLiteral("mSmartTypeSplitView"));
    smartTypeSplit_->addWidget(typesTable_);
    smartTypeSplit_->addWidget(smartTable_);
    smartTypeSplit_->setSizes({300, 100});
    subSplit_ = new BKSplitter(Qt::Horizontal, BKSplitKind::Sub, this);
    subSplit_->setObjectName(QStringLiteral("mSubSplitView"));
    subSplit_->addWidget(smartTypeSplit_);
    subSplit_->addWidget(descriptionTable_);
    subSplit_->setSizes({220, 400});

    tabView_ = new QStackedWidget(this);
    tabView_->setObjectName(QStringLiteral("mTabView"));
    tabView_->addWidget(page(QStringLiteral("ColumnView"), subSplit_));
    tabView_->addWidget(page(QStringLiteral("ListView"), listTable_));
    tabView_->addWidget(page(QStringLiteral("TreeView"), outline_));

    detailsContainer_ = new QWidget(this);
    detailsContainer_->setObjectName(QStringLiteral("mDetailsViewContainer"));
    auto* detailsLayout = new QVBoxLayout(detailsContainer_);
    detailsLayout->setContentsMargins(0, 0, 0, 0);

    mainSplit_ = new BKSplitter(Qt::Horizontal, BKSplitKind::Main, this);
    mainSplit_->setObjectName(QStringLiteral("mMainSplitView"));
    mainSplit_->addWidget(tabView_);
    mainSplit_->addWidget(detailsContainer_);
    mainSplit_->setSizes({650, 350});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mainSplit_);
}

void BKMainWindowViews::connectSelections()
{
    const auto changed = [this](auto&& reaction) {
        return [this, reaction] {
            if (rebuilding_)
                return;
            reaction();
            showSelectedRecord();
            noteViewedRecord();
            emit validateUIControls();
        };
    };
    // A type and a smart list are never chosen together: the record table lists one of them.
    connect(typesTable_->selectionModel(), &QItemSelectionModel::selectionChanged, this, changed([this] {
        if (selectedRow(typesTable_) >= 0)
            smartTable_->selectionModel()->clearSelection();
        reloadDescriptionTable();
    }));
    connect(smartTable_->selectionModel(), &QItemSelectionModel::selectionChanged, this, changed([this] {
        if (selectedRow(smartTable_) >= 0)
            typesTable_->selectionModel()->clearSelection();
        reloadDescriptionTable();
    }));
    connect(descriptionTable_->selectionModel(), &QItemSelectionModel::selectionChanged, this, changed([] {}));
    connect(listTable_->selectionModel(), &QItemSelectionModel::selectionChanged, this, changed([] {}));
    connect(listTable_->selectionModel(), &QItemSelectionModel::currentChanged, this, changed([] {}));
    connect(outline_->selectionModel(), &QItemSelectionModel::selectionChanged, this, changed([] {}));
    connect(listTable_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int section, Qt::SortOrder order) {
                if (!rebuilding_ && section >= 0)
                    sortByColumn(section, order == Qt::AscendingOrder);
            });
    const auto activated = [this](QAbstractItemView* view) {
        const auto activate = [this](const QModelIndex& index) {
            auto record = index.data(BKRecordRole).value<std::shared_ptr<OTVRecord>>();
            if (record)
                emit recordActivated(record);
            return record != nullptr;
        };
        connect(view, &QAbstractItemView::doubleClicked, this, activate);
        new BKReturnActivatesRow(view, activate);
    };
    activated(listTable_);
    activated(descriptionTable_);
    activated(outline_);
}

// ---------------------------------------------------------------------------------------------
// State

void BKMainWindowViews::setShouldCreateDatabase(bool loaded)
{
    shouldCreateDatabase_ = loaded;
    updateTables();
}

void BKMainWindowViews::setShouldLockInfoDisplay(bool locked)
{
    shouldLockInfoDisplay_ = locked;
    updateTables();
}

void BKMainWindowViews::setShouldMask(bool on)
{
    shouldMask_ = on;
    listModel_->setShouldMask(on);
    descriptionModel_->setShouldMask(on);
    outlineModel_->setShouldMask(on);
}

void BKMainWindowViews::setRowColor(const QColor& color)
{
    listModel_->setRowColor(color);
}

int BKMainWindowViews::currentView() const
{
    return viewButtons_->checkedId() < 0 ? kColumnViewTag : viewButtons_->checkedId();
}

QString BKMainWindowViews::searchString() const
{
    return searchField_->text();
}

bool BKMainWindowViews::groupsPopupShowsNoGroups() const
{
    return categoriesPopup_->currentData().toInt() == kNoGroupsTag;
}

// ---------------------------------------------------------------------------------------------
// Filters

void BKMainWindowViews::initGroupUIControl()
{
    const QSignalBlocker blocker(categoriesPopup_);
    categoriesPopup_->clear();
    const OTVGroupList groups = store_.groupsForEditing();
    if (groups.isEmpty()) {
        categoriesPopup_->addItem(BKLocalizedString("No Groups"), kNoGroupsTag);
        groupFilterSelectedUID_.clear();
    } else {
        groupTitlesStale_ = false;
        const QHash<QString, int> counts = countByGroup(store_.itemsOfGroup(nullptr, nullptr, searchString()));
        int selected = 0;
        for (int i = 0; i < groups.size(); ++i) {
            categoriesPopup_->addItem(groupTitle(*groups[i], counts.value(groups[i]->mGroupUID())), i);
            if (groups[i]->mGroupUID() == groupFilterSelectedUID_)
                selected = i;
        }
        // The chosen group stays chosen when the list is built again; a group that is gone
        // gives way to the first.
        groupFilterSelectedUID_ = groups[selected]->mGroupUID();
        categoriesPopup_->addItem(BKLocalizedString("Edit Groups..."), kEditItemTag);
        categoriesPopup_->setCurrentIndex(selected);
        return;
    }
    categoriesPopup_->addItem(BKLocalizedString("Edit Groups..."), kEditItemTag);
    categoriesPopup_->setCurrentIndex(0);
}

void BKMainWindowViews::updateGroupUIControl()
{
    const OTVGroupList groups = store_.groupsForEditing();
    const int titled = categoriesPopup_->count() - 1;
    if (groups.isEmpty() || titled != groups.size()) {
        initGroupUIControl();
        return;
    }
    groupTitlesStale_ = false;
    const QHash<QString, int> counts = countByGroup(store_.itemsOfGroup(nullptr, nullptr, searchString()));
    for (int i = 0; i < titled; ++i)
        categoriesPopup_->setItemText(i, groupTitle(*groups[i], counts.value(groups[i]->mGroupUID())));
}

void BKMainWindowViews::retitleChosenGroup()
{
    // The closed pop-up shows only the chosen group: its count is one query over that group. The
    // other titles, a query over the whole vault, are brought up to date when the pop-up opens.
    const std::shared_ptr<BKGroup> group = selectedGroup();
    if (!group || categoriesPopup_->count() - 1 != store_.groupsForEditing().size()) {
        updateGroupUIControl();
        return;
    }
    const int count =
        chosenGroupListed_ >= 0 ? chosenGroupListed_ : store_.itemsCountOfGroup(group, nullptr, searchString());
    categoriesPopup_->setItemText(categoriesPopup_->currentIndex(), groupTitle(*group, count));
    groupTitlesStale_ = true;
}

void BKMainWindowViews::initTypesUIControl()
{
    const QSignalBlocker blocker(typesPopup_);
    typesPopup_->clear();
    typesPopup_->addItem(BKLocalizedString("All Types"), kAllTypesTag);
    typesPopup_->addItem(BKLocalizedString("Edit Types..."), kEditItemTag);
    typesPopup_->setCurrentIndex(0);
}

void BKMainWindowViews::selectGroupWithUID(const QString& groupUID)
{
    groupFilterSelectedUID_ = groupUID;
    initGroupUIControl();
}

void BKMainWindowViews::restorePopupSelection(QComboBox* popup, int previousIndex)
{
    const QSignalBlocker blocker(popup);
    const int last = popup->count() - 2;   // the editor item is last
    popup->setCurrentIndex(std::clamp(previousIndex, 0, std::max(last, 0)));
}

// ---------------------------------------------------------------------------------------------
// Actions

void BKMainWindowViews::changeView(int tag)
{
    if (tag < kColumnViewTag || tag > kTreeViewTag)
        tag = kColumnViewTag;
    if (const std::shared_ptr<OTVUser> user = store_.mCurrentUser()) {
        user->setMLastView(qint16(tag));
        reportPreferenceWrite(store_.saveLastViewForUser(*user));
    }
    setTypesViewHidden(true);
    tabView_->setCurrentIndex(tag);
    if (viewButtons_->checkedId() != tag)
        viewButtons_->button(tag)->setChecked(true);
    if (tag == kListViewTag) {
        store_.readColoumWidthInfoForType(QString());
        initTableColumnSorting();
    }
    updateTables();
    const int previous = std::exchange(shownView_, tag);
    emit viewChanged(tag, previous);
    emit validateUIControls();
}

void BKMainWindowViews::changeCategory()
{
    const OTVGroupList groups = store_.groupsForEditing();
    const int tag = categoriesPopup_->currentData().toInt();
    const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
    if (!groups.isEmpty() && tag >= 0 && tag < groups.size()) {
        groupFilterSelectedUID_ = groups[tag]->mGroupUID();
        if (user)
            user->setMCurrentGroup(groupFilterSelectedUID_);
    } else {
        groupFilterSelectedUID_.clear();
        if (user)
            user->setMCurrentGroup(kAllCategoriesUID);
    }
    if (user)
        reportPreferenceWrite(store_.saveCurrentGroupForUser(*user));
    initTypesUIControl();
    updateTables();
}

void BKMainWindowViews::changeType()
{
    const std::shared_ptr<OTVType> type = selectedType();
    store_.readColoumWidthInfoForType(type ? type->mTypeUID() : QString());
    updateTables();
    initTableColumnSorting();
    emit viewChanged(currentView(), currentView());
    emit validateUIControls();
}

void BKMainWindowViews::performSearch()
{
    updateTables();
    emit validateUIControls();
}

void BKMainWindowViews::updateTables()
{
    rebuilding_ = true;
    chosenGroupListed_ = -1;
    switch (currentView()) {
    case kColumnViewTag:
        reloadTypesTable();
        reloadDescriptionTable();
        reloadSmartTable();
        break;
    case kListViewTag:
        reloadListTable();
        break;
    case kTreeViewTag:
        reloadOutline();
        break;
    default:
        break;
    }
    rebuilding_ = false;
    if (showsRows())
        retitleChosenGroup();
    showSelectedRecord();
}

void BKMainWindowViews::reportPreferenceWrite(int status)
{
    if (status != kOTVStatusOK)
        emit preferenceWriteFailed(status);
}

// ---------------------------------------------------------------------------------------------
// Lists

void BKMainWindowViews::reloadTypesTable()
{
    const std::shared_ptr<OTVType> previous = typesModel_->type(selectedRow(typesTable_));
    if (!showsRows() || groupsPopupShowsNoGroups()) {
        typesModel_->setTypes({}, {});
        return;
    }
    // One query gives the types and their counts.
    QHash<QString, int> counts;
    const OTVRecordList records = store_.itemsOfGroup(selectedGroup(), nullptr, searchString());
    chosenGroupListed_ = int(records.size());
    OTVTypeList types = typesOf(records, &counts);
    typesModel_->setTypes(std::move(types), std::move(counts));
    if (previous) {
        const OTVTypeList& shown = typesModel_->types();
        for (int row = 0; row < shown.size(); ++row) {
            if (shown[row]->mTypeUID() == previous->mTypeUID())
                selectRow(typesTable_, row);
        }
    }
}

void BKMainWindowViews::reloadSmartTable()
{
    const int previous = selectedRow(smartTable_);
    std::array<int, BKSmartTypesModel::kSmartLists> counts{};
    if (showsRows()) {
        const std::shared_ptr<BKGroup> group = selectedGroup();
        for (int row = 0; row < BKSmartTypesModel::kSmartLists; ++row)
            counts[size_t(row)] = int(smartListRecords(group, row).size());
    }
    smartModel_->setCounts(showsRows(), counts);
    if (previous >= 0 && smartModel_->rowCount() > previous && selectedRow(smartTable_) != previous)
        selectRow(smartTable_, previous);
}

QStringList BKMainWindowViews::smartListUIDs(int row) const
{
    if (row == 0)
        return store_.mostViewedRecordsUIDs();
    if (row == 1)
        return store_.recentlyModifiedTypes();
    return store_.recentlyViewedTypes();
}

OTVRecordList BKMainWindowViews::smartListRecords(const std::shared_ptr<BKGroup>& group, int row) const
{
    // The few listed records are looked up instead of walking the vault; they come in the
    // store's order (by UID), each once, as its query gives them.
    QStringList listed = smartListUIDs(row);
    listed.sort();
    listed.removeDuplicates();
    const QString search = searchString();
    OTVRecordList records;
    for (const QString& uid : listed) {
        const std::shared_ptr<OTVRecord> record = store_.getRecordForUID(uid);
        if (!record || !record->mGroup() || (group && record->mGroup()->mGroupUID() != group->mGroupUID()))
            continue;
        if (search.isEmpty() || store_.containsString(search, *record))
            records.append(record);
    }
    return records;
}

OTVRecordList BKMainWindowViews::descriptionTableList() const
{
    if (!showsRows())
        return {};
    if (selectedRow(typesTable_) >= 0)
        return store_.itemsOfGroup(selectedGroup(), selectedType(), searchString(), kField1ColumnID, true);
    const int smartRow = selectedRow(smartTable_);
    if (smartRow >= 0)
        return smartListRecords(selectedGroup(), smartRow);
    return {};
}

void BKMainWindowViews::reloadDescriptionTable()
{
    const std::shared_ptr<OTVRecord> previous = descriptionModel_->record(selectedRow(descriptionTable_));
    const bool wasRebuilding = rebuilding_;
    rebuilding_ = true;
    descriptionModel_->setRecords(descriptionTableList());
    if (previous) {
        const QList<int> rows = BKRowsOfRecords(descriptionModel_->records(), {previous});
        if (!rows.isEmpty())
            selectRow(descriptionTable_, rows.first());
    }
    rebuilding_ = wasRebuilding;
}

OTVRecordList BKMainWindowViews::sortedItemsForListView() const
{
    if (currentView() == kListViewTag && !sortDescriptors_.isEmpty()) {
        const SortSpec& first = sortDescriptors_.first();
        if (const std::shared_ptr<OTVUser> user = store_.mCurrentUser())
            user->setMSortingInfo(first);
        return store_.itemsOfGroup(selectedGroup(), nullptr, searchString(), first.key.toInt(), first.ascending);
    }
    return store_.itemsOfGroup(selectedGroup(), nullptr, searchString(), kField1ColumnID, true);
}

void BKMainWindowViews::reloadListTable()
{
    OTVRecordList selected;
    for (int row : selectedRows(listTable_))
        selected.append(listModel_->record(row));
    const std::shared_ptr<OTVRecord> current = listModel_->record(selectedRow(listTable_));

    if (showsRows()) {
        OTVRecordList records = sortedItemsForListView();
        chosenGroupListed_ = int(records.size());
        listModel_->setRecords(std::move(records));
    } else {
        listModel_->setRecords({});
    }

    QItemSelection selection;
    int currentRow = -1;
    const OTVRecordList& records = listModel_->records();
    for (int row : BKRowsOfRecords(records, selected)) {
        selection.select(listModel_->index(row, 0), listModel_->index(row, kRecordListColumns - 1));
        if (current && records[row]->mRecordUID() == current->mRecordUID())
            currentRow = row;
    }
    QItemSelectionModel* model = listTable_->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    if (currentRow >= 0)
        model->setCurrentIndex(listModel_->index(currentRow, 0), QItemSelectionModel::NoUpdate);
}

void BKMainWindowViews::reloadOutline()
{
    QSet<QString> expanded;
    for (int row = 0; row < outlineModel_->rowCount(); ++row) {
        const QModelIndex index = outlineModel_->index(row, 0);
        if (outline_->isExpanded(index))
            expanded.insert(outlineModel_->typeAt(index)->mTypeUID());
    }
    const QModelIndex selectedIndex = outline_->selectionModel()->currentIndex();
    const std::shared_ptr<OTVRecord> selectedRecord =
        outline_->selectionModel()->isSelected(selectedIndex) ? outlineModel_->recordAt(selectedIndex) : nullptr;
    const std::shared_ptr<OTVType> selectedTypeItem =
        outline_->selectionModel()->isSelected(selectedIndex) ? outlineModel_->typeAt(selectedIndex) : nullptr;

    // One sorted query gives the types and their records, each type's in the list's order.
    OTVRecordList records;
    if (showsRows() && !groupsPopupShowsNoGroups()) {
        records = store_.itemsOfGroup(selectedGroup(), nullptr, searchString(), kField1ColumnID, true);
        chosenGroupListed_ = int(records.size());
    }
    outlineModel_->setRecords(std::move(records));

    for (int row = 0; row < outlineModel_->rowCount(); ++row) {
        const QModelIndex index = outlineModel_->index(row, 0);
        if (expanded.contains(outlineModel_->typeAt(index)->mTypeUID()))
            outline_->expand(index);
    }
    QModelIndex reselect;
    if (selectedRecord)
        reselect = outlineModel_->indexOfRecord(selectedRecord);
    else if (selectedTypeItem)
        reselect = outlineModel_->indexOfType(selectedTypeItem->mTypeUID());
    if (reselect.isValid()) {
        if (reselect.parent().isValid())
            outline_->expand(reselect.parent());
        outline_->selectionModel()->setCurrentIndex(reselect, QItemSelectionModel::ClearAndSelect);
    }
}

// ---------------------------------------------------------------------------------------------
// Selection

int BKMainWindowViews::selectedRow(const QTableView* table) const
{
    const QItemSelectionModel* model = table->selectionModel();
    const QModelIndex current = model->currentIndex();
    if (current.isValid() && model->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    const QList<int> rows = selectedRows(table);
    return rows.isEmpty() ? -1 : rows.last();
}

QList<int> BKMainWindowViews::selectedRows(const QTableView* table) const
{
    QList<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void BKMainWindowViews::selectRow(QTableView* table, int row)
{
    const QModelIndex index = table->model()->index(row, 0);
    table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void BKMainWindowViews::noteViewedRecord()
{
    // A record the user chose is a record viewed: it enters his smart lists, each once in a
    // row however often the selection around it is rebuilt.
    const std::shared_ptr<OTVRecord> record = itemPropertiesForTableViewSelectedRow();
    const QString uid = record ? record->mRecordUID() : QString();
    if (uid.isEmpty()) {
        // The user left the record: choosing it again is another view.
        lastViewedRecordUID_.clear();
        return;
    }
    if (uid == lastViewedRecordUID_)
        return;
    lastViewedRecordUID_ = uid;
    store_.addMostViewedRecord(record, true);
    store_.addRecentlyViewedRecord(record);
    emit recordViewed(record);
    if (currentView() == kColumnViewTag) {
        rebuilding_ = true;
        reloadSmartTable();
        rebuilding_ = false;
    }
}

void BKMainWindowViews::showSelectedRecord()
{
    emit selectedRecordChanged(itemPropertiesForTableViewSelectedRow());
}

std::shared_ptr<BKGroup> BKMainWindowViews::selectedGroup() const
{
    const OTVGroupList groups = store_.groupsForEditing();
    const int tag = categoriesPopup_->currentData().toInt();
    if (groups.isEmpty() || tag < 0 || tag >= groups.size())
        return nullptr;
    return groups[tag];
}

std::shared_ptr<OTVType> BKMainWindowViews::selectedType() const
{
    switch (currentView()) {
    case kColumnViewTag:
        return typesModel_->type(selectedRow(typesTable_));
    case kListViewTag: {
        // Only type items name a type: "All Types" and the editor item name none.
        const int tag = typesPopup_->currentData().toInt();
        const OTVTypeList types = tag >= 0 ? store_.typesForEditing() : OTVTypeList();
        return tag >= 0 && tag < types.size() ? types[tag] : nullptr;
    }
    case kTreeViewTag: {
        const QModelIndex index = outline_->selectionModel()->currentIndex();
        if (!outline_->selectionModel()->isSelected(index))
            return nullptr;
        if (std::shared_ptr<OTVType> type = outlineModel_->typeAt(index))
            return type;
        const std::shared_ptr<OTVRecord> record = outlineModel_->recordAt(index);
        return record ? record->mType() : nullptr;
    }
    default:
        return nullptr;
    }
}

std::shared_ptr<OTVRecord> BKMainWindowViews::selectedSmartRecord() const
{
    if (currentView() != kColumnViewTag || selectedRow(smartTable_) < 0)
        return nullptr;
    return descriptionModel_->record(selectedRow(descriptionTable_));
}

std::shared_ptr<OTVRecord> BKMainWindowViews::itemPropertiesForTableViewSelectedRow() const
{
    switch (currentView()) {
    case kColumnViewTag:
        if (selectedRow(typesTable_) < 0 && selectedRow(smartTable_) < 0)
            return nullptr;
        return descriptionModel_->record(selectedRow(descriptionTable_));
    case kListViewTag:
        return listModel_->record(selectedRow(listTable_));
    case kTreeViewTag: {
        const QModelIndex index = outline_->selectionModel()->currentIndex();
        return outline_->selectionModel()->isSelected(index) ? outlineModel_->recordAt(index) : nullptr;
    }
    default:
        return nullptr;
    }
}

std::shared_ptr<OTVType> BKMainWindowViews::typeUIDForTableViewSelectedRow() const
{
    if (currentView() == kColumnViewTag && selectedRow(typesTable_) < 0)
        return nullptr;
    const std::shared_ptr<OTVRecord> record = itemPropertiesForTableViewSelectedRow();
    return record ? record->mType() : nullptr;
}

OTVRecordList BKMainWindowViews::indexSetForExporting(bool whole) const
{
    switch (currentView()) {
    case kColumnViewTag:
        if (selectedRow(smartTable_) >= 0 && selectedRow(typesTable_) < 0) {
            if (whole)
                return descriptionTableList();
            const std::shared_ptr<OTVRecord> record = selectedSmartRecord();
            return record ? OTVRecordList{record} : OTVRecordList();
        }
        if (whole)
            return sortedItemsForListView();
        if (const std::shared_ptr<OTVRecord> record = itemPropertiesForTableViewSelectedRow())
            return {record};
        return {};
    case kListViewTag: {
        if (whole)
            return sortedItemsForListView();
        OTVRecordList records;
        for (int row : selectedRows(listTable_)) {
            if (const std::shared_ptr<OTVRecord> record = listModel_->record(row))
                records.append(record);
        }
        return records;
    }
    case kTreeViewTag:
        if (whole)
            return store_.itemsOfGroup(selectedGroup(), nullptr, searchString());
        if (const std::shared_ptr<OTVRecord> record = itemPropertiesForTableViewSelectedRow())
            return {record};
        return {};
    default:
        return {};
    }
}

QVariant BKMainWindowViews::tableViewForPrinting(int column, int row) const
{
    const std::shared_ptr<OTVRecord> record = listModel_->record(row);
    return record ? BKPrintCellValue(*record, column, store_) : QVariant();
}

// ---------------------------------------------------------------------------------------------
// Sorting

void BKMainWindowViews::initTableColumnSorting()
{
    const std::shared_ptr<OTVUser> user = store_.mCurrentUser();
    if (!user || !user->mSortingInfo())
        return;
    const SortSpec stored = *user->mSortingInfo();
    sortDescriptors_ = {stored};
    for (int column = 0; column < kRecordListColumns; ++column) {
        const QString key = QString::number(column);
        if (key != stored.key)
            sortDescriptors_.append(SortSpec{key, true});
    }
    applySortIndicator();
}

void BKMainWindowViews::sortByColumn(int column, bool ascending)
{
    const QString key = QString::number(column);
    sortDescriptors_.removeIf([&](const SortSpec& spec) { return spec.key == key; });
    sortDescriptors_.prepend(SortSpec{key, ascending});
    applySortIndicator();
    updateTables();
    emit validateUIControls();
}

void BKMainWindowViews::applySortIndicator()
{
    QHeaderView* header = listTable_->horizontalHeader();
    const QSignalBlocker blocker(header);
    if (sortDescriptors_.isEmpty()) {
        header->setSortIndicator(-1, Qt::AscendingOrder);
        return;
    }
    const SortSpec& first = sortDescriptors_.first();
    header->setSortIndicator(first.key.toInt(), first.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// ---------------------------------------------------------------------------------------------
// Toolbar item

void BKMainWindowViews::setTypesViewHidden(bool hidden)
{
    typesViewHidden_ = hidden;
    emit typesViewVisibilityChanged(hidden);
}
