#include "BKDialogButtons.h"

#include "Model/Database_Engine/OTVStoreStatus.h"
#include "Model/OTVStatusMessages.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QDialogButtonBox>
#include <QLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

QDialogButtonBox* BKMakeOkCancelButtons(QDialog* dialog, std::function<void()> ok, std::function<void()> cancel)
{
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* okButton = buttons->addButton(BKLocalizedString("OK"), QDialogButtonBox::AcceptRole);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    QPushButton* cancelButton = buttons->addButton(BKLocalizedString("Cancel"), QDialogButtonBox::RejectRole);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(okButton, &QPushButton::clicked, dialog, std::move(ok));
    QObject::connect(cancelButton, &QPushButton::clicked, dialog, std::move(cancel));
    return buttons;
}

void BKFitDialogToContents(QDialog* dialog)
{
    if (QLayout* layout = dialog->layout())
        layout->setSizeConstraint(QLayout::SetFixedSize);
}

namespace {

const QWidget* shownMainWindow()
{
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<const QMainWindow*>(window) && window->isVisible())
            return window;
    return nullptr;
}

} // namespace

void BKCentreOverParent(QWidget* window)
{
    if (QLayout* layout = window->layout())
        layout->activate();
    // A window shown before keeps the size it was given or dragged to.
    if (!window->testAttribute(Qt::WA_WState_Created) && !window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    const QWidget* over = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!over || !over->isVisible())
        over = shownMainWindow();
    const QScreen* screen = over ? over->screen() : window->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    QRect placed(QPoint(), window->size());
    placed.moveCenter(over ? over->geometry().center() : available.center());
    if (available.isValid()) {
        placed.moveLeft(std::max(available.left(), std::min(placed.left(), available.right() + 1 - placed.width())));
        placed.moveTop(std::max(available.top(), std::min(placed.top(), available.bottom() + 1 - placed.height())));
    }
    window->move(placed.topLeft());
}

void BKShowUnstorableValue(const QString& label, QLineEdit* field)
{
    BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                    QStringLiteral("%1: %2").arg(label, OTVStatusMessage(kOTVStatusValueTooLong)),
                    BKLocalizedString("OK"));
    field->setFocus();
    field->selectAll();
}
