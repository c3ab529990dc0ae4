#include "BKHelperRunner.h"

#include "BKMainThread.h"
#include "BKWorker.h"

#include <QProcess>

#include <atomic>
#include <mutex>

namespace {

std::atomic<bool> helperRunning{false};
std::mutex launcherMutex;
BKHelperRunner::Launcher installedLauncher;

int runWithQProcess(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(-1) || !process.waitForFinished(-1))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

void BKHelperRunner::setLauncher(Launcher launcher)
{
    std::lock_guard<std::mutex> lock(launcherMutex);
    installedLauncher = std::move(launcher);
}

bool BKHelperRunner::runDetached(std::function<void()> job)
{
    bool expected = false;
    if (!helperRunning.compare_exchange_strong(expected, true))
        return false;
    BKDetachNewThread(std::move(job), [] { helperRunning.store(false); });
    return true;
}

bool BKHelperRunner::isBusy()
{
    return helperRunning.load();
}

int BKHelperRunner::runProgram(const QString& program, const QStringList& arguments)
{
    Launcher launcher;
    {
        std::lock_guard<std::mutex> lock(launcherMutex);
        launcher = installedLauncher;
    }
    return launcher ? launcher(program, arguments) : runWithQProcess(program, arguments);
}

void BKHelperRunner::runProgramReportingOutcome(const QStringList& command, const std::function<void()>& failed,
                                               const std::function<void()>& succeeded)
{
    const std::function<void()>& outcome = runProgram(command.first(), command.mid(1)) == 0 ? succeeded : failed;
    if (outcome)
        BKPerformOnMainThread(outcome);
}
