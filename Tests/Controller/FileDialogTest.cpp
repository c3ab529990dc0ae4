// The file dialogs of the user window and the exchange commands: they open in the folder of the
// file last chosen, whichever of them asked, and in the Documents folder at first.
#include "Controller/BKFileDialog.h"
#include "Support/TemporarySettings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class FileDialogTest : public QObject {
    Q_OBJECT

private slots:
    void theLastFolderUsedIsWhereTheNextOneOpens()
    {
        TemporarySettings settings;
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString first = QFileInfo(documents).isDir() ? documents : QDir::homePath();
        QCOMPARE(BKLastFileFolder(), first);

        QTemporaryDir chosen;
        const QString file = emptyFile(chosen, QStringLiteral("users.csv"));
        QVERIFY(!file.isEmpty());

        QString openedIn;
        answerWith(file, openedIn);
        QCOMPARE(BKChooseFile(nullptr, {QString(), QStringLiteral("ImportPanel"), false, "CSV (*.csv)", {}}), file);
        QCOMPARE(QDir(openedIn).canonicalPath(), QDir(first).canonicalPath());
        QCOMPARE(BKLastFileFolder(), chosen.path());

        // A save dialog of another window opens there; a cancelled one keeps the folder.
        answerWith(QString(), openedIn);
        QCOMPARE(BKChooseFile(nullptr, {QStringLiteral("Export"), QStringLiteral("ExportPanel"), true, "CSV (*.csv)",
                                        QStringLiteral("csv")}),
                 QString());
        QCOMPARE(QDir(openedIn).canonicalPath(), QDir(chosen.path()).canonicalPath());
        QCOMPARE(BKLastFileFolder(), chosen.path());
    }

    // The attachment panel, whichever window attaches, is the same chooser: it opens where the
    // last file was chosen (Documents at first), its button says Add, and its folder is kept.
    void theAttachmentPanelOpensInTheLastFolderUsed()
    {
        TemporarySettings settings;
        const QString first = BKLastFileFolder();
        QTemporaryDir chosen;
        const QString file = emptyFile(chosen, QStringLiteral("scan.pdf"));
        QVERIFY(!file.isEmpty());

        QString openedIn;
        QString button;
        answerWith(file, openedIn, &button);
        QCOMPARE(BKChooseAttachmentFile(nullptr), file);
        QCOMPARE(QDir(openedIn).canonicalPath(), QDir(first).canonicalPath());
        QCOMPARE(button, QStringLiteral("Add"));
        QCOMPARE(BKLastFileFolder(), chosen.path());

        answerWith(QString(), openedIn);
        QCOMPARE(BKChooseAttachmentFile(nullptr), QString());
        QCOMPARE(QDir(openedIn).canonicalPath(), QDir(chosen.path()).canonicalPath());
    }

private:
    static QString emptyFile(const QTemporaryDir& folder, const QString& name)
    {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::WriteOnly) ? file.fileName() : QString();
    }

    // Once a file dialog shows: notes its folder, then chooses `path` (cancels when empty).
    void answerWith(const QString& path, QString& openedIn, QString* acceptLabel = nullptr)
    {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            QTimer::singleShot(5, this, [this, path, &openedIn, acceptLabel] { answerWith(path, openedIn, acceptLabel); });
            return;
        }
        openedIn = dialog->directory().absolutePath();
        if (acceptLabel)
            *acceptLabel = dialog->labelText(QFileDialog::Accept);
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    }
};

QTEST_MAIN(FileDialogTest)
#include "FileDialogTest.moc"
