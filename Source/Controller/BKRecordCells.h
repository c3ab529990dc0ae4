#pragma once

// What the cells of the record views show, in one place for the screen and for printing: the
// list's columns "0" to "14", the masking of fields, the shown date of value 10 and the list's
// row colours.

#include "Model/Database_Engine/OTVDataBase.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariant>

class OTVRecord;
class OTVType;

// The text of a masked field that holds something.
inline const QString kMaskedFieldText = QStringLiteral("******");

// The record list's fifteen columns, "0" to "14".
constexpr int kRecordListColumns = 15;

// The record's own type when it has one, else its type; nullptr for neither.
const OTVType* BKDisplayType(const OTVRecord& record);

// Whether field 1 .. 10 is hidden under masking: bit field - 1 of the display type's mask.
bool BKIsFieldMasked(const OTVRecord& record, int field);

// Field 1 .. 10 as shown: with masking on and the field masked, "" for an empty value and
// "******" otherwise; field 10 as its day ("March 05,2009", "" when it is no stored time).
QString BKFieldText(const OTVRecord& record, int field, bool shouldMask);

// The text of list column 1 .. 12 on screen: 1 the name of the record's type (never the custom
// type's), 2 the name of its group as the store's group map holds it, 3 .. 12 fields 1 .. 10.
// A null string for the image columns and for any other column.
QString BKListCellText(const OTVRecord& record, int column, bool shouldMask, const OTVGroupMap& groups);

// The image that list column 0, 13 or 14 shows: the display type's icon, the notes image when
// the record has notes, the attachment image when it has an attachment; a null image otherwise.
QImage BKListCellImage(const OTVRecord& record, int column, const OTVDataBase& store);

// A printed cell of the list: never masked; 0 the icon image, 1 the type's name, 2 the name of the
// record's own group, 3 .. 12 fields 1 .. 10, 13 the notes text; an invalid QVariant otherwise.
QVariant BKPrintCellValue(const OTVRecord& record, int column, const OTVDataBase& store);

// The list's background of even rows: the user's row colour blended towards white by 0.65, per
// component c + (1 - c) * 0.65, alpha kept.
QColor BKBlendedRowColor(const QColor& rowColor);

// The list column headers: "Type", "Group", "Field 1" .. "Field 10", "Notes"; the icon and
// attachment columns show an image and no text.
QString BKDefaultColumnTitle(int column);

// The names of the types in order, up to the first type without a name.
QStringList BKTypeNamesOfTypes(const OTVTypeList& types);

// The order of two list columns by the integer value of their identifiers: -1, 0 or 1.
int BKColumnCompare(const QString& identifier, const QString& otherIdentifier);

// The about box's version text: the label's own text used as a format, its "%@" replaced by the
// application's version.
QString BKAboutVersionText(const QString& format, const QString& version);
