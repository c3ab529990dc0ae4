#pragma once

// The main window's split views: their divider limits, the layouts kept per split view in the
// user defaults (one "{{x, y}, {w, h}}" text per pane, the zero rectangle for a collapsed pane)
// and the rule that keeps the smart list readable when the window is resized; the list's columns
// that fill its width.

#include <QList>
#include <QSplitter>
#include <QSplitterHandle>
#include <QStringList>

#include <utility>

class OTVDataBase;

// The smart list keeps at least this height (in points) under the types table.
constexpr int kSmartListMinimumHeight = 92;

enum class BKSplitKind {
    Main,        // the record views beside the details pane: 30 % .. 70 % of the width
    Sub,         // the column view's lists beside its record table: 20 % .. 55 % of the width
    SmartType,   // the types table over the smart list: half the height .. height - (divider + 92)
    Other,       // not constrained
};

// The range the divider may take, from the platform's proposed range and the split view's extent
// along its divider (width for side-by-side panes, height for stacked ones).
std::pair<int, int> BKConstrainDivider(BKSplitKind kind, int extent, int dividerThickness, int proposedMin,
                                       int proposedMax);

// Pane sizes after a window resize: a smart list below kSmartListMinimumHeight gets that height and
// the types table above gives up the difference; the total stays. Other sizes are returned as they
// are.
QList<int> BKSizesKeepingSmartList(const QList<int>& sizes);

// The record views' share of the main split view when the details pane has no width of its own.
constexpr double kDetailsPaneDefaultShare = 0.35;

// Sizes of the main split view (record views, details pane) that bring the pane back: at its
// kept width (the pane's entry of `kept`) when it had one, else at the default share; either way
// within the divider's limits, so that a pane collapsed or squeezed by a stored layout shows.
// `extent` is the split view's width, `handle` its divider's.
QList<int> BKSizesShowingDetailsPane(const QList<int>& kept, int extent, int handle);

// Column widths that fill `extent` when the columns leave room: the columns that may grow share
// the room in proportion to their widths (the sum is then `extent`); otherwise the widths stay.
QList<int> BKWidthsFillingExtent(const QList<int>& widths, const QList<bool>& growable, int extent);

// A splitter whose divider drags keep to the limits of its kind.
class BKSplitter : public QSplitter {
    Q_OBJECT
public:
    BKSplitter(Qt::Orientation orientation, BKSplitKind kind, QWidget* parent = nullptr);

    BKSplitKind kind() const { return kind_; }
    // The divider position after clamping a proposed one to the limits.
    int constrainedPosition(int proposed, int index) const;
    // Moves divider `index` as a drag to `position` would.
    void dragDivider(int index, int position);

protected:
    QSplitterHandle* createHandle() override;

private:
    BKSplitKind kind_;
};

// The layout of a splitter as rectangle texts, one per pane, the zero rectangle for a collapsed
// pane.
QStringList BKSplitLayoutRectangles(const QSplitter& splitter);
// Applies a stored layout: pane i < min(count, panes) collapses for an empty rectangle (width or
// height not above 0) and otherwise takes the rectangle's width (side by side) or height
// (stacked); the other panes keep their sizes; texts beyond the panes are ignored.
void BKApplySplitLayout(QSplitter& splitter, const QStringList& rectangles);

// Keeps the layout through the store (the user defaults under `key`; the main one also gives the
// user's detail-pane width) and puts it back; no stored layout changes nothing.
void BKSaveLayoutPreferenceWithName(const QSplitter& splitter, const QString& key, OTVDataBase& store);
void BKRestoreLayoutPreferenceFromName(QSplitter& splitter, const QString& key);
