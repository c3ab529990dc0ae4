#pragma once

#include <QDate>
#include <QString>

#include <optional>

// The date of a record line is the day of the record's last change, "%B %d,%Y" with English month
// names whatever the user's language ("January 05,2009"). The vault keeps that time as
// "yyyy-MM-dd HH:mm:ss +HHMM".

QString ExportDateText(const QDate& date);
// The date of a record line; nullopt for an empty or unreadable text. The day may have one or two
// digits, the month name any case.
std::optional<QDate> ParseExportDate(const QString& text);
// The calendar day of a stored time, taken as written: the offset does not move it to another
// day. nullopt when the text is not a stored time.
std::optional<QDate> StoredModificationDay(const QString& stored);
