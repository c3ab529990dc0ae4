#include "BKUrlOpener.h"

#include "BKApplicationServices.h"
#include "BKHelperRunner.h"
#include "BKLocalization.h"
#include "BKWorker.h"

#include <atomic>

namespace {

std::atomic<BKUrlOpener*> installedOpener{nullptr};

} // namespace

BKUrlOpener& BKUrlOpener::current()
{
    static BKDesktopUrlOpener desktop;
    BKUrlOpener* opener = installedOpener.load();
    return opener ? *opener : desktop;
}

void BKUrlOpener::install(BKUrlOpener* opener)
{
    installedOpener.store(opener);
}

QStringList BKDesktopUrlOpener::command(const QUrl& url)
{
    return {QStringLiteral("xdg-open"),
            url.isLocalFile() ? url.toLocalFile() : QString::fromUtf8(url.toEncoded())};
}

void BKDesktopUrlOpener::openUrl(const QUrl& url, std::function<void()> failed)
{
    const QStringList opener = command(url);
    BKDetachNewThread([opener, failed = std::move(failed)] {
        BKHelperRunner::runProgramReportingOutcome(opener, failed);
    });
}

void BKOpenWebAddress(const QUrl& url)
{
    BKUrlOpener::current().openUrl(url, [url] {
        BKRunAlertPanel(QString(), BKLocalizedString("No application could open the web address %1.")
                                       .arg(url.toDisplayString()));
    });
}
