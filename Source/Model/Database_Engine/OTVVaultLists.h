#pragma once

// The lists that the store hands to the interface, and their orders: groups, types and users
// by name without regard to case, records by one of the fifteen columns of the record list.

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <variant>

class BKGroup;
class OTVRecord;
class OTVType;
class OTVUserBase;
class OTVUser_Admin;

using OTVRecordList = QList<std::shared_ptr<OTVRecord>>;
using OTVGroupList = QList<std::shared_ptr<BKGroup>>;
using OTVTypeList = QList<std::shared_ptr<OTVType>>;
using OTVUserList = QList<std::shared_ptr<OTVUser_Admin>>;

// Names compared without regard to case, with no further tie-break: negative, 0 or positive
// as a comes before, with or after b.
int sortGroupArray(const BKGroup& a, const BKGroup& b);
int sortTypeArray(const OTVType& a, const OTVType& b);
int sortUsersArray(const OTVUserBase& a, const OTVUserBase& b);

// The columns of the record list. The interface names them by their identifiers, the decimal
// text of the ID.
enum OTVRecordColumnID : int {
    kIconColumnID = 0,
    kTypeColumnID = 1,
    kCategoryColumnID = 2,
    kField1ColumnID = 3,   // values 1 to 9 are columns 3 to 11
    kField9ColumnID = 11,
    kField10ColumnID = 12,
    kNotesColumnID = 13,
    kAttachmentColumnID = 14,
};
inline const QString kIconColumnIdentifier = QStringLiteral("0");
inline const QString kTypeColumnIdentifier = QStringLiteral("1");
inline const QString kCategoryColumnIdentifier = QStringLiteral("2");
inline const QString kField1ColumnIdentifier = QStringLiteral("3");
inline const QString kField2ColumnIdentifier = QStringLiteral("4");
inline const QString kField3ColumnIdentifier = QStringLiteral("5");
inline const QString kField4ColumnIdentifier = QStringLiteral("6");
inline const QString kField5ColumnIdentifier = QStringLiteral("7");
inline const QString kField6ColumnIdentifier = QStringLiteral("8");
inline const QString kField7ColumnIdentifier = QStringLiteral("9");
inline const QString kField8ColumnIdentifier = QStringLiteral("10");
inline const QString kField9ColumnIdentifier = QStringLiteral("11");
inline const QString kField10ColumnIdentifier = QStringLiteral("12");
inline const QString kNotesColumnIdentifier = QStringLiteral("13");
inline const QString kAttachmentColumnIdentifier = QStringLiteral("14");

// One row of a sorted record list.
struct OTVRecordSortRow {
    // "SortString": the record's key in the sorted column; a time for value 10, else text.
    std::variant<QString, QDateTime> sortString;
    // "SecondarySorting": value 1 in lower case, which orders rows with equal keys.
    QString secondarySorting;
    // "kRecordItem"
    std::shared_ptr<OTVRecord> recordItem;
};

// The row of `record` for `columnID` (0 to 14). Texts are in lower case. The icon column is
// the type's icon number as decimal text, compared as text (1, 10, 2, ...). Value 10 is the
// time it holds, or `now` when it holds none. A record without a type, a group or an
// attachment has the empty text there.
OTVRecordSortRow OTVMakeRecordSortRow(const std::shared_ptr<OTVRecord>& record, int columnID, const QDateTime& now);

// Keys compared by character codes (times by instant), equal keys by the secondary texts
// without regard to case: negative, 0 or positive.
int sortItemArray(const OTVRecordSortRow& a, const OTVRecordSortRow& b);

// The time that value 10 holds ("yyyy-MM-dd HH:mm:ss +HHMM"); an invalid QDateTime when the
// text is not of that form.
QDateTime OTVModificationDateFromText(const QString& text);

// The same read into its parts, for callers that need no QDateTime; nullopt where
// OTVModificationDateFromText gives an invalid time.
struct OTVStoredTime {
    QDate date;
    QTime time;
    int offsetSeconds = 0;
};
std::optional<OTVStoredTime> OTVStoredTimeFromText(const QString& text);
