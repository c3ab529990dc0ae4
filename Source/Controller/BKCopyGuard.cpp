#include "BKCopyGuard.h"

#include "Customization/BKOwnClipboard.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextDocumentFragment>
#include <QTextEdit>

namespace {

// The object names Qt gives the copying items of a text field's own context menu.
const QString kCopyItem = QStringLiteral("edit-copy");
const QString kCutItem = QStringLiteral("edit-cut");
const QString kLinkCopyItem = QStringLiteral("link-copy");

// Which copying item `item` is (one of the names above, else empty). A line edit's items carry
// no name: they are known by their title.
QString copyingItemName(const QAction* item)
{
    const QString name = item->objectName();
    if (!name.isEmpty())
        return name == kCopyItem || name == kCutItem || name == kLinkCopyItem ? name : QString();
    const QString title = item->text().section(QLatin1Char('\t'), 0, 0);
    if (title == QCoreApplication::translate("QLineEdit", "&Copy"))
        return kCopyItem;
    if (title == QCoreApplication::translate("QLineEdit", "Cu&t"))
        return kCutItem;
    return QString();
}

// The scrolling text views take their mouse and menu events in their viewport.
QWidget* viewportOf(QWidget* widget)
{
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
        return plain->viewport();
    if (auto* text = qobject_cast<QTextEdit*>(widget))
        return text->viewport();
    return nullptr;
}

// Whether `pos` (viewport coordinates) lies in the selected text of a scrolling text view.
template <typename Edit>
bool pressIsInSelection(const Edit* edit, const QPoint& pos)
{
    const QTextCursor cursor = edit->textCursor();
    const int at = edit->cursorForPosition(pos).position();
    return cursor.hasSelection() && at >= cursor.selectionStart() && at <= cursor.selectionEnd();
}

template <typename Edit>
void clearSelection(Edit* edit)
{
    QTextCursor cursor = edit->textCursor();
    cursor.clearSelection();
    edit->setTextCursor(cursor);
}

template <typename Edit>
void removeSelection(Edit* edit)
{
    QTextCursor cursor = edit->textCursor();
    cursor.removeSelectedText();
    edit->setTextCursor(cursor);
}

} // namespace

void BKCopyGuard::guard(QWidget* widget, Permission mayCopy, std::function<void()> copy)
{
    if (widget && !of(widget))
        new BKCopyGuard(widget, std::move(mayCopy), std::move(copy));
}

BKCopyGuard::BKCopyGuard(QWidget* widget, Permission mayCopy, std::function<void()> copy)
    : QObject(widget), widget_(widget), mayCopy_(std::move(mayCopy)), copy_(std::move(copy))
{
    widget->installEventFilter(this);
    if (QWidget* viewport = viewportOf(widget))
        viewport->installEventFilter(this);
    if (isTextField()) {
        // X11 takes selected text as the selection as soon as it is selected: it is given back at
        // once, though not while the clipboard is still taking it (that would free its data).
        connect(QGuiApplication::clipboard(), &QClipboard::selectionChanged, this,
                &BKCopyGuard::dropSelectionHandedToX11, Qt::QueuedConnection);
    }
}

BKCopyGuard* BKCopyGuard::of(QWidget* widget)
{
    return widget ? widget->findChild<BKCopyGuard*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void BKCopyGuard::copy(QWidget* field)
{
    if (BKCopyGuard* guard = of(field)) {
        if (guard->mayCopy())
            guard->copySelection();
    } else if (field) {
        QMetaObject::invokeMethod(field, "copy");
    }
}

void BKCopyGuard::cut(QWidget* field)
{
    if (BKCopyGuard* guard = of(field)) {
        if (guard->mayCopy())
            guard->cutSelection();
    } else if (field) {
        QMetaObject::invokeMethod(field, "cut");
    }
}

bool BKCopyGuard::isTextField() const
{
    return qobject_cast<QLineEdit*>(widget_) || qobject_cast<QPlainTextEdit*>(widget_) ||
           qobject_cast<QTextEdit*>(widget_);
}

// What the field's own copy would take: a password field gives nothing.
QString BKCopyGuard::selectedText() const
{
    if (auto* line = qobject_cast<QLineEdit*>(widget_))
        return line->echoMode() == QLineEdit::Normal ? line->selectedText() : QString();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget_))
        return plain->textCursor().selection().toPlainText();
    if (auto* text = qobject_cast<QTextEdit*>(widget_))
        return text->textCursor().selection().toPlainText();
    return QString();
}

