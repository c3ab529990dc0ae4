#include "OTVFontName.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

#include <utility>
#include <vector>

namespace {

// The size at which a stored font is looked up; the caller sets the stored size.
constexpr int kLookupPointSize = 8;

QString withoutBlanks(const QString& text)
{
    QString compact;
    for (const QChar c : text) {
        if (!c.isSpace())
            compact.append(c);
    }
    return compact;
}

bool sameName(const QString& a, const QString& b)
{
    return withoutBlanks(a).compare(withoutBlanks(b), Qt::CaseInsensitive) == 0;
}

// The regular face carries no style in the stored name.
bool isRegularStyle(const QString& style)
{
    static const QStringList regular = {"Regular", "Book", "Normal", "Roman", "Plain"};
    return style.isEmpty() || regular.contains(style, Qt::CaseInsensitive);
}

QString styleOfFlags(const QFont& font)
{
    return QString(font.bold() ? "Bold" : "") + (font.italic() ? "Italic" : "");
}

QString joined(const QString& family, const QString& style)
{
    return style.isEmpty() ? family : family + QLatin1Char('-') + style;
}

// A part of a stored name, then the same without the vendor's suffix ("ArialMT" -> "Arial").
QStringList withVendorVariants(const QString& part)
{
    QStringList variants{part};
    for (const char* suffix : {"PSMT", "MT", "PS"}) {
        if (part.size() > qsizetype(qstrlen(suffix)) && part.endsWith(QLatin1String(suffix))) {
            variants.append(part.chopped(qsizetype(qstrlen(suffix))));
            break;
        }
    }
    return variants;
}

QString installedFamily(const QStringList& families, const QString& name)
{
    for (const QString& family : families) {
        if (sameName(OTVFamilyWithoutFoundry(family), name))
            return family;
    }
    return {};
}

// The family's face of that style; a style that the family does not list gives the family with
// the weight and slant that the style names.
QFont fontOfStyle(const QString& family, const QString& style)
{
    if (!style.isEmpty()) {
        const QStringList styles = QFontDatabase::styles(family);
        for (const QString& wanted : withVendorVariants(style)) {
            for (const QString& installed : styles) {
                if (sameName(installed, wanted))
                    return QFontDatabase::font(family, installed, kLookupPointSize);
            }
        }
    }
    QFont font(family, kLookupPointSize);
    font.setBold(style.contains(QLatin1String("Bold"), Qt::CaseInsensitive));
    font.setItalic(style.contains(QLatin1String("Italic"), Qt::CaseInsensitive) ||
                   style.contains(QLatin1String("Oblique"), Qt::CaseInsensitive));
    return font;
}

} // namespace

QString OTVFamilyWithoutFoundry(const QString& family)
{
    const qsizetype foundry = family.lastIndexOf(QLatin1String(" ["));
    return foundry > 0 && family.endsWith(QLatin1Char(']')) ? family.left(foundry) : family;
}

QString OTVStoredFontName(const QFont& font, int maxLength)
{
    const QString family = withoutBlanks(OTVFamilyWithoutFoundry(font.family()));
    const QString style = font.styleName().isEmpty()
        ? styleOfFlags(font)
        : (isRegularStyle(font.styleName()) ? QString() : withoutBlanks(font.styleName()));
    for (const QString& name : {joined(family, style), joined(family, styleOfFlags(font)), family}) {
        if (!name.isEmpty() && name.size() <= maxLength)
            return name;
    }
    return {};
}

std::optional<QFont> OTVFontFromStoredName(const QString& storedName)
{
    if (storedName.trimmed().isEmpty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    const QStringList families = QFontDatabase::families();
    // The whole name as a family first (a family name may hold a "-"), then family and style.
    std::vector<std::pair<QString, QString>> readings = {{storedName, QString()}};
    const qsizetype dash = storedName.indexOf(QLatin1Char('-'));
    if (dash > 0)
        readings.emplace_back(storedName.left(dash), storedName.mid(dash + 1));
    for (const auto& [familyPart, stylePart] : readings) {
        for (const QString& name : withVendorVariants(familyPart)) {
            const QString family = installedFamily(families, name);
            if (!family.isEmpty())
                return fontOfStyle(family, stylePart);
        }
    }
    return std::nullopt;
}
