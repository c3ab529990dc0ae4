#pragma once

// The main window's record views and their filters: the column view (types, smart lists, records),
// the list view and the tree view in a stack without tabs, the group and type pop-ups, the search
// field and the view selector; with the lists behind them, the selected record and the record
// lists that the record commands and the export take. The application controller owns one and
// puts its filter controls into the toolbar.
//
// Every list is built from one store query at a rebuild point (updateTables, a change of view,
// group, type, search or sort order) and then read by the cells and by the selection until the
// next rebuild. The selection survives a rebuild when its records are still listed.

#include "BKMainWindowLayout.h"
#include "BKRecordViewModels.h"

#include "Model/OTVUser.h"

#include <QComboBox>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class BKTableView;
class QButtonGroup;
class QLineEdit;
class QStackedWidget;
class QTableView;
class QTreeView;
class QToolButton;

// A pop-up that tells when it is about to open.
class BKPopUpButton : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void aboutToPopup();
};

class BKMainWindowViews : public QWidget {
    Q_OBJECT
public:
    enum ViewTag { kColumnViewTag = 0, kListViewTag = 1, kTreeViewTag = 2 };
    static constexpr int kNoGroupsTag = -1;
    static constexpr int kAllTypesTag = -1;
    // The "Edit Groups..." and "Edit Types..." items: they run their editor and the pop-up goes
    // back to the item selected before.
    static constexpr int kEditItemTag = -2;

    explicit BKMainWindowViews(OTVDataBase& store, QWidget* parent = nullptr);

    // --- Controls
    BKPopUpButton* categoriesPopup() const { return categoriesPopup_; }
    BKPopUpButton* typesPopup() const { return typesPopup_; }
    QLineEdit* searchField() const { return searchField_; }
    QWidget* viewsSelectionControl() const { return viewSelector_; }
    QButtonGroup* viewButtons() const { return viewButtons_; }
    QStackedWidget* tabView() const { return tabView_; }
    QTableView* columnViewTypesTable() const { return typesTable_; }
    QTableView* smartTypesTable() const { return smartTable_; }
    QTableView* columnViewDescriptionTable() const { return descriptionTable_; }
    BKTableView* listViewTypesTable() const { return listTable_; }
    QTreeView* treeViewOutlineView() const { return outline_; }
    BKSplitter* mainSplitView() const { return mainSplit_; }
    BKSplitter* subSplitView() const { return subSplit_; }
    BKSplitter* smartTypeSplitView() const { return smartTypeSplit_; }
    // The box of the details pane, beside the views.
    QWidget* detailsViewContainer() const { return detailsContainer_; }

    BKRecordListModel* listModel() const { return listModel_; }
    BKDescriptionTableModel* descriptionModel() const { return descriptionModel_; }
    BKTypesTableModel* typesModel() const { return typesModel_; }
    BKSmartTypesModel* smartModel() const { return smartModel_; }
    BKRecordOutlineModel* outlineModel() const { return outlineModel_; }

    // --- State
    // Nothing is listed until the vault is loaded, nor while the application is locked.
    bool shouldCreateDatabase() const { return shouldCreateDatabase_; }
    void setShouldCreateDatabase(bool loaded);
    bool shouldLockInfoDisplay() const { return shouldLockInfoDisplay_; }
    void setShouldLockInfoDisplay(bool locked);
    bool shouldMask() const { return shouldMask_; }
    void setShouldMask(bool on);
    void setRowColor(const QColor& color);
    // The current view's tag (0 column, 1 list, 2 tree).
    int currentView() const;
    QString searchString() const;
    // The UID of the group of the group pop-up; null when there are no groups.
    QString groupFilterSelectedUID() const { return groupFilterSelectedUID_; }

    // --- Filters
    void initGroupUIControl();
    // Every group's title with its count of matching records (also when the pop-up opens).
    void updateGroupUIControl();
    void initTypesUIControl();
    // Selects the group of that UID in the group pop-up (the first group when it is not there)
    // without saving it.
    void selectGroupWithUID(const QString& groupUID);

    // --- Actions
    void changeView(int tag);
    // The group pop-up's choice becomes the current group and is saved for the user.
    void changeCategory();
    void changeType();
    void performSearch();
    void updateTables();

    // --- Answers for the record commands
    std::shared_ptr<BKGroup> selectedGroup() const;
    std::shared_ptr<OTVType> selectedType() const;
    std::shared_ptr<OTVRecord> selectedSmartRecord() const;
    std::shared_ptr<OTVRecord> itemPropertiesForTableViewSelectedRow() const;
    std::shared_ptr<OTVType> typeUIDForTableViewSelectedRow() const;
    // The records of the list view in its sort order (a fresh query).
    OTVRecordList sortedItemsForListView() const;
    // With `whole` the whole list the current view shows, else its selected records.
    OTVRecordList indexSetForExporting(bool whole) const;
    // The printed value of a list cell (never masked); invalid past the list's end.
    QVariant tableViewForPrinting(int column, int row) const;

