#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Desktop helper programs (the mail composer, the file manager's reveal) run one at a time on a
// detached worker thread, never through a shell: a value from the vault only ever reaches a
// helper as one argument of its own. A request that comes while a helper still runs is dropped
// without a message; a helper's failure reaches only a caller that asks for it.
class BKHelperRunner {
public:
    // Runs a program with its arguments and waits for it: its exit code, -1 when it could not
    // start or crashed. Tests replace it (nullptr restores QProcess).
    using Launcher = std::function<int(const QString& program, const QStringList& arguments)>;
    static void setLauncher(Launcher launcher);

    // Starts `job` on a worker unless one is running (the flag is shared by every window):
    // true when it was started. The flag clears when the job returns.
    static bool runDetached(std::function<void()> job);
    static bool isBusy();

    // Inside a job: runs one program through the launcher and waits for it.
    static int runProgram(const QString& program, const QStringList& arguments);
    // Inside a job: runs `command` (program first) and queues for the main thread `failed` when
    // it could not start or failed, else `succeeded`.
    static void runProgramReportingOutcome(const QStringList& command, const std::function<void()>& failed,
                                           const std::function<void()>& succeeded = {});
};
