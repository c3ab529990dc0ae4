#include "BKPermissionGrid.h"

#include <QCheckBox>
#include <QGridLayout>

BKPermissionGrid::BKPermissionGrid(int rows, int columns, const QStringList& labels, QWidget* parent)
    : QWidget(parent), columns_(columns)
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            auto* box = new QCheckBox(labels.value(r * columns + c), this);
            connect(box, &QCheckBox::clicked, this, &BKPermissionGrid::cellClicked);
            layout->addWidget(box, r, c);
            cells_.append(box);
        }
    }
}

void BKPermissionGrid::setWord(quint16 word)
{
    for (int bit = 0; bit < cells_.size(); ++bit)
        cells_[bit]->setChecked((word >> bit) & 1);
}

quint16 BKPermissionGrid::word() const
{
    quint16 word = 0;
    for (int bit = 0; bit < cells_.size(); ++bit) {
        if (cells_[bit]->isChecked())
            word |= quint16(1u << bit);
    }
    return word;
}
