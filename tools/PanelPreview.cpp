// Opens one of the entry panels against a vault, as the application's callers do, so that a
// developer can look at it (and take screenshots) without the windows that will open it. What
// the panel returns is stored as the application would store it.
//
//   ostrevin-panel-preview --panel group|group-edit|type|type-edit|customise|generator [--entry NAME]
//                          --server 127.0.0.1 --port 33061 --user root --password-file FILE
//                          [--master-password TEXT]
#include "Controller/BKGroupSettingsPanel.h"
#include "Controller/BKMessageBoxAlertPresenter.h"
#include "Controller/BKPasswordWindowController.h"
#include "Controller/BKTypeSettingsPanel.h"

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "ToolConnection.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

int fail(const char* step, int status)
{
    std::fprintf(stderr, "ostrevin-panel-preview: %s failed with status %d\n", step, status);
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption panel("panel", "group, group-edit, type, type-edit, customise or generator.", "panel");
    // Not "--name": the X11 platform takes that argument for itself.
    const QCommandLineOption name("entry", "The group or type to edit.", "name");
    const ToolConnectionOptions connection;
    parser.addOptions({panel, name});
    connection.addTo(parser);
    parser.process(application);
    const std::optional<OTVConnectRequest> given = connection.request(parser);
    if (!given)
        return fail("reading the password file", 1);
    const OTVConnectRequest& request = *given;

    OTVDataBase& store = OTVDataBase::sharedOTVDataBase();
    if (const int status = store.startConnectionToServer(request))
        return fail("connecting", status);
    if (const int status = store.initUserDetails(request.userName, request.hostPassword))
        return fail("logging in", status);
    if (const int status = store.loadDataBase(false))
        return fail("loading", status);

    BKMessageBoxAlertPresenter alerts;
    BKAlertPresenter::install(&alerts);
    const QString which = parser.value(panel);
    const QString wanted = parser.value(name);
    if (which == QLatin1String("generator")) {
        const QString chosen = BKPasswordWindowController::sharedPasswordController().displayPasswordGenerationPanel(nullptr);
        std::printf("chosen: %s\n", qPrintable(chosen));
    } else if (which.startsWith(QLatin1String("group"))) {
        std::shared_ptr<BKGroup> group;
        if (which == QLatin1String("group-edit") && !(group = store.getGroupFromGroupName(wanted))) {
            for (const auto& known : store.groupsForEditing())
                std::fprintf(stderr, "  group: %s\n", qPrintable(known->mGroupName()));
            return fail("finding the group", 1);
        }
        BKGroupSettingsPanel groups(store);
        const auto result = BKStoreGroupFromPanel(groups, nullptr, group,
                                                  group ? BKGroupSettingsPanel::kEditOperation
                                                        : BKGroupSettingsPanel::kAddOperation);
        std::printf("group: %s\n", result ? qPrintable(result->mGroupName()) : "(none)");
    } else {
        std::shared_ptr<OTVType> type;
        for (const auto& candidate : store.typesForEditing())
            if (candidate->mTypeName() == wanted)
                type = candidate;
        if (which != QLatin1String("type") && !type)
            return fail("finding the type", 1);
        BKTypeSettingsPanel types(store);
        int status = 0;
        if (which == QLatin1String("customise") && type) {
            types.setResetInfo(type);
            types.setShouldHideControls(true);
            int op = BKTypeSettingsPanel::kCustomiseOperation;
            const auto own = types.runCustomSettingsPanelForWindow(nullptr, type, &op);
            std::printf("custom labels: %s\n", own ? qPrintable(own->label(1)) : "(none)");
        } else {
            const auto result = BKStoreTypeFromPanel(types, nullptr, type,
                                                     type ? BKTypeSettingsPanel::kEditOperation
                                                          : BKTypeSettingsPanel::kAddOperation,
                                                     &status);
            std::printf("type: %s (status %d)\n", result ? qPrintable(result->mTypeName()) : "(none)", status);
        }
    }
    BKAlertPresenter::install(nullptr);
    store.closeConnection();
    return 0;
}
