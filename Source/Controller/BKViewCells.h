#pragma once

// The cell drawing of the record views, chosen in one place: an image beside a text with a count
// at the right (types, smart lists, tree), and an image alone (the list's icon, notes and
// attachment columns).

#include <Qt>

class QAbstractItemDelegate;
class QObject;

QAbstractItemDelegate* BKMakeImageAndTextDelegate(QObject* parent);
QAbstractItemDelegate* BKMakeImageDelegate(Qt::Alignment alignment, QObject* parent);
