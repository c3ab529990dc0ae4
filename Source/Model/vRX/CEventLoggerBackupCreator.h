#pragma once

#include <QList>
#include <QMap>
#include <QString>

// Writes event-log entries to a CSV backup file: a title line "Date,Event,Description,User,Computer,"
// then one line per entry with the values under those keys (a missing key gives an empty field;
// "Action" is not written). Every field is followed by ",", every line ends with CR.
class CEventLoggerBackupCreator {
public:
    // kind: the store's event-log kind; it does not change the file.
    CEventLoggerBackupCreator(QList<QMap<QString, QString>> entries, int kind);

    // Writes through a temporary file in the same folder, creating the folder when missing, so
    // that the file is either complete or not there. True when the file was written.
    bool doBackupToPath(const QString& path);
    QString errorString() const { return errorString_; }
    int kind() const { return kind_; }

private:
    QByteArray csvText() const;

    QList<QMap<QString, QString>> entries_;
    int kind_;
    QString errorString_;
};
