#include "Platform/BKApplicationServices.h"
#include "Platform/BKAttachmentFiles.h"
#include "Platform/BKDesktopEntries.h"
#include "Platform/BKFileManager.h"
#include "Platform/BKHelperRunner.h"
#include "Platform/BKMailComposer.h"
#include "Platform/BKMailer.h"
#include "Platform/BKUrlOpener.h"
#include "Platform/BKUserGuide.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <mutex>
#include <sys/stat.h>

namespace {

void writeText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// A data folder that holds only the system's MIME database, for the whole run (the database
// reads its folders once).
QString mimeOnlyDataDir()
{
    static QTemporaryDir dir;
    static const bool linked = QFile::link("/usr/share/mime", dir.path() + "/mime");
    Q_UNUSED(linked);
    return dir.path();
}

// A private XDG tree: data home, one system data folder and config home of its own.
class XdgTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",
                                 "XDG_CURRENT_DESKTOP"})
            saved_.emplace_back(name, qgetenv(name), qEnvironmentVariableIsSet(name));
        qputenv("XDG_DATA_HOME", (root_.path() + "/home-data").toUtf8());
        qputenv("XDG_DATA_DIRS", (root_.path() + "/system-data:" + mimeOnlyDataDir()).toUtf8());
        qputenv("XDG_CONFIG_HOME", (root_.path() + "/config").toUtf8());
        qputenv("XDG_CONFIG_DIRS", (root_.path() + "/system-config").toUtf8());
        qunsetenv("XDG_CURRENT_DESKTOP");
    }
    void TearDown() override
    {
        for (const auto& [name, value, wasSet] : saved_) {
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

    void entry(const QString& folder, const QString& id, const QString& name, const QString& extra = {})
    {
        writeText(root_.path() + "/" + folder + "/applications/" + id,
                  ("[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + id.section('.', 0, 0) +
                   " %f\n" + extra)
                      .toUtf8());
    }

    QStringList titles(const QString& mimeType)
    {
        QStringList names;
        for (const BKDesktopApplication& application : BKDesktopEntries::applicationsForMimeType(mimeType))
            names.append(application.name);
        return names;
    }

    QTemporaryDir root_;
    std::vector<std::tuple<const char*, QByteArray, bool>> saved_;
};

TEST_F(XdgTree, theDefaultComesFirstThenTheOthersOnce)
{
    entry("system-data", "viewer.desktop", "Viewer");
    entry("system-data", "editor.desktop", "Editor");
    entry("home-data", "mine.desktop", "My Reader");
    entry("system-data", "gone.desktop", "Hidden One", "Hidden=true\n");
    entry("system-data", "unwanted.desktop", "Unwanted");
    writeText(root_.path() + "/system-data/applications/mimeinfo.cache",
              "[MIME Cache]\napplication/pdf=viewer.desktop;editor.desktop;gone.desktop;unwanted.desktop;"
              "missing.desktop;\ntext/plain=editor.desktop;\n");
    writeText(root_.path() + "/config/mimeapps.list",
              "[Default Applications]\napplication/pdf=missing.desktop;editor.desktop;\n"
              "[Added Associations]\napplication/pdf=mine.desktop;viewer.desktop;\n"
              "[Removed Associations]\napplication/pdf=unwanted.desktop;\n");

    EXPECT_EQ(titles("application/pdf"), (QStringList{"Editor", "My Reader", "Viewer"}));
    const QList<BKDesktopApplication> apps = BKDesktopEntries::applicationsForMimeType("application/pdf");
    EXPECT_EQ(apps.first().path, root_.path() + "/system-data/applications/editor.desktop");
    EXPECT_EQ(BKDesktopEntries::defaultApplicationForMimeType("application/pdf").name, "Editor");
    EXPECT_TRUE(BKDesktopEntries::defaultApplicationForMimeType("image/png").id.isEmpty());
}

// The guide opens in the default viewer for HTML; a default that cannot start gives way to the
// next application.
TEST_F(XdgTree, theUserGuideOpensInTheDesktopsViewer)
{
    const QString guide = root_.path() + "/program/docs/userguide.html";
    writeText(guide, "<html><body>guide</body></html>");
    const QString viewer = root_.path() + "/bin/guide-viewer";
    const QString opened = root_.path() + "/opened";
    writeText(viewer, ("#!/bin/sh\nprintf '%s' \"$1\" > '" + opened + "'\n").toUtf8());
    ASSERT_TRUE(QFile::setPermissions(viewer, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    writeText(root_.path() + "/system-data/applications/broken.desktop",
              "[Desktop Entry]\nType=Application\nName=Broken\nExec=/nonexistent/viewer %f\n");
    writeText(root_.path() + "/system-data/applications/viewer.desktop",
              ("[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + viewer + " %f\n").toUtf8());
    writeText(root_.path() + "/system-data/applications/mimeinfo.cache",
              "[MIME Cache]\ntext/html=broken.desktop;viewer.desktop;\n");
    writeText(root_.path() + "/config/mimeapps.list", "[Default Applications]\ntext/html=broken.desktop;\n");

    ASSERT_EQ(BKUserGuide::path(root_.path() + "/program"), guide);
    ASSERT_TRUE(BKUserGuide::open(guide));
    // The shell creates the file before it writes the path: wait for the path itself.
    for (int i = 0; i < 500 && QFileInfo(opened).size() == 0; ++i)
        QThread::msleep(10);
    QFile result(opened);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(result.readAll()), guide);
    EXPECT_FALSE(BKUserGuide::open(QString()));
}

// Without a viewer for HTML the guide goes to xdg-open, and so does every web address: only its
// exit status says whether a program took them. When none did (xdg-open ends with 3, "no method
// available", or is not there at all) the user is told, with the guide's file or the address.
TEST_F(XdgTree, whatNoProgramCouldOpenIsSaid)
{
    struct RecordingAlerts : BKAlertPresenter {
        int runAlert(const BKAlert& alert) override
        {
            messages.append(alert.message);
            return kBKAlertDefaultReturn;
        }
        QStringList messages;
    } alerts;
    BKAlertPresenter::install(&alerts);
    const QString guide = root_.path() + "/program/docs/userguide.html";
    writeText(guide, "<html><body>guide</body></html>");
    const QString opened = root_.path() + "/opened";
    const struct {
        const char* what;
        QByteArray xdgOpen;   // empty: none on PATH
        bool opens;
    } cases[] = {
        {"xdg-open finds no program", "#!/bin/sh\necho 'xdg-open: no method available' >&2\nexit 3\n", false},
        {"no xdg-open at all", "", false},
        {"xdg-open hands it over", ("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + opened + "'\n").toUtf8(), true},
    };
    const QByteArray path = qgetenv("PATH");
    for (const auto& c : cases) {
        alerts.messages.clear();
        QFile::remove(opened);
        QTemporaryDir bin;
        if (!c.xdgOpen.isEmpty()) {
            writeText(bin.filePath("xdg-open"), c.xdgOpen);
            QFile::setPermissions(bin.filePath("xdg-open"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", QFile::encodeName(bin.path()));
        int guideFailures = 0;
        EXPECT_TRUE(BKUserGuide::open(guide, [&guideFailures] { ++guideFailures; })) << c.what;
        BKOpenWebAddress(QUrl("https://www.example.org/login?a=1&b=2"));
        const auto done = [&] {
            return c.opens ? readLines(opened).size() == 2
                           : guideFailures == 1 && alerts.messages.size() == 1;
        };
        for (int i = 0; i < 5000 && !done(); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        QCoreApplication::processEvents();
        qputenv("PATH", path);
        if (c.opens) {
            QStringList both = readLines(opened);
            both.sort();   // the two run side by side
            EXPECT_EQ(both, (QStringList{guide, "https://www.example.org/login?a=1&b=2"})) << c.what;
            EXPECT_EQ(guideFailures, 0) << c.what;
            EXPECT_EQ(alerts.messages, QStringList()) << c.what;
        } else {
            EXPECT_EQ(guideFailures, 1) << c.what;
            EXPECT_EQ(alerts.messages,
                      QStringList{"No application could open the web address https://www.example.org/login?a=1&b=2."})
                << c.what;
        }
    }
    BKAlertPresenter::install(nullptr);
}

TEST_F(XdgTree, aParentTypeLendsItsApplications)
{
    // text/x-csrc is a kind of text/plain.
    entry("system-data", "editor.desktop", "Editor");
    writeText(root_.path() + "/system-data/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=editor.desktop;\n");
    EXPECT_EQ(titles("text/x-csrc"), QStringList{"Editor"});
    EXPECT_TRUE(titles("image/png").isEmpty());
}

TEST(DesktopEntryExec, theCommandTakesTheFileAsOneArgument)
{
    const QString file = "/tmp/private/a b;$(rm -rf x).pdf";
    const QString url = "file:///tmp/private/a%20b;$(rm%20-rf%20x).pdf";
    struct Case {
        QString exec;
        QStringList command;
    };
    const Case cases[] = {
        {"viewer %f", {"viewer", file}},
        {"viewer --new %U", {"viewer", "--new", url}},
        {"viewer", {"viewer", file}},
        {"\"/opt/My App/run\" --name=%c %i %F", {"/opt/My App/run", "--name=Viewer", file}},
        {"sh -c \"echo \\\"\\$1\\\" 100%%\" sh %f", {"sh", "-c", "echo \"$1\" 100%", "sh", file}},
        {"viewer --file=%f", {"viewer", "--file=" + file}},
        {"viewer \"unclosed %f", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        BKDesktopApplication application{"viewer.desktop", "Viewer", "/x/viewer.desktop", c.exec};
        EXPECT_EQ(BKDesktopEntries::launchCommand(application, file), c.command) << c.exec.toStdString();
    }
}

TEST(AttachmentNames, aNameFromTheVaultBecomesAPlainFileName)
{
    const QString longStem(300, QChar('n'));
    const std::pair<QString, QString> cases[] = {
        {"report.pdf", "report.pdf"},
        {"../x", "x"},
        {"../../evil", "evil"},
        {"a/b", "b"},
        {".hidden", "hidden"},
        {"..", "attachment"},
        {"/", "attachment"},
        {"", "attachment"},
        {QString("a") + QChar(0) + "b", "ab"},
        {longStem + ".pdf", QString(251, QChar('n')) + ".pdf"},
        {QString(200, QChar(0x00e9)), QString(127, QChar(0x00e9))},   // two bytes each, never cut in half
    };
    for (const auto& [name, expected] : cases) {
        const QString sanitised = BKAttachmentFiles::sanitisedName(name);
        EXPECT_EQ(sanitised, expected) << name.left(20).toStdString();
        EXPECT_LE(sanitised.toUtf8().size(), 255);
    }
}

TEST(AttachmentNames, saveAsKeepsTheAttachmentsExtension)
{
    struct Case {
        QString typed;
        QString required;
        bool confirmed;
        QString saved;
    };
    const Case cases[] = {
        {"/d/report", "pdf", true, "/d/report.pdf"},
        {"/d/report.txt", "pdf", true, "/d/report.txt.pdf"},
        {"/d/report.pdf", "pdf", true, "/d/report.pdf"},
        {"/d/report", "pdf", false, "/d/report"},
        {"/d/report", "", true, "/d/report"},
        {"/d/report.PDF", "pdf", true, "/d/report.PDF.pdf"},
        {"/d.x/report", "pdf", true, "/d.x/report.pdf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BKAttachmentFiles::saveAsFileName(c.typed, c.required, c.confirmed), c.saved) << c.typed.toStdString();
    EXPECT_EQ(BKAttachmentFiles::extension("archive.tar.gz"), "gz");
    EXPECT_EQ(BKAttachmentFiles::extension(".profile"), "");
}

TEST(AttachmentFiles, hostileNamesStayInsideThePrivateFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folder = root.path() + "/private";
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0700), 0);
    // A link planted under the name that is written next must not be followed.
    const QString outside = root.path() + "/outside.txt";
    writeText(outside, "keep me");
    ASSERT_TRUE(QFile::link(outside, folder + "/linked.txt"));

    for (const QString& name : {QString("../x"), QString("a/b"), QString(".hidden"), QString(300, QChar('y')),
                                QString("linked.txt"), QString("../../escape.txt")}) {
        const QString path = BKAttachmentFiles::writeIntoPrivateFolder(folder, name, "secret");
        ASSERT_FALSE(path.isEmpty()) << name.left(20).toStdString();
        EXPECT_EQ(QFileInfo(path).absolutePath(), folder);
        EXPECT_FALSE(QFileInfo(path).isSymLink());
        EXPECT_EQ(QFileInfo(path).permissions() & 0x7777, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                             QFileDevice::ReadUser | QFileDevice::WriteUser);
        QFile written(path);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll(), "secret");
    }
    QFile kept(outside);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep me");
    QStringList outsideEntries = QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    EXPECT_EQ(outsideEntries, (QStringList{"outside.txt", "private"}));

    // A folder that others can enter is no private folder.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    EXPECT_TRUE(BKAttachmentFiles::writeIntoPrivateFolder(folder, "x", "secret").isNull());
}

TEST(MailComposer, theTemplateFollowsTheHandlersExactName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Microsoft Entourage", "BKEntourageScript"},
        {"Microsoft Entourage.app", "BKMialScript"},
        {"microsoft entourage", "BKMialScript"},
        {"thunderbird", "BKMialScript"},
        {"", "BKMialScript"},
    };
    for (const auto& [handler, key] : cases)
        EXPECT_EQ(BKMailComposer::templateKeyForMailHandler(handler), key) << handler;
}

// A mail carries a file; a package folder is packed, once, into "<folder>.tar.gz" beside it.
TEST(MailComposer, aFolderIsPackedBeforeItIsAttached)
{
    QTemporaryDir root;
    const QString file = root.path() + "/Records.csv";
    writeText(file, "x");
    EXPECT_EQ(BKMailComposer::commandForAttachment(file), (QStringList{"xdg-email", "--attach", file}));
    const QString package = root.path() + "/Attached_Records.vrx";
    ASSERT_TRUE(QDir().mkdir(package));
    writeText(package + "/Attached_Records.vrx", "records");
    EXPECT_EQ(BKMailComposer::commandForAttachment(package), QStringList());
    EXPECT_FALSE(BKMailComposer::composeMailWithAttachment(package));

    QString why;
    const QString archive = BKPackFolderAsTarGz(package, &why);
    ASSERT_EQ(archive, package + ".tar.gz") << why.toStdString();
    EXPECT_FALSE(QFileInfo::exists(archive + ".part"));
    QProcess list;
    list.start("tar", {"-tzf", archive});
    ASSERT_TRUE(list.waitForFinished(-1));
    QStringList entries = QString::fromUtf8(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    entries.sort();
    EXPECT_EQ(entries, (QStringList{"Attached_Records.vrx/", "Attached_Records.vrx/Attached_Records.vrx"}));
    EXPECT_EQ(BKMailComposer::commandForAttachment(archive), (QStringList{"xdg-email", "--attach", archive}));
    EXPECT_TRUE(BKPackFolderAsTarGz(file, &why).isEmpty());
}

// Records the programs a helper job runs; can hold the first one until released.
class RecordingLauncher {
public:
    explicit RecordingLauncher(int exitCode = 0, bool block = false) : exitCode_(exitCode), blocked_(block)
    {
        BKHelperRunner::setLauncher([this](const QString& program, const QStringList& arguments) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                runs_.append(QStringList{program} + arguments);
            }
            while (blocked_.load())
                QThread::msleep(1);
            return exitCode_;
        });
    }
    ~RecordingLauncher()
    {
        release();
        waitUntilIdle();
        BKHelperRunner::setLauncher(nullptr);
    }
    void release() { blocked_.store(false); }
    static void waitUntilIdle()
    {
        for (int i = 0; i < 5000 && BKHelperRunner::isBusy(); ++i)
            QThread::msleep(1);
    }
    QList<QStringList> runs()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return runs_;
    }

private:
    int exitCode_;
    std::atomic<bool> blocked_;
    std::mutex mutex_;
    QList<QStringList> runs_;
};

TEST(HelperRunner, aRequestWhileAHelperRunsIsDropped)
{
    RecordingLauncher launcher(0, true);
    EXPECT_TRUE(BKMailComposer::composeMailWithAttachment("/tmp/a.csv"));
    for (int i = 0; i < 5000 && launcher.runs().isEmpty(); ++i)
        QThread::msleep(1);
    EXPECT_TRUE(BKHelperRunner::isBusy());
    EXPECT_FALSE(BKMailComposer::composeMailWithAttachment("/tmp/b.csv"));
    EXPECT_FALSE(BKFileManager::revealFile("/tmp/b.csv"));
    launcher.release();
    RecordingLauncher::waitUntilIdle();
    EXPECT_EQ(launcher.runs(), (QList<QStringList>{{"xdg-email", "--attach", "/tmp/a.csv"}}));
    // Once it ended, the next one runs.
    EXPECT_TRUE(BKMailComposer::composeMailWithAttachment("/tmp/c.csv"));
    RecordingLauncher::waitUntilIdle();
    EXPECT_EQ(launcher.runs().size(), 2);
}

TEST(FileManager, revealAsksTheFileManagerThenOpensTheFolder)
{
    for (const int exitCode : {0, 1}) {
        RecordingLauncher launcher(exitCode);
        ASSERT_TRUE(BKFileManager::revealFile("/tmp/some dir/a,b.pdf"));
        RecordingLauncher::waitUntilIdle();
        QList<QStringList> expected{{"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.FileManager1",
                                     "--type=method_call", "/org/freedesktop/FileManager1",
                                     "org.freedesktop.FileManager1.ShowItems",
                                     "array:string:file:///tmp/some%20dir/a%2Cb.pdf", "string:"}};
        if (exitCode != 0)
            expected.append(QStringList{"xdg-open", "/tmp/some dir"});
        EXPECT_EQ(launcher.runs(), expected) << exitCode;
    }
}

} // namespace

// Beside the program in a build tree, under share/doc once installed; nothing elsewhere.
TEST(UserGuide, isFoundBesideTheProgramOrInTheInstalledShareFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    writeText(root.path() + "/build/docs/userguide.html", "<html></html>");
    writeText(root.path() + "/prefix/share/doc/ostrevin/userguide.html", "<html></html>");
    QDir().mkpath(root.path() + "/prefix/bin");
    QDir().mkpath(root.path() + "/elsewhere");
    EXPECT_EQ(BKUserGuide::path(root.path() + "/build"), root.path() + "/build/docs/userguide.html");
    EXPECT_EQ(BKUserGuide::path(root.path() + "/prefix/bin"), root.path() + "/prefix/share/doc/ostrevin/userguide.html");
    EXPECT_TRUE(BKUserGuide::path(root.path() + "/elsewhere").isNull());
}

#ifdef OSTREVIN_PROGRAM_DIR
// The build puts the guide where the program looks for it.
TEST(UserGuide, isShippedBesideTheBuiltProgram)
{
    const QString guide = BKUserGuide::path(QStringLiteral(OSTREVIN_PROGRAM_DIR));
    ASSERT_FALSE(guide.isEmpty());
    QFile file(guide);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("User Guide"));
}
#endif
