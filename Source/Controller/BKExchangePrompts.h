#pragma once

// What the file-exchange commands ask the user: the save panel with its scope choice and
// attachments box, the open panel, and the two password sheets. The commands decide; the
// prompts only collect, so the commands run headless with a scripted implementation.

#include <QString>

#include <functional>
#include <optional>

// Scope values of an export (the save panel's rows map onto them: 0 -> 0, 1 -> 2, 2 -> 1).
constexpr int kExportScopeAll = 0;
constexpr int kExportScopeSelection = 1;
constexpr int kExportScopeView = 2;
constexpr int kExportScopeBackup = 3;

// Command tags; they are also the context of the panels.
constexpr int kExportVRXTag = 1070;
constexpr int kExportVRXPlainTag = 1071;
constexpr int kExportCSVTag = 1072;
constexpr int kBackupTag = 1082;
constexpr int kImportVRXTag = 1060;
constexpr int kImportCSVTag = 1061;
constexpr int kRestoreTag = 109;

// The save panel's scope rows.
constexpr int kExportRowAll = 0;
constexpr int kExportRowView = 1;
constexpr int kExportRowSelection = 2;

// The scope value of a save-panel row; -1 for a row that exports nothing.
int BKExportScopeForRow(int row);

struct BKExportPanelSetup {
    int tag = kExportVRXTag;
    QString fileType;                  // "vrx" or "csv": the suffix the saved name gets
    bool attachmentsBoxShown = true;
    bool attachmentsBoxFixedOff = false;   // shown but disabled and off (CSV)
    bool showsScope = true;            // a backup has no scope choice
    int scopeRow = kExportRowSelection;   // the row chosen when the panel opens
    // Whether the records of a scope value hold an attachment: the box is enabled and on
    // for such a scope, else disabled and off.
    std::function<bool(int scope)> scopeHasAttachment;
};

struct BKExportPanelAnswer {
    QString path;
    int scopeRow = kExportRowSelection;   // the row chosen
    bool attachments = false;          // the box as it was left: shown, enabled and on
};

class BKExchangePrompts {
public:
    virtual ~BKExchangePrompts() = default;

    // The save panel of an export, a mail or a backup; nothing when cancelled.
    virtual std::optional<BKExportPanelAnswer> runExportPanel(const BKExportPanelSetup& setup) = 0;
    // The open panel for one file of `fileType` ("vrx" or "csv"); a null string when cancelled.
    virtual QString runOpenPanel(const QString& fileType) = 0;
    // The export password sheet: two fields. `accept` checks the pair (and tells the user why
    // not); the sheet stays until it accepts or the user cancels. The password accepted, or
    // nothing when cancelled.
    virtual std::optional<QString>
    runExportPasswordSheet(const std::function<bool(const QString& password, const QString& confirm)>& accept) = 0;
    // The import password sheet of an enciphered file, kept open the same way.
    virtual std::optional<QString> runImportPasswordSheet(const std::function<bool(const QString& password)>& accept) = 0;
};
