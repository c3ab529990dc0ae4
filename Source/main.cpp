#include "Controller/BKController.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKHeapHugePages.h"
#include "Platform/BKTerminationSignals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

int main(int argc, char* argv[])
{
    BKUseHugePagesForTheHeap(argv);
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Ostrevin"));
    QCoreApplication::setApplicationName(QStringLiteral("Ostrevin Darovazivu"));
    QCoreApplication::setApplicationVersion(QStringLiteral(OSTREVIN_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);   // the controller decides when to quit

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Keeps an organisation's confidential records in a shared vault."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("Default server address."),
                                    QStringLiteral("address"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Default server port."),
                                  QStringLiteral("port"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("Default account."), QStringLiteral("name"));
    parser.addOptions({server, port, user});
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Exchange files to import."), QStringLiteral("[files...]"));
    parser.process(application);

    BKController controller(OTVDataBase::sharedOTVDataBase());
    controller.setConnectionDefaults(parser.value(server), parser.value(port), parser.value(user));
    controller.openFilesAtLaunch(parser.positionalArguments());
    controller.applicationWillFinishLaunching();
    BKWatchTerminationSignals(&controller, [&controller] { controller.terminate(); });
    QTimer::singleShot(0, &controller, [&controller] {
        if (!controller.applicationDidFinishLaunching())
            controller.terminate();
    });
    const int result = QApplication::exec();
    controller.applicationWillTerminate();
    return result;
}
