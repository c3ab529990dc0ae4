#include "BKMainWindowLayout.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/Database_Engine/OTVPreferenceCodecs.h"
#include "Platform/BKUserDefaults.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <numeric>

std::pair<int, int> BKConstrainDivider(BKSplitKind kind, int extent, int dividerThickness, int proposedMin,
                                       int proposedMax)
{
    switch (kind) {
    case BKSplitKind::Main:
        return {std::max(int(std::lround(0.30 * extent)), proposedMin),
                std::min(int(std::lround(0.70 * extent)), proposedMax)};
    case BKSplitKind::Sub:
        return {std::max(int(std::lround(0.20 * extent)), proposedMin),
                std::min(int(std::lround(0.55 * extent)), proposedMax)};
    case BKSplitKind::SmartType:
        return {std::max(int(std::lround(0.5 * extent)), proposedMin),
                std::min(extent - (dividerThickness + kSmartListMinimumHeight), proposedMax)};
    case BKSplitKind::Other:
        break;
    }
    return {proposedMin, proposedMax};
}

QList<int> BKSizesKeepingSmartList(const QList<int>& sizes)
{
    if (sizes.size() < 2 || sizes[1] >= kSmartListMinimumHeight)
        return sizes;
    QList<int> kept = sizes;
    kept[0] = sizes[0] + sizes[1] - kSmartListMinimumHeight;
    kept[1] = kSmartListMinimumHeight;
    return kept;
}

QList<int> BKSizesShowingDetailsPane(const QList<int>& kept, int extent, int handle)
{
    // The panes share what the kept sizes shared, when there are any.
    const bool hasKept = kept.size() == 2 && kept[0] > 0 && kept[1] > 0;
    const int panes = hasKept ? kept[0] + kept[1] : std::max(0, extent - handle);
    const int keptWidth = hasKept ? kept[1] : 0;
    const int width = keptWidth > 0 ? keptWidth : int(std::lround(panes * kDetailsPaneDefaultShare));
    const auto [low, high] = BKConstrainDivider(BKSplitKind::Main, extent, handle, 0, panes);
    const int divider = low > high ? panes - width : std::clamp(panes - width, low, high);
    return {divider, panes - divider};
}

QList<int> BKWidthsFillingExtent(const QList<int>& widths, const QList<bool>& growable, int extent)
{
    int total = 0;
    int growing = 0;
    for (qsizetype column = 0; column < widths.size(); ++column) {
        total += widths[column];
        if (growable.value(column) && widths[column] > 0)
            growing += widths[column];
    }
    const int room = extent - total;
    if (room <= 0 || growing <= 0)
        return widths;
    QList<int> filled = widths;
    int given = 0;
    qsizetype last = -1;
    for (qsizetype column = 0; column < widths.size(); ++column) {
        if (!growable.value(column) || widths[column] <= 0)
            continue;
        const int share = int(qint64(room) * widths[column] / growing);
        filled[column] += share;
        given += share;
        last = column;
    }
    filled[last] += room - given;   // what the rounding left
    return filled;
}

namespace {

class BKSplitterHandle : public QSplitterHandle {
public:
    BKSplitterHandle(Qt::Orientation orientation, BKSplitter* parent) : QSplitterHandle(orientation, parent) {}

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            pressOffset_ = pick(event->position().toPoint());
        QSplitterHandle::mousePressEvent(event);
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!(event->buttons() & Qt::LeftButton))
            return;
        auto* splitter = static_cast<BKSplitter*>(this->splitter());
        const int index = splitter->indexOf(this);
        const int proposed = pick(parentWidget()->mapFromGlobal(event->globalPosition().toPoint())) - pressOffset_;
        splitter->dragDivider(index, proposed);
    }

private:
    int pick(const QPoint& point) const { return orientation() == Qt::Horizontal ? point.x() : point.y(); }
    int pressOffset_ = 0;
};

} // namespace

BKSplitter::BKSplitter(Qt::Orientation orientation, BKSplitKind kind, QWidget* parent)
    : QSplitter(orientation, parent), kind_(kind)
{
    setChildrenCollapsible(false);
}

int BKSplitter::constrainedPosition(int proposed, int index) const
{
    int proposedMin = 0;
    int proposedMax = 0;
    getRange(index, &proposedMin, &proposedMax);
    const int extent = orientation() == Qt::Horizontal ? width() : height();
    const auto [low, high] = BKConstrainDivider(kind_, extent, handleWidth(), proposedMin, proposedMax);
    if (low > high)
        return std::clamp(proposed, proposedMin, proposedMax);
    return std::clamp(proposed, low, high);
}

void BKSplitter::dragDivider(int index, int position)
{
    moveSplitter(constrainedPosition(position, index), index);
}

QSplitterHandle* BKSplitter::createHandle()
{
    return new BKSplitterHandle(orientation(), this);
}

QStringList BKSplitLayoutRectangles(const QSplitter& splitter)
{
    QStringList rectangles;
    const QList<int> sizes = splitter.sizes();
    for (int i = 0; i < splitter.count(); ++i) {
        const QWidget* pane = splitter.widget(i);
        const bool collapsed = i < sizes.size() && sizes[i] == 0;
        rectangles.append(OTVStringFromRect(collapsed || pane->isHidden() ? QRectF() : QRectF(pane->geometry())));
    }
    return rectangles;
}

void BKApplySplitLayout(QSplitter& splitter, const QStringList& rectangles)
{
    QList<int> sizes = splitter.sizes();
    const int count = std::min<int>(int(rectangles.size()), int(sizes.size()));
    for (int i = 0; i < count; ++i) {
        const QRectF rect = OTVRectFromString(rectangles[i]);
        if (rect.width() <= 0 || rect.height() <= 0)
            sizes[i] = 0;
        else
            sizes[i] = int(std::lround(splitter.orientation() == Qt::Horizontal ? rect.width() : rect.height()));
    }
    // Panes without a text keep their size; the last of them takes up the difference, so that
    // the splitter does not scale every pane to fit.
    if (count < sizes.size()) {
        const QList<int> before = splitter.sizes();
        const int difference = std::accumulate(before.begin(), before.end(), 0) -
                               std::accumulate(sizes.begin(), sizes.end(), 0);
        sizes.last() = std::max(0, sizes.last() + difference);
    }
    // A collapsed pane must be allowed to collapse.
    for (int i = 0; i < count; ++i) {
        if (sizes[i] == 0)
            splitter.setCollapsible(i, true);
    }
    splitter.setSizes(sizes);
}

void BKSaveLayoutPreferenceWithName(const QSplitter& splitter, const QString& key, OTVDataBase& store)
{
    store.saveSplitViewInformation(BKSplitLayoutRectangles(splitter), key);
}

void BKRestoreLayoutPreferenceFromName(QSplitter& splitter, const QString& key)
{
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    if (!defaults.hasKey(key))
        return;
    const QStringList rectangles = defaults.objectForKey(key).toStringList();
    if (rectangles.isEmpty())
        return;
    BKApplySplitLayout(splitter, rectangles);
}
