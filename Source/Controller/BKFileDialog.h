#pragma once

// The application's file dialogs: Qt's own dialog (the same on every desktop), application-modal,
// opening in the folder last used (the Documents folder at first) and remembering the folder of
// the file chosen, whichever window asked.

#include <QString>

class QFileDialog;
class QWidget;

struct BKFileDialogSetup {
    QString title;             // none: the dialog's own
    QString objectName;
    bool save = false;         // a file to write (any name); else an existing file to read
    QString nameFilter;        // e.g. "User lists (*.csv)"
    QString defaultSuffix;     // given to a name typed without one
    QString acceptLabel;       // none: the dialog's own
};

// Sets `dialog` up as described, in the last folder used; a caller may add controls before
// running it.
void BKPrepareFileDialog(QFileDialog& dialog, const BKFileDialogSetup& setup);
// Runs a prepared dialog: the chosen path, or "" when cancelled. The path's folder is kept.
QString BKRunFileDialog(QFileDialog& dialog);
// Both, for a dialog without controls of its own.
QString BKChooseFile(QWidget* parent, const BKFileDialogSetup& setup);
// The open panel for a file to attach to a record, whichever window attaches it.
QString BKChooseAttachmentFile(QWidget* parent);
// The folder the next dialog opens in.
QString BKLastFileFolder();
