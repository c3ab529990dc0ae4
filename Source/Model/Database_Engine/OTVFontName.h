#pragma once

// The record list's font is stored by name in APPPREFTABLE.FONTNAME (VARCHAR(32)), in the
// PostScript form that other copies of the program write: the family without blanks, then "-"
// and the style without blanks unless it is the regular one ("ArialMT", "DejaVuSans-Bold").
// Qt finds fonts by family and style, so the names are matched against the installed families
// here, ignoring blanks and case, and a vendor suffix ("MT", "PS", "PSMT") where the plain name
// is not installed.

#include <QFont>
#include <QString>

#include <optional>

// The stored name of `font`, at most `maxLength` characters: the full name; when that is too
// long, the family with "-Bold", "-Italic" or "-BoldItalic" as the font is; then the family
// alone. An empty string when even the family does not fit.
QString OTVStoredFontName(const QFont& font, int maxLength);

// A family without the foundry that Qt appends when two foundries install the same family
// ("Nimbus Sans [urw]" -> "Nimbus Sans"): the stored names never carry one.
QString OTVFamilyWithoutFoundry(const QString& family);

// The installed font that a stored name stands for (its family and style; the size is the
// caller's), or std::nullopt when none is installed or there is no GUI application.
std::optional<QFont> OTVFontFromStoredName(const QString& storedName);
