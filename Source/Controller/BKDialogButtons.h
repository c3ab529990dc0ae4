#pragma once

// The OK (default) and Cancel buttons of the application's panels, named "okButton" and
// "cancelButton", each calling its action. Neither closes the dialog by itself: the panel's
// action checks first and ends the modal run.

#include <functional>

class QDialog;
class QDialogButtonBox;
class QLineEdit;
class QString;
class QWidget;

QDialogButtonBox* BKMakeOkCancelButtons(QDialog* dialog, std::function<void()> ok, std::function<void()> cancel);

// Gives a dialog the size of its contents, fixed: the window manager then offers no resize
// handle (a stray strip along the bottom edge) for a window that has nothing to gain from it.
void BKFitDialogToContents(QDialog* dialog);

// Places a window over the middle of the window it belongs to (its shown parent's, else the
// application's main window, else the screen), inside the screen: called before every
// opening, it opens at the same place each time, where the platform's own placement would
// drift by the window manager's title bar from one opening to the next.
void BKCentreOverParent(QWidget* window);

// Tells that the vault cannot store what `field` holds ("<label>: The value is too long or ...")
// and puts the focus on it with its text selected: the dialog stays open with everything typed.
void BKShowUnstorableValue(const QString& label, QLineEdit* field);
