#pragma once

// A grid of check boxes that edits one permission word: the box in row r, column c is bit
// r x columns + c.

#include <QList>
#include <QStringList>
#include <QWidget>

class QCheckBox;

class BKPermissionGrid : public QWidget {
    Q_OBJECT
public:
    // One label per box, row by row.
    BKPermissionGrid(int rows, int columns, const QStringList& labels, QWidget* parent = nullptr);

    void setWord(quint16 word);
    quint16 word() const;
    // Every bit the grid has.
    quint16 fullWord() const { return quint16((1u << cells_.size()) - 1); }
    QCheckBox* cell(int row, int column) const { return cells_.at(row * columns_ + column); }

signals:
    // The user clicked a box.
    void cellClicked();

private:
    int columns_;
    QList<QCheckBox*> cells_;
};
