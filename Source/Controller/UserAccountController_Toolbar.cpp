// The user-account window's toolbar: the password policy, and the import and export of users.
#include "UserAccountController.h"

#include "BKFileDialog.h"

#include "BKProgressPanel.h"
#include "BKViewImages.h"
#include "OEImportUserStatisticsController.h"
#include "Model/BKPasswordPolicyController.h"
#include "Model/vRX/Vault/CBKUserParser.h"
#include "Model/vRX/Vault/OECSVCreatorDelegate.h"
#include "Model/vRX/Vault/OECSVWriter.h"
#include "Model/vRX/Vault/OTVUserImport.h"
#include "Model/vRX/Vault/OTVUserParserDelegate.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKWorker.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QToolBar>

#include <memory>
#include <utility>
#include <vector>

namespace {

// Without the "!" of the window's other alerts.
const QString kCommandAlertTitle = QStringLiteral("Ostrevin Darovazivu Alert");

void commandAlert(const QString& message)
{
    BKRunAlertPanel(BKLocalizedString(kCommandAlertTitle), message, BKLocalizedString("OK"));
}

QWidget* spacer(QWidget* parent, bool flexible)
{
    auto* space = new QWidget(parent);
    if (flexible)
        space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    else
        space->setFixedWidth(8);
    return space;
}

} // namespace

void UserAccountController::setupToolbar()
{
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(kToolbarIdentifier);
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(16, 16));

    const QStringList identifiers = {kToolbarSetPasswordPolicy, kToolbarImportUsers, kToolbarExportUsers,
                                     kToolbarUserSearch};
    const QString images[3] = {kPasswordPolicyImageName, kImportUsersImageName, kExportUsersImageName};
    toolbar_->addWidget(spacer(toolbar_, true));
    for (int tag = 0; tag < 3; ++tag) {
        if (tag > 0)
            toolbar_->addWidget(spacer(toolbar_, false));
        const QString identifier = identifiers.at(tag);
        QAction* action = toolbar_->addAction(QIcon(QPixmap::fromImage(BKViewImages::namedImage(images[tag]))),
                                              BKLocalizedString(identifier));
        action->setObjectName(identifier);
        action->setData(tag);
        action->setToolTip(BKLocalizedString(identifier));
        connect(action, &QAction::triggered, this, [this, identifiers, action] {
            toolBarItemClicked(identifiers.value(action->data().toInt()));
        });
    }
    toolbar_->addWidget(spacer(toolbar_, true));
    searchField_->setToolTip(BKLocalizedString("Search"));
    searchField_->setFixedWidth(180);
    toolbar_->addWidget(searchField_)->setObjectName(kToolbarUserSearch);
}

void UserAccountController::toolBarItemClicked(const QString& identifier)
{
    if (identifier == kToolbarImportUsers)
        showImportPanel();
    else if (identifier == kToolbarSetPasswordPolicy)
        showSetPasswordPanel();
    else if (identifier == kToolbarExportUsers)
        showExportPanel();
}

QString UserAccountController::chooseFile(bool save)
{
    if (fileChooser_)
        return fileChooser_(save);
    return BKChooseFile(this, {QString(), QString(), save, BKLocalizedString("User lists (*.csv)"),
                               save ? QStringLiteral("csv") : QString()});
}

void UserAccountController::runBehindProgressPanel(const QString& text, bool usesStore, std::function<void()> work)
{
    BKProgressPanel panel(this, text);
    panel.setObjectName(QStringLiteral("mImportProgressView"));
    panel.showCentred();
    if (usesStore)
        BKApplicationServices::current().runStoreWorkerBehindPanel(std::move(work), &OTVDataBase::endDatabaseThread);
    else
        BKRunWorkerAndWait(std::move(work));
    panel.hide();
}

void UserAccountController::showImportPanel()
{
    const QString path = chooseFile(false);
    if (!path.isEmpty())
        importUsersFromFile(path);
}

void UserAccountController::importUsersFromFile(const QString& path)
{
    OTVUserParserDelegate delegate;
    runBehindProgressPanel(BKLocalizedString("Importing Users..."), false, [&delegate, &path] {
        CBKUserParser(QFile::encodeName(path).toStdString(), &delegate).StartParsing();
    });
    if (delegate.IsInvalidInputFile()) {
        QString message = BKLocalizedString("Invalid input file.");
        if (delegate.InvalidLine() > 0)
            message += QLatin1Char(' ') + BKLocalizedString("Line %1 holds a control character (such as a NUL byte) "
                                                            "that a user list cannot hold.")
                                              .arg(delegate.InvalidLine());
        commandAlert(message);
        return;
    }
    const std::vector<OEUserRecord>& records = delegate.ImportedUsers();
    // The worker only collects the outcomes: the sheet is a widget of the main thread.
    struct Outcome {
        QString name;
        int status;
        QString why;
    };
    std::vector<Outcome> outcomes;
    int added = 0;
    runBehindProgressPanel(BKLocalizedString("Adding Users..."), true, [this, &records, &outcomes, &added] {
        const BKPasswordPolicyController& policy = BKPasswordPolicyController::sharedBKPasswordPolicyController();
        added = OTVAddImportedUsers(
            records, store_, [&policy](const QString& password) { return policy.stringConformsPassowrdPolicy(password); },
            [&outcomes](const OEUserRecord& record, int status, const QString& why) {
                outcomes.push_back({record.usernameForReport(), status, why});
            });
    });

    OEImportUserStatisticsController results(this);
    results.setNoOfUserImported(int(records.size()));
    for (const Outcome& outcome : outcomes)
        results.addUserDetailToImportResult(outcome.name, outcome.status, outcome.why);
    results.setNoofUserAdded(added);
    results.displayImportResults();
    reloadTable();
}

void UserAccountController::showExportPanel()
{
    const QString path = chooseFile(true);
    if (!path.isEmpty())
        exportUsersToFile(path);
}

void UserAccountController::exportUsersToFile(const QString& path)
{
    const BKPasswordPolicyController& policy = BKPasswordPolicyController::sharedBKPasswordPolicyController();
    const std::vector<OEUserRecord> records = OTVUserRecordsForExport(
        store_.sortedUsersContainsString(QString()), [&policy] { return policy.generatePassword(); });
    if (records.empty()) {
        commandAlert(BKLocalizedString("No User to export."));
        return;
    }
    OECSVWriter writer(path);
    OECSVCreatorDelegate delegate;
    writer.setDelegate(&delegate);
    runBehindProgressPanel(BKLocalizedString("Exporting Users..."), false,
                           [&writer, &records] { writer.exportRecords(records); });
    if (const std::optional<QString> error = delegate.getErrorString()) {
        commandAlert(*error);
        return;
    }
    // The file's passwords were made for it: an administrator must not take them for the
    // accounts' own.
    BKRunInformationalPanel(BKLocalizedString(kCommandAlertTitle),
                            BKLocalizedString("The file gives each user a newly generated password, not the "
                                              "account's own; the accounts here keep their passwords."));
}
