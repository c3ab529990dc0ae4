#include "BKDialogButtons.h"

#include "Model/Database_Engine/OTVStoreStatus.h"
#include "Model/OTVStatusMessages.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"

#include <QDialog>
#include <QLineEdit>
#include <QDialogButtonBox>
#include <QLayout>
#include <QPushButton>

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

void BKShowUnstorableValue(const QString& label, QLineEdit* field)
{
    BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                    QStringLiteral("%1: %2").arg(label, OTVStatusMessage(kOTVStatusValueTooLong)),
                    BKLocalizedString("OK"));
    field->setFocus();
    field->selectAll();
}
