#pragma once

// The main menu as one table: every command of the menu bar with its tag, menu, title, shortcut,
// icon and action. The tags are the commands' names elsewhere (the enabling rules, the Copy
// items retitled from the selected record, the titles that follow the controller's state).

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>

class BKController;

// Tags of the commands the controller addresses directly.
enum BKMenuTag {
    kBKNewGroupMenuTag = 100,
    kBKEditTypesMenuTag = 101,
    kBKEditGroupsMenuTag = 102,
    kBKMasterPasswordMenuTag = 103,
    kBKUserPasswordMenuTag = 104,
    kBKLockMenuTag = 105,
    kBKReloadMenuTag = 106,
    kBKFindDuplicatesMenuTag = 107,
    kBKPrintListMenuTag = 108,
    kBKRestoreMenuTag = 109,
    kBKUsersMenuTag = 110,
    kBKEventLogMenuTag = 111,
    kBKOptionsMenuTag = 112,
    kBKNewTypeMenuTag = 113,
    kBKMailRecordsMenuTag = 114,
    kBKMailFileMenuTag = 115,
    kBKExportRecordsMenuTag = 116,
    kBKQuitMenuTag = 117,
    kBKPageSetupMenuTag = 118,
    kBKCloseMenuTag = 119,
    kBKCutMenuTag = 200,
    kBKCopyMenuTag = 201,
    kBKPasteMenuTag = 202,
    kBKSelectAllMenuTag = 203,
    kBKFindMenuTag = 204,
    kBKClearClipboardMenuTag = 205,
    kBKCopyGroupMenuTag = 206,
    kBKCopyField1MenuTag = 207, // .. 216 for field 10
    kBKCopyNotesMenuTag = 217,
    kBKAddRecordMenuTag = 300,
    kBKEditRecordMenuTag = 301,
    kBKDeleteRecordMenuTag = 302,
    kBKDuplicateRecordMenuTag = 303,
    kBKCustomizeMenuTag = 304,
    kBKWebLoginMenuTag = 305,
    kBKPrintRecordMenuTag = 306,
    kBKAttachmentMenuTag = 307,
    kBKDetailsMenuTag = 400,
    kBKMaskMenuTag = 401,
    kBKColumnViewMenuTag = 402,
    kBKListViewMenuTag = 403,
    kBKTreeViewMenuTag = 404,
    kBKHelpMenuTag = 500,
    kBKAboutMenuTag = 501,
    kBKImportVRXMenuTag = 1060,
    kBKImportCSVMenuTag = 1061,
    kBKExportVRXAttachmentsMenuTag = 1070,
    kBKExportVRXMenuTag = 1071,
    kBKExportCSVMenuTag = 1072,
};

// The context menu's tags: 700 + the position of its item.
enum BKContextMenuTag {
    kBKContextEditTag = 700,
    kBKContextTypeTag = 701,
    kBKContextGroupTag = 702,
    kBKContextCustomizeTag = 703,
    kBKContextDeleteTag = 704,
    kBKContextDuplicateTag = 705,
    kBKContextExportTag = 706,
    kBKContextPrintTag = 707,
    kBKContextWebLoginTag = 708,
    kBKContextAttachmentTag = 709,
};

struct BKMenuEntry {
    int tag = 0;
    // Top-level menu title; a "Parent/Child" path puts the item in a sub-menu.
    const char* menu = "";
    const char* title = "";
    QKeySequence shortcut;
    // Image name ("16x16_Edit", ...); empty for none.
    const char* icon = "";
    // Empty: a command whose action does not exist; its item stays disabled.
    std::function<void(BKController&)> action;
    // A separator goes before the item.
    bool separatorBefore = false;
};

// The menu bar's commands in menu order.
const QList<BKMenuEntry>& BKMainMenuTable();

// The view a View-menu tag shows (column 0, list 1, tree 2); -1 for other tags.
int BKViewTagForMenuTag(int tag);

// The icon of an image name of the table: the views' drawn image of that name.
QIcon BKMenuIcon(const QString& name);
