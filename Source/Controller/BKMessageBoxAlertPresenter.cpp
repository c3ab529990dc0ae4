#include "BKMessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

int BKMessageBoxAlertPresenter::runAlert(const BKAlert& alert)
{
    // Over the dialog that is running, if any, so that the alert is centred on it.
    QWidget* over = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    QMessageBox box(QMessageBox::Warning, alert.title, alert.message, QMessageBox::NoButton, over);
    box.setWindowModality(Qt::ApplicationModal);
    QAbstractButton* defaultButton = box.addButton(alert.defaultButton, QMessageBox::AcceptRole);
    QAbstractButton* alternateButton =
        alert.alternateButton.isEmpty() ? nullptr : box.addButton(alert.alternateButton, QMessageBox::RejectRole);
    QAbstractButton* otherButton =
        alert.otherButton.isEmpty() ? nullptr : box.addButton(alert.otherButton, QMessageBox::DestructiveRole);
    box.setDefaultButton(qobject_cast<QPushButton*>(defaultButton));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == alternateButton)
        return kBKAlertAlternateReturn;
    if (clicked && clicked == otherButton)
        return kBKAlertOtherReturn;
    return kBKAlertDefaultReturn;
}
