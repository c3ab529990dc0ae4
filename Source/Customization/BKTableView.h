#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QTableView>

#include <functional>

// The list view's table: columns can be hidden and shown again (a shown column comes back
// last), and typing selects the first row whose text in the search column begins with what
// was typed within the last second.
class BKTableView : public QTableView {
    Q_OBJECT
public:
    // Header data role holding a column's identifier ("0" .. "14"); without it the logical
    // index is the identifier.
    static constexpr int kColumnIdentifierRole = Qt::UserRole + 100;
    // The field-1 column: the search column when the sort column cannot be searched.
    static inline const QString kFallbackSearchColumn = QStringLiteral("3");
    static constexpr qint64 kTypingIntervalMs = 1000;

    explicit BKTableView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // Logical column numbers.
    QList<int> defaultTableColumns() const { return mDefaultTableColumns_; }
    QList<int> hiddenTableColumns() const { return mHiddenTableColumns_; }
    void hideTableColumn(int column);
    void showTableColumn(int column);
    bool tableColumnIsHidden(int column) const;
    // The first hidden column with that identifier, or -1.
    int hiddenTableColumnWithIdentifier(const QString& identifier) const;
    // The column's place among the visible columns, or -1 when it is hidden or unknown.
    int indexOfTableColumn(int column) const;
    QString identifierOfColumn(int column) const;
    // The logical column with that identifier, or -1.
    int columnWithIdentifier(const QString& identifier) const;

    QColor rowColor() const { return mRowColor_; }
    void setRowColor(const QColor& color) { mRowColor_ = color; }

    // Milliseconds of a monotonic clock; tests set their own.
    void setClock(std::function<qint64()> clock);
    QString typedString() const { return mTypedString_; }
    // The column that typing searches now.
    int searchColumn() const;

    // Qt's own type-ahead is replaced by the one above.
    void keyboardSearch(const QString& search) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // A right click leaves a multiple selection to the context menu, which adds the row to it.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void selectTypedRow();
    bool isTextColumn(int column) const;

    QList<int> mDefaultTableColumns_;
    QList<int> mHiddenTableColumns_;
    QColor mRowColor_;
    QString mTypedString_;
    qint64 mTimeStamp_ = 0;
    bool mHasTyped_ = false;
    std::function<qint64()> mClock_;
};
