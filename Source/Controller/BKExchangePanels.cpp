#include "BKExchangePanels.h"

#include "BKController.h"
#include "BKFileDialog.h"

#include "Platform/BKLocalization.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

int BKExportScopeForRow(int row)
{
    switch (row) {
    case kExportRowAll:
        return kExportScopeAll;
    case kExportRowView:
        return kExportScopeView;
    case kExportRowSelection:
        return kExportScopeSelection;
    default:
        return -1;
    }
}

namespace {

QString filterFor(const QString& fileType)
{
    return QStringLiteral("%1 (*.%2)").arg(fileType.toUpper(), fileType);
}

// The scope rows and the attachments box under the save panel's own controls.
class ExportAccessory final : public QWidget {
public:
    ExportAccessory(const BKExportPanelSetup& setup, QWidget* parent) : QWidget(parent), setup_(setup)
    {
        setObjectName(QStringLiteral("mOpenPanelAccesoryView"));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        scope_ = new QButtonGroup(this);
        const char* titles[] = {"All records", "Records of the current view", "Selected records"};
        for (int row = 0; row < 3; ++row) {
            auto* button = new QRadioButton(BKLocalizedString(titles[row]), this);
            button->setObjectName(QStringLiteral("mExportOptions%1").arg(row));
            scope_->addButton(button, row);
            layout->addWidget(button);
            button->setVisible(setup.showsScope);
        }
        box_ = new QCheckBox(BKLocalizedString("Export attachments"), this);
        box_->setObjectName(QStringLiteral("mExportAttachments"));
        layout->addWidget(box_);
        box_->setVisible(setup.attachmentsBoxShown);
        if (QAbstractButton* preset = scope_->button(setup.scopeRow))
            preset->setChecked(true);
        QObject::connect(scope_, &QButtonGroup::idClicked, this, [this](int) { scopeChanged(); });
        box_->setChecked(setup.attachmentsBoxShown && !setup.attachmentsBoxFixedOff);
        box_->setEnabled(!setup.attachmentsBoxFixedOff);
        scopeChanged();
    }

    int scopeRow() const { return scope_->checkedId(); }
    bool attachments() const { return box_->isVisible() && box_->isEnabled() && box_->isChecked(); }

private:
    void scopeChanged()
    {
        if (setup_.attachmentsBoxFixedOff || !setup_.attachmentsBoxShown || !setup_.scopeHasAttachment)
            return;
        const bool any = setup_.scopeHasAttachment(BKExportScopeForRow(scope_->checkedId()));
        box_->setEnabled(any);
        box_->setChecked(any);
    }

    BKExportPanelSetup setup_;
    QButtonGroup* scope_;
    QCheckBox* box_;
};

} // namespace

std::optional<BKExportPanelAnswer> BKExchangePanels::runExportPanel(const BKExportPanelSetup& setup)
{
    QFileDialog panel(parent_);
    BKPrepareFileDialog(panel, {BKLocalizedString(setup.tag == kBackupTag ? "Back Up" : "Export"),
                                QStringLiteral("ExportPanel"), true, filterFor(setup.fileType), setup.fileType});
    ExportAccessory* accessory = nullptr;
    if (setup.tag != kBackupTag) {
        accessory = new ExportAccessory(setup, &panel);
        if (auto* grid = qobject_cast<QGridLayout*>(panel.layout()))
            grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount());
    }
    BKExportPanelAnswer answer;
    answer.path = BKRunFileDialog(panel);
    if (answer.path.isEmpty())
        return std::nullopt;
    if (accessory) {
        answer.scopeRow = accessory->scopeRow();
        answer.attachments = accessory->attachments();
    }
    return answer;
}

QString BKExchangePanels::runOpenPanel(const QString& fileType)
{
    return BKChooseFile(parent_, {BKLocalizedString("Import"), QStringLiteral("ImportPanel"), false, filterFor(fileType), {}});
}

namespace {

// A small password dialog whose OK asks `check` and stays open when it says no.
class PasswordSheet final : public QDialog {
public:
    PasswordSheet(QWidget* parent, const QString& objectName, const QString& title, const QStringList& labels)
        : QDialog(parent)
    {
        setObjectName(objectName);
        setWindowTitle(title);
        setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        for (const QString& label : labels) {
            auto* field = new QLineEdit(this);
            field->setEchoMode(QLineEdit::Password);
            field->setObjectName(QStringLiteral("PasswordField%1").arg(fields_.size()));
            form->addRow(label, field);
            fields_.append(field);
        }
        layout->addLayout(form);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, [this] {
            if (check && check())
                done(kBKModalStop);
        });
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        fields_.constFirst()->setFocus();
    }

    void reject() override { done(kBKModalAbort); }
    QString text(int field) const { return fields_.at(field)->text(); }

    std::function<bool()> check;

private:
    QList<QLineEdit*> fields_;
};

} // namespace

std::optional<QString>
BKExchangePanels::runExportPasswordSheet(const std::function<bool(const QString&, const QString&)>& accept)
{
    PasswordSheet sheet(parent_, QStringLiteral("mvrxExportPasswordPanel"), BKLocalizedString("Export Password"),
                        {BKLocalizedString("Password:"), BKLocalizedString("Confirm:")});
    sheet.check = [&] { return accept(sheet.text(0), sheet.text(1)); };
    if (sheet.exec() != kBKModalStop)
        return std::nullopt;
    return sheet.text(0);
}

std::optional<QString> BKExchangePanels::runImportPasswordSheet(const std::function<bool(const QString&)>& accept)
{
    PasswordSheet sheet(parent_, QStringLiteral("mvrxImportPasswordPanel"), BKLocalizedString("Import Password"),
                        {BKLocalizedString("Password:")});
    sheet.check = [&] { return accept(sheet.text(0)); };
    if (sheet.exec() != kBKModalStop)
        return std::nullopt;
    return sheet.text(0);
}
