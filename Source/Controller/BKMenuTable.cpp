#include "BKMenuTable.h"

#include "BKController.h"
#include "BKViewImages.h"

#include <QPixmap>

namespace {

using C = BKController;

// Ctrl stands where the desktop's conventions put a modifier; the Copy items of single fields
// have none, so that Ctrl+C stays with the focused text.
QList<BKMenuEntry> buildTable()
{
    const auto call = [](void (C::*method)()) { return [method](C& c) { (c.*method)(); }; };
    const auto callTag = [](void (C::*method)(int), int tag) { return [method, tag](C& c) { (c.*method)(tag); }; };
    QList<BKMenuEntry> table = {
        {kBKNewTypeMenuTag, "&File", "New Type...", {}, "", call(&C::addTypes)},
        {kBKNewGroupMenuTag, "&File", "New Group...", {}, "", call(&C::addGroups)},
        {kBKEditTypesMenuTag, "&File", "Edit Types...", {}, "", callTag(&C::displayEditTypesPanel, kBKEditTypesMenuTag)},
        {kBKEditGroupsMenuTag, "&File", "Edit Groups...", {}, "", call(&C::displayEditGroupPanel)},
        {kBKMasterPasswordMenuTag, "&File", "Master Password...", {}, "", call(&C::setMasterPassword), true},
        {kBKUserPasswordMenuTag, "&File", "Set Password...", {}, "", call(&C::setPassword)},
        {kBKLockMenuTag, "&File", "Lock", QKeySequence(QStringLiteral("Ctrl+L")), "16x16_Encrypt", call(&C::displayLockPanel)},
        {kBKImportVRXMenuTag, "&File/Import", "vRX File...", {}, "", callTag(&C::importSelectedFile, kBKImportVRXMenuTag), true},
        {kBKImportCSVMenuTag, "&File/Import", "CSV File...", {}, "", callTag(&C::importSelectedFile, kBKImportCSVMenuTag)},
        {kBKExportVRXAttachmentsMenuTag, "&File/Export", "vRX File with Attachments...", {}, "",
         callTag(&C::exportSelectedFile, kBKExportVRXAttachmentsMenuTag)},
        {kBKExportVRXMenuTag, "&File/Export", "vRX File...", {}, "", callTag(&C::exportSelectedFile, kBKExportVRXMenuTag)},
        {kBKExportCSVMenuTag, "&File/Export", "CSV File...", {}, "", callTag(&C::exportSelectedFile, kBKExportCSVMenuTag)},
        {kBKRestoreMenuTag, "&File", "Restore...", {}, "", callTag(&C::importSelectedFile, kBKRestoreMenuTag)},
        {kBKExportRecordsMenuTag, "&File", "Export/Email vRX...", {}, "", call(&C::exportItemsToVRX)},
        {kBKMailFileMenuTag, "&File", "Mail Export...", {}, "", call(&C::mailSelectedFile)},
        {kBKMailRecordsMenuTag, "&File", "Mail Selected Records", {}, "", call(&C::mailItems)},
        {kBKReloadMenuTag, "&File", "Reload", QKeySequence(QKeySequence::Refresh), "", call(&C::reloadDatabase), true},
        {kBKFindDuplicatesMenuTag, "&File", "Find Duplicates...", {}, "", call(&C::deDupe)},
        {kBKUsersMenuTag, "&File", "Users...", {}, "", call(&C::displayUserList)},
        {kBKEventLogMenuTag, "&File", "Event Log...", {}, "", call(&C::eventLogger)},
        {kBKOptionsMenuTag, "&File", "Options...", QKeySequence(QKeySequence::Preferences), "",
         call(&C::displayOptionsPanel)},
        {kBKPageSetupMenuTag, "&File", "Page Setup...", {}, "", call(&C::runPageLayout), true},
        {kBKPrintListMenuTag, "&File", "Print...", QKeySequence(QKeySequence::Print), "", call(&C::print)},
        {kBKCloseMenuTag, "&File", "Close", QKeySequence(QKeySequence::Close), "", call(&C::performClose), true},
        {kBKQuitMenuTag, "&File", "Quit", QKeySequence(QKeySequence::Quit), "", call(&C::terminate)},

        {kBKCutMenuTag, "&Edit", "Cut", QKeySequence(QKeySequence::Cut), "16x16_Cut", call(&C::cut)},
        {kBKCopyMenuTag, "&Edit", "Copy", QKeySequence(QKeySequence::Copy), "16x16_Copy", call(&C::copy)},
        {kBKPasteMenuTag, "&Edit", "Paste", QKeySequence(QKeySequence::Paste), "16x16_Paste", call(&C::paste)},
        {kBKSelectAllMenuTag, "&Edit", "Select All", QKeySequence(QKeySequence::SelectAll), "", call(&C::selectAll)},
        // Ctrl+F is the main window's own key (it reaches the search field from any child).
        {kBKFindMenuTag, "&Edit", "Find", {}, "", call(&C::focusSearchField), true},
        {kBKClearClipboardMenuTag, "&Edit", "Clear Clipboard", {}, "", call(&C::clearClipBoardAction)},
        {kBKCopyGroupMenuTag, "&Edit", "Copy Group", {}, "", callTag(&C::copyFieldValue, kBKCopyGroupMenuTag), true},
    };
    for (int n = 1; n <= 10; ++n)
        table.append({kBKCopyField1MenuTag + n - 1, "&Edit", "", {}, "",
                      callTag(&C::copyFieldValue, kBKCopyField1MenuTag + n - 1)});
    table.append({kBKCopyNotesMenuTag, "&Edit", "Copy Notes", {}, "", callTag(&C::copyFieldValue, kBKCopyNotesMenuTag)});

    table += QList<BKMenuEntry>{
        {kBKAddRecordMenuTag, "&Item", "Add Item...", QKeySequence(QKeySequence::New), "16x16_Add",
         call(&C::addItemsToDetail)},
        {kBKEditRecordMenuTag, "&Item", "Edit Item...", QKeySequence(QStringLiteral("Ctrl+E")), "16x16_Edit",
         call(&C::editItemDoubleAction)},
        {kBKDeleteRecordMenuTag, "&Item", "Delete", QKeySequence(QKeySequence::Delete), "16x16_Delete",
         call(&C::deleteSelected)},
        {kBKDuplicateRecordMenuTag, "&Item", "Duplicate", QKeySequence(QStringLiteral("Ctrl+D")), "16x16_Copy",
         call(&C::duplicateItem)},
        {kBKCustomizeMenuTag, "&Item", "Customize Fields...", {}, "16x16_Preferences",
         call(&C::displayFieldCustomizePanel)},
        {kBKWebLoginMenuTag, "&Item", "AutoFill", {}, "16x16_Globe", call(&C::webLogin)},
        {kBKPrintRecordMenuTag, "&Item", "Print Item...", QKeySequence(QStringLiteral("Ctrl+Shift+P")), "print_16",
         call(&C::printRecord)},
        {kBKAttachmentMenuTag, "&Item", "Add Attachment", {}, "AddAttachment", call(&C::attachmentAction)},

        {kBKDetailsMenuTag, "&View", "Hide Details", {}, "", call(&C::toggleInfoViewFromMenu)},
        {kBKMaskMenuTag, "&View", "Mask", {}, "", call(&C::unmaskFromMenu)},
        {kBKColumnViewMenuTag, "&View", "Column View", QKeySequence(QStringLiteral("Ctrl+1")), "",
         callTag(&C::changeView, 0), true},
        {kBKListViewMenuTag, "&View", "List View", QKeySequence(QStringLiteral("Ctrl+2")), "",
         callTag(&C::changeView, 1)},
        {kBKTreeViewMenuTag, "&View", "Tree View", QKeySequence(QStringLiteral("Ctrl+3")), "",
         callTag(&C::changeView, 2)},

        {kBKHelpMenuTag, "&Help", "Ostrevin Darovazivu Help", QKeySequence(QKeySequence::HelpContents), "",
         call(&C::showHelp)},
        {kBKAboutMenuTag, "&Help", "About Ostrevin Darovazivu", {}, "", call(&C::showAboutBox), true},
    };
    return table;
}

} // namespace

const QList<BKMenuEntry>& BKMainMenuTable()
{
    static const QList<BKMenuEntry> table = buildTable();
    return table;
}

int BKViewTagForMenuTag(int tag)
{
    return tag >= kBKColumnViewMenuTag && tag <= kBKTreeViewMenuTag ? tag - kBKColumnViewMenuTag : -1;
}

// Every picture of the table is drawn with the views' images, so menus look alike on every
// desktop theme (and under none).
QIcon BKMenuIcon(const QString& name)
{
    const QImage own = BKViewImages::namedImage(name);
    return own.isNull() ? QIcon() : QIcon(QPixmap::fromImage(own));
}
