#include "BKPlainTextEdit.h"

#include <QMimeData>

namespace {

bool holdsData(const QMimeData* source)
{
    return source && !source->formats().isEmpty();
}

} // namespace

bool BKPlainTextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return holdsData(source) && QPlainTextEdit::canInsertFromMimeData(source);
}

void BKPlainTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (holdsData(source))
        QPlainTextEdit::insertFromMimeData(source);
}
