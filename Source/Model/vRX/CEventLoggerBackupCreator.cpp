#include "Model/vRX/CEventLoggerBackupCreator.h"

#include "Model/vRX/CStringArray.h"
#include "Model/vRX/ExchangeFormats.h"
#include "Platform/BKPrivateFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <string>

namespace {

const QString kColumns[] = {QStringLiteral("Date"), QStringLiteral("Event"), QStringLiteral("Description"),
                            QStringLiteral("User"), QStringLiteral("Computer")};

} // namespace

CEventLoggerBackupCreator::CEventLoggerBackupCreator(QList<QMap<QString, QString>> entries, int kind)
    : entries_(std::move(entries))
    , kind_(kind)
{
}

QByteArray CEventLoggerBackupCreator::csvText() const
{
    std::string text;
    CStringArray titles;
    for (const QString& column : kColumns)
        titles.Add(column.toUtf8().constData());
    WriteNextRecord(text, titles);
    for (const auto& entry : entries_) {
        CStringArray values;
        for (const QString& column : kColumns)
            values.Add(entry.value(column).toUtf8().constData());
        WriteNextRecord(text, values);
    }
    return QByteArray::fromStdString(text);
}

bool CEventLoggerBackupCreator::doBackupToPath(const QString& path)
{
    errorString_.clear();
    const QFileInfo target(path);
    if (!QDir().mkpath(target.absolutePath())) {
        errorString_ = QStringLiteral("Cannot create the folder %1").arg(target.absolutePath());
        return false;
    }
    QSaveFile file(path);
    const QByteArray text = csvText();
    if (!BKOpenPrivateFile(file) || file.write(text) != text.size() || !file.commit()) {
        errorString_ = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
