#include "BKOwnClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

namespace {

// The clipboard deletes the data it was given once something else is copied.
QPointer<QMimeData>& ownCopy()
{
    static QPointer<QMimeData> data;
    return data;
}

} // namespace

void BKCopyToClipboard(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    // Known as ours before the clipboard tells of the change.
    ownCopy() = data;
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

bool BKClipboardHoldsOwnCopy()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QPointer<QMimeData>& own = ownCopy();
    return (own && clipboard->mimeData(QClipboard::Clipboard) == own.data()) || clipboard->ownsClipboard();
}
