#pragma once

// The stored forms of the per-user layout: the sort order (APPPREFTABLE.SORTINFO), the
// list-column layout (COLUMNINFOTABLE), the main window's frame (APPPREFTABLE.WINDOWPOS) and the
// rectangle texts of the split-view layouts (user defaults). Other copies of the program read
// and write the same forms, so they stay exactly as they are. Pure functions: the screen is an
// argument.

#include "Model/OTVUser.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The record list's columns "1" to "14" in list order and their bits in the shown-columns mask:
// type, group, Field 1 to Field 10, notes, attachment.
constexpr int kListNoOfColumns = 14;
constexpr std::array<quint64, kListNoOfColumns> kColumnMasksArray = {
    0x400, 0x800, 0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x1000, 0x2000,
};

// The leading integer of a text, as the platform's intValue reads it: blanks, an optional sign
// and digits; 0 when there are none; saturated at the ends of the 64-bit range. `found` tells
// whether there were digits.
qint64 OTVLeadingInteger(QStringView text, bool* found = nullptr);

// SORTINFO: bits 0-15 the sorted column's identifier, bits 16-31 the ascending flag. No sort
// order is 0. A key's integer value keeps its low 16 bits only ("70000" is stored as 4464).
qint64 OTVStoredSortInfo(const std::optional<SortSpec>& sorting);
// Any of bits 16-23 set reads as ascending.
SortSpec OTVSortInfoFromStored(qint64 stored);

// One COLUMNINFOTABLE row: COLUMN1 to COLUMN14, each the width in bits 0-15 and the shown flag
// in bit 16.
using OTVColumnValues = std::array<qint64, kListNoOfColumns>;
struct OTVColumnLayout {
    QList<int> widths;   // in list order
    quint64 mask = 0;    // bits of kColumnMasksArray
};
// No widths write width 0 everywhere. Only the first 14 widths count: the caller checks that
// there are 14.
OTVColumnValues OTVStoredColumnValues(const OTVColumnLayout& layout);
// A column counts as shown when any of bits 16-31 is set.
OTVColumnLayout OTVColumnLayoutFromStored(const OTVColumnValues& stored);

// WINDOWPOS: "left top right bottom maximised", each "%.4d", counted in points from the top left
// of the main screen. Frames here are Qt's (top-left origin); see the .cpp for the formulae.
QString OTVWindowPositionText(const QRectF& frame, const QSizeF& screen, bool maximised);
// std::nullopt when the text does not hold four numbers or they make no window (a text of
// another program, or damaged): the caller then uses the default frame.
std::optional<QRectF> OTVFrameFromWindowPositionText(const QString& text, const QSizeF& screen);

// The primary screen's size in points; 1280 x 800 without a screen (no GUI application). Any
// thread may ask (the login read runs on the load thread): the screen is only read.
QSizeF OTVMainScreenSize();

// A rectangle's text form in the split-view layouts: "{{x, y}, {w, h}}". Reading takes the first
// four numbers of the text; missing ones are 0.
QString OTVStringFromRect(const QRectF& rect);
QRectF OTVRectFromString(const QString& text);

// DETAILPANEWIDTH from the main split view's first rectangle text: the width's whole points,
// low 16 bits ("{{0, 0}, {70000.7, 10}}" gives 4464).
qint16 OTVDetailPaneWidthFromRect(const QString& text);
