#include "BKController.h"

#include "BKMainWindowViews.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Platform/BKLocalization.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

const QString kMainToolBarIdentifier = QStringLiteral("MainToolBar");
const QString kSearchToolBarIdentifier = QStringLiteral("SearchToolBar");
const QString kToolbarCategories = QStringLiteral("Toolbar Categories");
const QString kToolbarType = QStringLiteral("Types");
const QString kToolbarViewsType = QStringLiteral("Different Views type");
const QString kToolbarOptions = QStringLiteral("Options toolbar");
const QString kToolbarSearch = QStringLiteral("Search bar");

// A toolbar item: its custom view at the size it has now, neither growing nor shrinking.
QWidget* item(const QString& identifier, QWidget* view, const QString& toolTip)
{
    view->setObjectName(identifier);
    view->setToolTip(toolTip);
    view->adjustSize();
    view->setFixedSize(view->sizeHint());
    return view;
}

// Not customisable: it cannot be moved, floated or hidden, and has no context menu.
QToolBar* newToolBar(QMainWindow* window, const QString& identifier)
{
    auto* toolbar = new QToolBar(window);
    toolbar->setObjectName(identifier);
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->toggleViewAction()->setVisible(false);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setIconSize(QSize(16, 16));
    return toolbar;
}

QWidget* wrapped(QWidget* control)
{
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(control);
    return box;
}

} // namespace

void BKController::setupToolbarForWindow(QMainWindow* window)
{
    if (!window)
        return;
    if (auto* existing = window->findChild<QToolBar*>(kMainToolBarIdentifier, Qt::FindDirectChildrenOnly)) {
        mMainToolBar_ = existing;
        return;
    }
    buildMainWindowViews();
    QToolBar* toolbar = newToolBar(window, kMainToolBarIdentifier);

    toolbar->addWidget(item(kToolbarCategories, wrapped(mViews_->categoriesPopup()), BKLocalizedString("Groups")));

    // The type pop-up or, while a view switch has hidden it, an empty placeholder of its size.
    auto* types = new QStackedWidget;
    types->addWidget(mViews_->typesPopup());
    auto* placeholder = new QWidget;
    placeholder->setObjectName(QStringLiteral("mToolbarTypesViewDummy"));
    types->addWidget(placeholder);
    toolbar->addWidget(item(kToolbarType, types, BKLocalizedString("Types")));
    const auto showTypes = [types](bool hidden) {
        types->setCurrentIndex(hidden ? 1 : 0);
        types->setToolTip(hidden ? QString() : BKLocalizedString("Types"));
    };
    showTypes(mViews_->typesViewHidden());
    connect(mViews_, &BKMainWindowViews::typesViewVisibilityChanged, types, showTypes);

    toolbar->addWidget(item(kToolbarViewsType, wrapped(mViews_->viewsSelectionControl()), QString()));

    auto* options = new QWidget;
    auto* optionsLayout = new QHBoxLayout(options);
    optionsLayout->setContentsMargins(0, 0, 0, 0);
    optionsLayout->setSpacing(2);
    for (const auto& [name, text, tip] : {std::tuple{"mToolbarOptionButton", "Options", "Option"},
                                          std::tuple{"mToolbarLockButton", "Lock", "Lock"}}) {
        auto* button = new QToolButton(options);
        button->setObjectName(QLatin1String(name));
        button->setText(BKLocalizedString(text));
        button->setToolTip(BKLocalizedString(tip));
        optionsLayout->addWidget(button);
    }
    connect(options->findChild<QToolButton*>(QStringLiteral("mToolbarOptionButton")), &QToolButton::clicked, this,
            &BKController::displayOptionsPanel);
    toolbar->addWidget(item(kToolbarOptions, options, QString()));
    connect(options->findChild<QToolButton*>(QStringLiteral("mToolbarLockButton")), &QToolButton::clicked, this,
            &BKController::displayLockPanel);

    window->addToolBar(Qt::TopToolBarArea, toolbar);
    mMainToolBar_ = toolbar;

    // The search goes on a toolbar of its own beside the first, which never gives it up: on a
    // narrow window the first one's items go to its overflow menu, the search stays in sight.
    QToolBar* search = newToolBar(window, kSearchToolBarIdentifier);
    auto* space = new QWidget;
    space->setObjectName(QStringLiteral("FlexibleSpace"));
    space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    search->addWidget(space);
    search->addWidget(item(kToolbarSearch, wrapped(mViews_->searchField()), BKLocalizedString("Search")));
    search->setMinimumWidth(search->sizeHint().width());
    window->addToolBar(Qt::TopToolBarArea, search);
}

void BKController::selectTabView(int tag)
{
    buildMainWindowViews();
    mViews_->setTypesViewHidden(true);
    changeView(tag);
}
