#include "IndependentCSVReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

std::optional<QList<QStringList>> ReadWithIndependentCSVReader(const QString& path)
{
    static const QString script = QStringLiteral(
        "import csv, json, sys\n"
        "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
        "    json.dump(list(csv.reader(f)), sys.stdout)\n");
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), script, path});
    if (!python.waitForFinished(30000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        return std::nullopt;
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue& field : row.toArray())
            fields << field.toString();
        rows << fields;
    }
    return rows;
}
