#include "Model/vRX/ExchangeDates.h"

#include <QLocale>
#include <QRegularExpression>

QString ExportDateText(const QDate& date)
{
    return QLocale::c().toString(date, QStringLiteral("MMMM dd,yyyy"));
}

std::optional<QDate> ParseExportDate(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*([A-Za-z]+) +(\\d{1,2}) *, *(\\d{4})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString monthName = match.captured(1);
    for (int month = 1; month <= 12; ++month) {
        if (monthName.compare(QLocale::c().monthName(month, QLocale::LongFormat), Qt::CaseInsensitive) != 0)
            continue;
        const QDate date(match.captured(3).toInt(), month, match.captured(2).toInt());
        return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<QDate> StoredModificationDay(const QString& stored)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2})( [+-]\\d{4})?$"));
    const QRegularExpressionMatch match = pattern.match(stored.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}
