#pragma once

#include <QPlainTextEdit>

// A plain text field that takes data without any format (an X11 clipboard or selection that
// nobody owns, or whose owner offers nothing) as nothing to insert: Qt 6.4's own insertion
// reads the first format of the data unchecked, and a paste from an empty clipboard crashes.
class BKPlainTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
