#include "OTVVaultLists.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUserBase.h"

namespace {

int compareNames(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive);
}

// The number of `count` decimal digits at `position` (checked before).
int digitsAt(const QString& text, int position, int count)
{
    int number = 0;
    for (int i = position; i < position + count; ++i)
        number = number * 10 + (text.at(i).unicode() - '0');
    return number;
}

} // namespace

int sortGroupArray(const BKGroup& a, const BKGroup& b)
{
    return compareNames(a.mGroupName(), b.mGroupName());
}

int sortTypeArray(const OTVType& a, const OTVType& b)
{
    return compareNames(a.mTypeName(), b.mTypeName());
}

int sortUsersArray(const OTVUserBase& a, const OTVUserBase& b)
{
    return compareNames(a.mUsername(), b.mUsername());
}

std::optional<OTVStoredTime> OTVStoredTimeFromText(const QString& text)
{
    // "2026-01-05 09:00:00 +0530", read by hand: Qt's own offset parsing wants a colon.
    static const QLatin1String pattern("0000-00-00 00:00:00 +0000");
    if (text.size() != pattern.size())
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char expected = pattern.at(i).toLatin1();
        const bool fits = expected == '0'   ? c.isDigit() && c.unicode() < 128
                          : expected == '+' ? c == QLatin1Char('+') || c == QLatin1Char('-')
                                            : c == QLatin1Char(expected);
        if (!fits)
            return std::nullopt;
    }
    OTVStoredTime stored;
    stored.date = QDate(digitsAt(text, 0, 4), digitsAt(text, 5, 2), digitsAt(text, 8, 2));
    stored.time = QTime(digitsAt(text, 11, 2), digitsAt(text, 14, 2), digitsAt(text, 17, 2));
    const int offsetHours = digitsAt(text, 21, 2);
    const int offsetMinutes = digitsAt(text, 23, 2);
    if (!stored.date.isValid() || !stored.time.isValid() || offsetHours > 23 || offsetMinutes > 59)
        return std::nullopt;
    stored.offsetSeconds = (text.at(20) == QLatin1Char('-') ? -1 : 1) * (offsetHours * 3600 + offsetMinutes * 60);
    return stored;
}

QDateTime OTVModificationDateFromText(const QString& text)
{
    const std::optional<OTVStoredTime> stored = OTVStoredTimeFromText(text);
    if (!stored)
        return {};
    return QDateTime(stored->date, stored->time, Qt::OffsetFromUTC, stored->offsetSeconds);
}

OTVRecordSortRow OTVMakeRecordSortRow(const std::shared_ptr<OTVRecord>& record, int columnID, const QDateTime& now)
{
    OTVRecordSortRow row;
    row.recordItem = record;
    row.secondarySorting = record->value(1).toLower();
    const OTVType* type = record->mType().get();
    const BKGroup* group = record->mGroup().get();
    switch (columnID) {
    case kIconColumnID:
        row.sortString = type ? QString::number(type->mTypeIconID().value_or(0)) : QString();
        break;
    case kTypeColumnID:
        row.sortString = type ? type->mTypeName().toLower() : QString();
        break;
    case kCategoryColumnID:
        row.sortString = group ? group->mGroupName().toLower() : QString();
        break;
    case kField10ColumnID: {
        const QDateTime time = OTVModificationDateFromText(record->value(kNoOfFields));
        row.sortString = time.isValid() ? time : now;
        break;
    }
    case kNotesColumnID:
        row.sortString = record->mNotes().toLower();
        break;
    case kAttachmentColumnID:
        row.sortString = record->mHasAttachment() ? record->mAttachmentName().toLower() : QString();
        break;
    case kField1ColumnID:
        row.sortString = row.secondarySorting;   // the same text: see sortItemArray
        break;
    default:
        row.sortString = columnID > kField1ColumnID && columnID <= kField9ColumnID
                             ? record->value(columnID - kField1ColumnID + 1).toLower()
                             : QString();
        break;
    }
    return row;
}

int sortItemArray(const OTVRecordSortRow& a, const OTVRecordSortRow& b)
{
    int order = 0;
    if (a.sortString.index() != b.sortString.index()) {
        order = int(a.sortString.index()) - int(b.sortString.index());
    } else if (const QString* text = std::get_if<QString>(&a.sortString)) {
        const QString& other = std::get<QString>(b.sortString);
        order = QString::compare(*text, other, Qt::CaseSensitive);
        // Keys that are the secondary texts themselves (value 1's column) leave the second
        // comparison nothing to tell apart: equal keys are equal secondary texts.
        if (order == 0 && text->constData() == a.secondarySorting.constData() &&
            other.constData() == b.secondarySorting.constData())
            return 0;
    } else {
        const QDateTime& x = std::get<QDateTime>(a.sortString);
        const QDateTime& y = std::get<QDateTime>(b.sortString);
        order = x < y ? -1 : (y < x ? 1 : 0);
    }
    return order != 0 ? order : QString::compare(a.secondarySorting, b.secondarySorting, Qt::CaseInsensitive);
}