    // --- Sorting of the list view: the first descriptor sorts; none sorts by Field 1 ascending.
    void initTableColumnSorting();
    const QList<SortSpec>& sortDescriptors() const { return sortDescriptors_; }
    // A header click: that column's descriptor first with the given direction.
    void sortByColumn(int column, bool ascending);

    // --- Pop-up memory: the index each pop-up showed when it last opened.
    int previousType() const { return previousType_; }
    int previousCategory() const { return previousCategory_; }

    // Shows the type pop-up or its empty placeholder in the toolbar (the view switch hides the
    // pop-up); `placeholder` is a widget of the same size.
    void setTypesViewHidden(bool hidden);
    bool typesViewHidden() const { return typesViewHidden_; }

signals:
    // The record the details pane shows; nullptr resets the pane.
    void selectedRecordChanged(const std::shared_ptr<OTVRecord>& record);
    // The user chose a record in one of the views (counted once per choice).
    void recordViewed(const std::shared_ptr<OTVRecord>& record);
    // The record commands' state may have changed.
    void validateUIControls();
    void editGroupsRequested();
    void editTypesRequested();
    // A user-preference write that failed, with the store's status.
    void preferenceWriteFailed(int status);
    // The view was switched to `tag` (after its lists were rebuilt) from `previousTag` (-1 for
    // none), or the type filter changed in view `tag` (both tags the same).
    void viewChanged(int tag, int previousTag);
    // A record was double-clicked in one of the views.
    void recordActivated(const std::shared_ptr<OTVRecord>& record);
    void typesViewVisibilityChanged(bool hidden);

private:
    void buildViews();
    void buildFilters();
    void connectSelections();
    bool showsRows() const { return shouldCreateDatabase_ && !shouldLockInfoDisplay_; }
    bool groupsPopupShowsNoGroups() const;
    int selectedRow(const QTableView* table) const;
    QList<int> selectedRows(const QTableView* table) const;
    void selectRow(QTableView* table, int row);

    void reloadTypesTable();
    void reloadSmartTable();
    void reloadDescriptionTable();
    void reloadListTable();
    void reloadOutline();
    OTVRecordList descriptionTableList() const;
    QStringList smartListUIDs(int row) const;
    OTVRecordList smartListRecords(const std::shared_ptr<BKGroup>& group, int row) const;
    void retitleChosenGroup();
    void showSelectedRecord();
    void noteViewedRecord();
    QString lastViewedRecordUID_;
    void applySortIndicator();
    void restorePopupSelection(QComboBox* popup, int previousIndex);
    void reportPreferenceWrite(int status);

    OTVDataBase& store_;
    bool shouldCreateDatabase_ = false;
    bool shouldLockInfoDisplay_ = false;
    bool shouldMask_ = false;
    bool rebuilding_ = false;
    bool typesViewHidden_ = false;
    bool groupTitlesStale_ = false;
    // The number of records of the chosen group that the search finds, when the rebuild in
    // progress listed them all (-1 when it did not): the group's title shows it.
    int chosenGroupListed_ = -1;
    int shownView_ = -1;
    QString groupFilterSelectedUID_;
    QList<SortSpec> sortDescriptors_;
    int previousType_ = 0;
    int previousCategory_ = 0;

    BKPopUpButton* categoriesPopup_ = nullptr;
    BKPopUpButton* typesPopup_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QWidget* viewSelector_ = nullptr;
    QButtonGroup* viewButtons_ = nullptr;
    QStackedWidget* tabView_ = nullptr;
    QTableView* typesTable_ = nullptr;
    QTableView* smartTable_ = nullptr;
    QTableView* descriptionTable_ = nullptr;
    BKTableView* listTable_ = nullptr;
    QTreeView* outline_ = nullptr;
    BKSplitter* mainSplit_ = nullptr;
    BKSplitter* subSplit_ = nullptr;
    BKSplitter* smartTypeSplit_ = nullptr;
    QWidget* detailsContainer_ = nullptr;

    BKRecordListModel* listModel_ = nullptr;
    BKDescriptionTableModel* descriptionModel_ = nullptr;
    BKTypesTableModel* typesModel_ = nullptr;
    BKSmartTypesModel* smartModel_ = nullptr;
    BKRecordOutlineModel* outlineModel_ = nullptr;
};
