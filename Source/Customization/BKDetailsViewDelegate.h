#pragma once

#include "BKRecordWrites.h"

#include <memory>

class BKDetailsView;
class OTVRecord;
class QContextMenuEvent;
class QMenu;

// What the record details pane asks of the application controller.
class BKDetailsViewDelegate {
public:
    virtual ~BKDetailsViewDelegate() = default;

    // The record selected in the main window's current view; nullptr when there is none.
    virtual std::shared_ptr<OTVRecord> itemPropertiesForTableViewSelectedRow() const = 0;
    // Whether the user holds `permission` (2: edit) on records of the selected group.
    virtual bool checkForRecordPermissionForSelectedGroup(int permission) = 0;
    // Whether `record`, as the details window returned it, may be stored with `permission`
    // (1: saved as new, 2: edited) in the group it names now.
    virtual bool checkForRecordPermissionForRecord(int permission, const OTVRecord& record)
    {
        (void)permission;
        (void)record;
        return true;
    }
    // Runs the record details window on `info` with `*operation` (1: edit); returns the
    // edited record, or nullptr when cancelled, and rewrites `*operation` (2: save as new,
    // 3: delete). A window that can runs `write` on its answer before it closes.
    virtual std::shared_ptr<OTVRecord> orderFrontDetailsWindowWithInfo(const std::shared_ptr<OTVRecord>& info,
                                                                       int* operation,
                                                                       const BKDetailsAnswerWriter& write) = 0;
    // Deletes the record that the details window was closed to delete (the window asked first).
    virtual void deleteRecordFromWindow(const std::shared_ptr<OTVRecord>& record) = 0;
    virtual void updateTables() = 0;
    // The record context menu for a right click in the pane; nullptr for none. The pane
    // shows it and does not take ownership.
    virtual QMenu* extendMenu(QContextMenuEvent* event, BKDetailsView* view) = 0;
};
