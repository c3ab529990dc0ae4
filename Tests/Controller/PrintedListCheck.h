#pragma once

// Shared by the print tests: a printed record list read back with `pdftotext -layout`, checked
// row by row. The rows are "entry-N" (a first column) with a note that ends in "end-N"; every
// third row's note is a long text of whole words that wraps in its column.

#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

namespace PrintedListCheck {

inline QString entry(int row)
{
    return QStringLiteral("entry-%1").arg(row, 4, 10, QLatin1Char('0'));
}

// Each word once, none of them elsewhere in the list.
inline const QStringList& longNoteWords()
{
    static const QStringList words = QStringLiteral(
                                         "Corporate card takes more than one line in its column while words stay whole")
                                         .split(QLatin1Char(' '));
    return words;
}

inline bool hasLongNote(int row)
{
    return row % 3 == 0;
}

inline QString note(int row)
{
    const QString end = QStringLiteral("end-%1").arg(row, 4, 10, QLatin1Char('0'));
    return hasLongNote(row) ? longNoteWords().join(QLatin1Char(' ')) + QLatin1Char(' ') + end
                            : QStringLiteral("short ") + end;
}

// The text of each page, laid out as printed.
inline QStringList layoutPages(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000))
        return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// What is wrong with a list of `rows` rows printed on `pages`, empty when nothing: every row once
// and whole on one page (its entry and its note's end on the same page), the long notes' words
// whole, and the footer the last line of every page, clear of the rows.
inline QString fault(const QStringList& pages, int rows, const QString& footer)
{
    if (pages.isEmpty())
        return QStringLiteral("nothing printed");
    static const QRegularExpression marks(QStringLiteral("\\b(entry|end)-(\\d+)\\b"));
    QMap<int, int> entries;
    QMap<QString, int> words;
    for (int page = 0; page < pages.size(); ++page) {
        const QString where = QStringLiteral("page %1: ").arg(page + 1);
        QStringList lines = pages[page].split(QLatin1Char('\n'));
        while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
            lines.removeLast();
        if (lines.isEmpty() || lines.last().trimmed() != footer)
            return where + QStringLiteral("the last line is not the footer alone: ") + lines.value(lines.size() - 1);
        QSet<int> begun;
        QSet<int> ended;
        for (auto it = marks.globalMatch(pages[page]); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            const int row = match.captured(2).toInt();
            if (match.captured(1) == QLatin1String("entry")) {
                begun.insert(row);
                ++entries[row];
            } else {
                ended.insert(row);
            }
        }
        if (begun != ended) {
            QStringList cut;
            for (int row : (begun - ended) + (ended - begun))
                cut.append(entry(row));
            return where + QStringLiteral("rows not whole on this page: ") + cut.join(QLatin1Char(' '));
        }
        for (const QString& token : pages[page].split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
            ++words[token];
    }
    for (int row = 0; row < rows; ++row) {
        if (entries.value(row) != 1)
            return QStringLiteral("%1 printed %2 times").arg(entry(row)).arg(entries.value(row));
    }
    if (entries.size() != rows)
        return QStringLiteral("%1 rows printed, not %2").arg(entries.size()).arg(rows);
    const int longNotes = (rows + 2) / 3;
    for (const QString& word : longNoteWords()) {
        if (words.value(word) != longNotes)
            return QStringLiteral("\"%1\" printed whole %2 times, not %3").arg(word).arg(words.value(word)).arg(longNotes);
    }
    return {};
}

} // namespace PrintedListCheck
