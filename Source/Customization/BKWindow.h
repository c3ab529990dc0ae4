#pragma once

#include <QMainWindow>

#include <functional>

class QShortcut;

// The main window: Ctrl+F jumps to the search field (through the handler its controller
// sets). No menu item may take Ctrl+F as well, or neither would fire.
class BKWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit BKWindow(QWidget* parent = nullptr);

    void setFocusSearchField(std::function<void()> focusSearchField);
    QShortcut* searchShortcut() const { return mSearchShortcut_; }

private:
    QShortcut* mSearchShortcut_ = nullptr;
    std::function<void()> mFocusSearchField_;
};

// A toolbar item's view: draws nothing, and a drag on it moves the window.
class BKToolBarCustomView : public QWidget {
    Q_OBJECT
public:
    explicit BKToolBarCustomView(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