void BKCopyGuard::copySelection()
{
    const QString text = selectedText();
    if (!text.isEmpty())
        BKCopyToClipboard(text);
}

void BKCopyGuard::cutSelection()
{
    if (selectedText().isEmpty())
        return;
    if (auto* line = qobject_cast<QLineEdit*>(widget_)) {
        if (line->isReadOnly())
            return;
        copySelection();
        line->del();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget_)) {
        if (plain->isReadOnly())
            return;
        copySelection();
        removeSelection(plain);
    } else if (auto* text = qobject_cast<QTextEdit*>(widget_)) {
        if (text->isReadOnly())
            return;
        copySelection();
        removeSelection(text);
    }
}

bool BKCopyGuard::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (watched != widget_)
            break;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            if (mayCopy() && isTextField())
                copySelection();
            else if (mayCopy() && copy_)
                copy_();
            return true;
        }
        if (key->matches(QKeySequence::Cut) && isTextField()) {
            if (mayCopy())
                cutSelection();
            return true;
        }
        break;
    }
    case QEvent::ContextMenu: {
        if (!isTextField() || widget_->contextMenuPolicy() != Qt::DefaultContextMenu)
            break;
        auto* menu = static_cast<QContextMenuEvent*>(event);
        return showContextMenu(menu->globalPos(), menu->pos());
    }
    case QEvent::MouseButtonPress: {
        // A press in the selected text would start dragging it out of the window.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched != widget_ && mouse->button() == Qt::LeftButton && !mayCopy()
            && startsDragOfSelection(mouse->position().toPoint())) {
            if (auto* plain = qobject_cast<QPlainTextEdit*>(widget_))
                clearSelection(plain);
            else if (auto* text = qobject_cast<QTextEdit*>(widget_))
                clearSelection(text);
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// The field's own menu, with its Copy and Cut made ours: refused, they show disabled.
bool BKCopyGuard::showContextMenu(const QPoint& globalPos, const QPoint& pos)
{
    QMenu* menu = nullptr;
    if (auto* line = qobject_cast<QLineEdit*>(widget_))
        menu = line->createStandardContextMenu();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget_))
        menu = plain->createStandardContextMenu(pos);
    else if (auto* text = qobject_cast<QTextEdit*>(widget_))
        menu = text->createStandardContextMenu(pos);
    if (!menu)
        return false;
    const bool allowed = mayCopy();
    for (QAction* item : menu->actions()) {
        const QString name = copyingItemName(item);
        if (name.isEmpty())
            continue;
        if (name == kLinkCopyItem) {
            item->setEnabled(allowed && item->isEnabled());
            continue;
        }
        auto* own = new QAction(item->icon(), item->text(), menu);
        own->setObjectName(name);
        own->setEnabled(allowed && item->isEnabled());
        const bool cut = name == kCutItem;
        connect(own, &QAction::triggered, this, [this, cut] {
            if (!mayCopy())
                return;
            cut ? cutSelection() : copySelection();
        });
        menu->insertAction(item, own);
        delete item;
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
    return true;
}

bool BKCopyGuard::startsDragOfSelection(const QPoint& pos) const
{
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget_))
        return pressIsInSelection(plain, pos);
    if (auto* text = qobject_cast<QTextEdit*>(widget_))
        return pressIsInSelection(text, pos);
    return false;
}

void BKCopyGuard::dropSelectionHandedToX11()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (mayCopy() || !clipboard->ownsSelection())
        return;
    QString text;
    if (auto* line = qobject_cast<QLineEdit*>(widget_))
        text = line->selectedText();
    else
        text = selectedText();
    if (!text.isEmpty() && clipboard->text(QClipboard::Selection) == text)
        clipboard->clear(QClipboard::Selection);
}
