#include "BKMessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

// Room beside the title for the window manager's buttons and margins.
constexpr int kTitleBarExtra = 140;

// A message box is as narrow as its text; the window manager would then cut its title short.
void widenForTitle(QMessageBox& box, const QString& title)
{
    const int wanted = QFontMetrics(QApplication::font()).horizontalAdvance(title) + kTitleBarExtra;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

} // namespace

int BKMessageBoxAlertPresenter::runAlert(const BKAlert& alert)
{
    // Over the dialog that is running, if any, so that the alert is centred on it.
    QWidget* over = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    QMessageBox box(alert.informational ? QMessageBox::Information : QMessageBox::Warning, alert.title, alert.message,
                    QMessageBox::NoButton, over);
    // Alerts carry user text (hints, names, values): never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    QAbstractButton* defaultButton = box.addButton(alert.defaultButton, QMessageBox::AcceptRole);
    QAbstractButton* alternateButton =
        alert.alternateButton.isEmpty() ? nullptr : box.addButton(alert.alternateButton, QMessageBox::RejectRole);
    QAbstractButton* otherButton =
        alert.otherButton.isEmpty() ? nullptr : box.addButton(alert.otherButton, QMessageBox::DestructiveRole);
    box.setDefaultButton(qobject_cast<QPushButton*>(defaultButton));
    // Esc and the close button press this one. Left to the roles, they would press the
    // alternate button, which is "Yes" in every "No / Yes" question.
    QAbstractButton* cancelButton = defaultButton;
    if (alert.cancelReturn == kBKAlertAlternateReturn && alternateButton)
        cancelButton = alternateButton;
    else if (alert.cancelReturn == kBKAlertOtherReturn && otherButton)
        cancelButton = otherButton;
    box.setEscapeButton(cancelButton);
    widenForTitle(box, alert.title);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == alternateButton)
        return kBKAlertAlternateReturn;
    if (clicked && clicked == otherButton)
        return kBKAlertOtherReturn;
    return kBKAlertDefaultReturn;
}
