#pragma once

// The Copy right over the widgets that show vault values. Without it nothing they show leaves
// for the clipboard or the X selection: not by the copy and cut keys (Ctrl+C, Ctrl+Insert,
// Ctrl+X, Shift+Delete), not by a text field's own context menu, not by the selection that
// selecting text hands to X11 (middle-click paste), not by dragging selected text out. With it,
// a copy is the application's own (BKCopyToClipboard), so that the clipboard clearing covers it
// on every platform.

#include <QObject>

#include <functional>

class QWidget;

class BKCopyGuard : public QObject {
    Q_OBJECT
public:
    using Permission = std::function<bool()>;

    // Guards `widget` for its lifetime: a QLineEdit, QPlainTextEdit or QTextEdit copies its
    // selected text; any other widget (a record view) runs `copy` on the copy key instead of its
    // own copy, and nothing on the cut key.
    static void guard(QWidget* widget, Permission mayCopy, std::function<void()> copy = {});

    // The Edit menu's Copy and Cut on a text field: under the field's guard when it has one.
    static void copy(QWidget* field);
    static void cut(QWidget* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BKCopyGuard(QWidget* widget, Permission mayCopy, std::function<void()> copy);
    static BKCopyGuard* of(QWidget* widget);
    bool mayCopy() const { return !mayCopy_ || mayCopy_(); }
    bool isTextField() const;
    QString selectedText() const;
    void copySelection();
    void cutSelection();
    bool showContextMenu(const QPoint& globalPos, const QPoint& pos);
    bool startsDragOfSelection(const QPoint& pos) const;
    void dropSelectionHandedToX11();

    QWidget* widget_;
    Permission mayCopy_;
    std::function<void()> copy_;
};
