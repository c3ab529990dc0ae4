#include "BKTableView.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

bool leavesSelectionToContextMenu(const QAbstractItemView& view, const QMouseEvent& event)
{
    return event.button() == Qt::RightButton && (view.selectionMode() == QAbstractItemView::ExtendedSelection ||
                                                  view.selectionMode() == QAbstractItemView::MultiSelection);
}

} // namespace

BKTableView::BKTableView(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Tab moves the focus on, as in the rest of the window, instead of from cell to cell.
    setTabKeyNavigation(false);
    setClock({});
}

void BKTableView::setClock(std::function<qint64()> clock)
{
    if (clock) {
        mClock_ = std::move(clock);
        return;
    }
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    mClock_ = [timer] { return timer->elapsed(); };
}

void BKTableView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    mDefaultTableColumns_.clear();
    mHiddenTableColumns_.clear();
    if (model)
        for (int column = 0; column < model->columnCount(); ++column)
            mDefaultTableColumns_.append(column);
}

void BKTableView::hideTableColumn(int column)
{
    if (column < 0 || !model() || column >= model()->columnCount() || tableColumnIsHidden(column))
        return;
    mHiddenTableColumns_.append(column);
    horizontalHeader()->hideSection(column);
}

void BKTableView::showTableColumn(int column)
{
    if (!tableColumnIsHidden(column))
        return;
    mHiddenTableColumns_.removeAll(column);
    QHeaderView* header = horizontalHeader();
    header->showSection(column);
    header->moveSection(header->visualIndex(column), header->count() - 1);
}

bool BKTableView::tableColumnIsHidden(int column) const
{
    return mHiddenTableColumns_.contains(column);
}

int BKTableView::hiddenTableColumnWithIdentifier(const QString& identifier) const
{
    for (int column : mHiddenTableColumns_)
        if (identifierOfColumn(column) == identifier)
            return column;
    return -1;
}

int BKTableView::indexOfTableColumn(int column) const
{
    if (!model() || column < 0 || column >= model()->columnCount() || horizontalHeader()->isSectionHidden(column))
        return -1;
    const QHeaderView* header = horizontalHeader();
    const int visual = header->visualIndex(column);
    int index = 0;
    for (int place = 0; place < visual; ++place)
        if (!header->isSectionHidden(header->logicalIndex(place)))
            ++index;
    return index;
}

QString BKTableView::identifierOfColumn(int column) const
{
    if (!model() || column < 0 || column >= model()->columnCount())
        return {};
    const QVariant identifier = model()->headerData(column, Qt::Horizontal, kColumnIdentifierRole);
    return identifier.isValid() ? identifier.toString() : QString::number(column);
}

int BKTableView::columnWithIdentifier(const QString& identifier) const
{
    if (!model())
        return -1;
    for (int column = 0; column < model()->columnCount(); ++column)
        if (identifierOfColumn(column) == identifier)
            return column;
    return -1;
}

void BKTableView::mousePressEvent(QMouseEvent* event)
{
    if (!leavesSelectionToContextMenu(*this, *event)) {
        QTableView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void BKTableView::mouseReleaseEvent(QMouseEvent* event)
{
    if (leavesSelectionToContextMenu(*this, *event))
        event->accept();
    else
        QTableView::mouseReleaseEvent(event);
}

void BKTableView::keyboardSearch(const QString&)
{
}

bool BKTableView::isTextColumn(int column) const
{
    if (!model() || column < 0 || column >= model()->columnCount() || horizontalHeader()->isSectionHidden(column))
        return false;
    for (int row = 0; row < model()->rowCount(); ++row) {
        const QVariant value = model()->index(row, column).data(Qt::DisplayRole);
        if (value.isValid())
            return value.userType() == QMetaType::QString;
    }
    return true;
}

int BKTableView::searchColumn() const
{
    const QHeaderView* header = horizontalHeader();
    if (header->isSortIndicatorShown() && isTextColumn(header->sortIndicatorSection()))
        return header->sortIndicatorSection();
    // Without a sort column that holds text, the list's default order: field 1.
    return columnWithIdentifier(kFallbackSearchColumn);
}

void BKTableView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:       // normally taken by the focus chain before it gets here
    case Qt::Key_Backtab:
        QTableView::keyPressEvent(event);
        return;
    default:
        break;
    }
    const Qt::KeyboardModifiers commandKeys = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (event->text().isEmpty() || !event->text().at(0).isPrint() || (event->modifiers() & commandKeys)) {
        QTableView::keyPressEvent(event);
        return;
    }

    const qint64 now = mClock_();
    if (!mHasTyped_ || now - mTimeStamp_ > kTypingIntervalMs)
        mTypedString_.clear();
    mHasTyped_ = true;
    mTimeStamp_ = now;
    mTypedString_ += event->text();
    selectTypedRow();
    event->accept();
}

void BKTableView::selectTypedRow()
{
    if (!model() || !selectionModel())
        return;
    const int column = searchColumn();
    const QString typed = mTypedString_.toLower();
    int match = -1;
    if (column >= 0) {
        for (int row = 0; row < model()->rowCount() && match < 0; ++row) {
            const QVariant value = model()->index(row, column).data(Qt::DisplayRole);
            if (value.userType() == QMetaType::QString && value.toString().toLower().startsWith(typed))
                match = row;
        }
    }
    if (match < 0) {
        const QModelIndexList selected = selectionModel()->selectedRows();
        const QModelIndex current = currentIndex();
        if (current.isValid() && selectionModel()->isRowSelected(current.row(), current.parent()))
            match = current.row();
        else if (!selected.isEmpty())
            match = selected.last().row();
    }
    if (match < 0) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model()->index(match, std::max(column, 0));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}
