#include "BKOptionsWindowController.h"

#include "BKController.h"
#include "BKDialogButtons.h"

#include "Model/OTVStatusMessages.h"
#include "Model/OTVType.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKLoginItems.h"
#include "Platform/BKNotificationCenter.h"
#include "Platform/BKUserDefaults.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kSecurityToolbarItemIdentifier = QStringLiteral("Security");
const QString kUserInfoToolbarItemIdentifier = QStringLiteral("User Data");
const QString kFormatToolbarItemIdentifier = QStringLiteral("Format");
const QString kShowColumnsToolbarItemIdentifier = QStringLiteral("Show Columns");

const char* const kColumnTitles[BKOptionsWindowController::kShowColumnCount] = {
    "Type",    "Group",   "Field 1", "Field 2",  "Field 3", "Field 4", "Field 5",
    "Field 6", "Field 7", "Field 8", "Field 9", "Field 10", "Notes",   "Attachment"};

QPixmap swatch(const QColor& color)
{
    QPixmap pixmap(40, 16);
    pixmap.fill(color);
    return pixmap;
}

} // namespace

// The minutes choice: its title holds the minutes ("After 05     Minutes") and its stepper, a
// spin box that shows only its arrows, sits in the blanks before "Minutes", so the number is
// read once, in the title.
class BKMinutesChoice : public QRadioButton {
public:
    BKMinutesChoice(QSpinBox* stepper, QWidget* parent) : QRadioButton(parent), stepper_(stepper)
    {
        stepper_->setParent(this);
        if (auto* editor = stepper_->findChild<QLineEdit*>())
            editor->hide();
        stepper_->setAlignment(Qt::AlignCenter);
    }

    void setTitle(const QString& title)
    {
        setText(title);
        placeStepper();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QRadioButton::resizeEvent(event);
        placeStepper();
    }

    void changeEvent(QEvent* event) override
    {
        QRadioButton::changeEvent(event);
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            placeStepper();
    }

private:
    void placeStepper()
    {
        // The longest run of blanks in the title; without one, after the title.
        const QString title = text();
        static const QRegularExpression blanks(QStringLiteral(" {2,}"));
        qsizetype start = title.size();
        qsizetype length = 0;
        for (QRegularExpressionMatchIterator it = blanks.globalMatch(title); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            if (match.capturedLength() > length) {
                start = match.capturedStart();
                length = match.capturedLength();
            }
        }
        QStyleOptionButton option;
        initStyleOption(&option);
        const QRect contents = style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);
        const QFontMetrics metrics(font());
        const int gapLeft = contents.left() + metrics.horizontalAdvance(title.left(start + (length > 0 ? 1 : 0)));
        const int gapWidth = length > 1 ? metrics.horizontalAdvance(title.mid(start + 1, length - 2)) : 0;
        const int width = std::max(gapWidth, kMinimumStepperWidth);
        const int height = std::min(std::max(metrics.height() + 4, 16), std::max(16, this->height()));
        stepper_->setGeometry(gapLeft + (gapWidth - width) / 2, (this->height() - height) / 2, width, height);
    }

    static constexpr int kMinimumStepperWidth = 14;
    QSpinBox* stepper_;
};

BKOptionsWindowController::BKOptionsWindowController(OTVDataBase& store, QWidget* parent)
    : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("OptionsWindowController"));
    setWindowTitle(BKLocalizedString("Options"));
    setWindowModality(Qt::ApplicationModal);

    fontChooser_ = [](QWidget* owner, const QFont& current) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, current, owner);
        return ok ? std::optional<QFont>(font) : std::nullopt;
    };
    colorChooser_ = [](QWidget* owner, const QColor& current) -> std::optional<QColor> {
        const QColor color = QColorDialog::getColor(current, owner);
        return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
    };
    folderChooser_ = [](QWidget* owner, const QString& current) {
        return QFileDialog::getExistingDirectory(owner, QString(), current);
    };
    loginItemWriter_ = [](bool enabled) {
        return BKSetLaunchAtLogin(enabled, QCoreApplication::applicationFilePath());
    };

    mToolBar_ = new QToolBar(this);
    mToolBar_->setObjectName(QStringLiteral("MainToolBar"));
    mToolBar_->setMovable(false);
    mToolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    mToolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    mPaneActions_ = new QActionGroup(this);
    mPaneActions_->setExclusive(true);
    mActiveContentView_ = new QStackedWidget(this);
    mActiveContentView_->addWidget(makeSecurityPane());
    mActiveContentView_->addWidget(makeUserDataPane());
    mActiveContentView_->addWidget(makeFormatPane());
    mActiveContentView_->addWidget(makeShowColumnsPane());
    const QStringList identifiers = paneIdentifiers();
    for (int index = 0; index < identifiers.size(); ++index) {
        QAction* action = mToolBar_->addAction(QIcon::fromTheme(identifiers[index]), BKLocalizedString(identifiers[index]));
        action->setObjectName(identifiers[index]);
        action->setCheckable(true);
        action->setData(index);
        mPaneActions_->addAction(action);
        connect(action, &QAction::triggered, this, [this, identifier = identifiers[index]] { setActivePane(identifier); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(mToolBar_);
    layout->addWidget(mActiveContentView_);
    layout->addWidget(BKMakeOkCancelButtons(this, [this] { ok(); }, [this] { cancel(); }));

    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    if (!defaults.hasKey(kEventLoggerDatabaseLocation))
        defaults.setObject(QDir::homePath() + QStringLiteral("/Documents/Ostrevin/"), kEventLoggerDatabaseLocation);
    mDatabaseLocationField_->setText(defaults.stringForKey(kEventLoggerDatabaseLocation));
    if (defaults.hasKey(kLaunchOnStartup))
        mRunOnStartupButton_->setChecked(defaults.boolForKey(kLaunchOnStartup));
    setActivePane(kSecurityToolbarItemIdentifier);
}

QStringList BKOptionsWindowController::paneIdentifiers()
{
    return {kSecurityToolbarItemIdentifier, kUserInfoToolbarItemIdentifier, kFormatToolbarItemIdentifier,
            kShowColumnsToolbarItemIdentifier};
}

QString BKOptionsWindowController::columnIdentifierOfMaskIndex(int index)
{
    return QString::number(index + 1);
}

qint64 BKOptionsWindowController::shownColumnMask(quint64 storedMask)
{
    return qint64(qint16(quint16(storedMask & 0xFFFF)));
}

QString BKOptionsWindowController::fontDescription(const QFont& font)
{
    return BKLocalizedString("%1 - %2 pt size").arg(font.family()).arg(int(font.pointSizeF()));
}

QString BKOptionsWindowController::clearAfterTitle(int minutes)
{
    return BKLocalizedString("After %1     Minutes").arg(minutes, 2, 10, QLatin1Char('0'));
}

// ---------------------------------------------------------------------------------------------
// Panes

QWidget* BKOptionsWindowController::makeSecurityPane()
{
    auto* pane = new QWidget;
    pane->setObjectName(QStringLiteral("mSecurityView"));
    auto* layout = new QVBoxLayout(pane);

    auto* lockRow = new QHBoxLayout;
    mAutoLock_ = new QCheckBox(BKLocalizedString("Lock automatically when inactive for"), pane);
    mAutoLock_->setObjectName(QStringLiteral("mAutoLock"));
    mAutoLockField_ = new QLineEdit(pane);
    mAutoLockField_->setObjectName(QStringLiteral("mAutoLockField"));
    mAutoLockField_->setMaximumWidth(60);
    mAutolockLabel_ = new QLabel(BKLocalizedString("minutes"), pane);
    mAutolockLabel_->setObjectName(QStringLiteral("mAutolockLabel"));
    lockRow->addWidget(mAutoLock_);
    lockRow->addWidget(mAutoLockField_);
    lockRow->addWidget(mAutolockLabel_);
    lockRow->addStretch();
    layout->addLayout(lockRow);

    mClearClipBoardButton_ = new QCheckBox(BKLocalizedString("Clear the clipboard"), pane);
    mClearClipBoardButton_->setObjectName(QStringLiteral("mClearClipBoardButton"));
    layout->addWidget(mClearClipBoardButton_);
    mClearClipBoardBox_ = new QGroupBox(pane);
    mClearClipBoardBox_->setObjectName(QStringLiteral("mClearClipBoardBox"));
    auto* choices = new QHBoxLayout(mClearClipBoardBox_);
    auto* onExit = new QRadioButton(BKLocalizedString("Only at exit"), mClearClipBoardBox_);
    onExit->setObjectName(QStringLiteral("mClearOnExitRadio"));
    mClearAfterTimeStepper_ = new QSpinBox;
    mClearAfterTimeStepper_->setObjectName(QStringLiteral("mClearAfterTimeStepper"));
    mClearAfterTimeStepper_->setRange(kMinimumClearMinutes, kMaximumClearMinutes);
    mClearAfterTimeStepper_->setAccessibleName(BKLocalizedString("Minutes"));
    mClearAfterRadio_ = new BKMinutesChoice(mClearAfterTimeStepper_, mClearClipBoardBox_);
    mClearAfterRadio_->setObjectName(QStringLiteral("mClearAfterRadio"));
    mClearAfterRadio_->setTitle(clearAfterTitle(kMinimumClearMinutes));
    mClearClipBoardMatrix_ = new QButtonGroup(mClearClipBoardBox_);
    mClearClipBoardMatrix_->addButton(onExit, kClearOnlyAtExit);
    mClearClipBoardMatrix_->addButton(mClearAfterRadio_, kClearAfterMinutes);
    choices->addWidget(onExit);
    choices->addWidget(mClearAfterRadio_);
    choices->addStretch();
    layout->addWidget(mClearClipBoardBox_);
    layout->addStretch();

    connect(mClearClipBoardButton_, &QCheckBox::toggled, this, &BKOptionsWindowController::clearClipBoardStateChanged);
    connect(mClearAfterTimeStepper_, qOverload<int>(&QSpinBox::valueChanged), this,
            &BKOptionsWindowController::clearMinutesChanged);
    return pane;
}

QWidget* BKOptionsWindowController::makeUserDataPane()
{
    auto* pane = new QWidget;
    pane->setObjectName(QStringLiteral("mUserDataView"));
    auto* layout = new QVBoxLayout(pane);
    layout->addWidget(new QLabel(BKLocalizedString("Folder of the event log backups:"), pane));
    auto* folderRow = new QHBoxLayout;
    mDatabaseLocationField_ = new QLineEdit(pane);
    mDatabaseLocationField_->setObjectName(QStringLiteral("mDatabaseLocationField"));
    mDatabaseLocationField_->setReadOnly(true);
    auto* browse = new QPushButton(BKLocalizedString("Browse..."), pane);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setAutoDefault(false);
    folderRow->addWidget(mDatabaseLocationField_, 1);
    folderRow->addWidget(browse);
    layout->addLayout(folderRow);
    mRunOnStartupButton_ = new QCheckBox(BKLocalizedString("Launch at login"), pane);
    mRunOnStartupButton_->setObjectName(QStringLiteral("mRunOnStartupButton"));
    layout->addWidget(mRunOnStartupButton_);
    auto* note = new QLabel(BKLocalizedString("The folder and launching at login change at once, also when you cancel."), pane);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();

    connect(browse, &QPushButton::clicked, this, &BKOptionsWindowController::browseDatabaseLocation);
    // A click only: filling the window from the defaults writes nothing.
    connect(mRunOnStartupButton_, &QCheckBox::clicked, this, &BKOptionsWindowController::toLoginItems);
    return pane;
}

QWidget* BKOptionsWindowController::makeFormatPane()
{
    auto* pane = new QWidget;
    pane->setObjectName(QStringLiteral("mFormatView"));
    auto* layout = new QFormLayout(pane);
    auto* fontRow = new QHBoxLayout;
    mFontNameField_ = new QLabel(pane);
    mFontNameField_->setObjectName(QStringLiteral("mFontNameField"));
    mFontNameField_->setTextFormat(Qt::PlainText);
    mFontNameField_->setFrameShape(QFrame::StyledPanel);
    auto* selectFontButton = new QPushButton(BKLocalizedString("Select Font..."), pane);
    selectFontButton->setObjectName(QStringLiteral("selectFontButton"));
    selectFontButton->setAutoDefault(false);
    fontRow->addWidget(mFontNameField_, 1);
    fontRow->addWidget(selectFontButton);
    layout->addRow(BKLocalizedString("Font:"), fontRow);
    mRowColorWell_ = new QToolButton(pane);
    mRowColorWell_->setObjectName(QStringLiteral("mRowColorWell"));
    mRowColorWell_->setIconSize(QSize(40, 16));
    layout->addRow(BKLocalizedString("Row colour:"), mRowColorWell_);

    connect(selectFontButton, &QPushButton::clicked, this, &BKOptionsWindowController::selectFont);
    connect(mRowColorWell_, &QToolButton::clicked, this, &BKOptionsWindowController::selectRowColor);
    return pane;
}

QWidget* BKOptionsWindowController::makeShowColumnsPane()
{
    auto* pane = new QWidget;
    pane->setObjectName(QStringLiteral("mShowColumnsView"));
    auto* layout = new QVBoxLayout(pane);
    mShowColumnsDisclosure_ = new QToolButton(pane);
    mShowColumnsDisclosure_->setObjectName(QStringLiteral("showColumnsButton"));
    mShowColumnsDisclosure_->setText(BKLocalizedString("Columns shown in the list view:"));
    mShowColumnsDisclosure_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    mShowColumnsDisclosure_->setAutoRaise(true);
    mShowColumnsDisclosure_->setCheckable(true);
    mShowColumnsDisclosure_->setChecked(true);
    mShowColumnsDisclosure_->setArrowType(Qt::DownArrow);
    layout->addWidget(mShowColumnsDisclosure_);
    mShowColumnMatrixView_ = new QWidget(pane);
    mShowColumnMatrixView_->setObjectName(QStringLiteral("mShowColumnMatrix"));
    auto* grid = new QGridLayout(mShowColumnMatrixView_);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int index = 0; index < kShowColumnCount; ++index) {
        auto* box = new QCheckBox(BKLocalizedString(kColumnTitles[index]), mShowColumnMatrixView_);
        box->setObjectName(QStringLiteral("showColumn%1").arg(columnIdentifierOfMaskIndex(index)));
        grid->addWidget(box, index % kShowColumnRows, index / kShowColumnRows);
        mShowColumnMatrix_[size_t(index)] = box;
    }
    layout->addWidget(mShowColumnMatrixView_);
    layout->addStretch();
    connect(mShowColumnsDisclosure_, &QToolButton::toggled, this, [this](bool on) { showColumns(on ? 1 : 0); });
    return pane;
}

void BKOptionsWindowController::showColumns(int state)
{
    if (state != 0 && state != 1)
        return;
    const bool shown = state == 1;
    {
        const QSignalBlocker blocker(mShowColumnsDisclosure_);
        mShowColumnsDisclosure_->setChecked(shown);
    }
    mShowColumnsDisclosure_->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
    if (mResizeAnimation_ && mResizeAnimation_->state() == QAbstractAnimation::Running) {
        // A change under way is cut short: the window takes the size of what it shows now.
        mResizeAnimation_->stop();
        mResizeAnimation_->disconnect(this);
        fitToActivePane();
    }
    if (shown == columnsShown())
        return;
    const int matrixHeight = mShowColumnMatrixView_->sizeHint().height() + mShowColumnMatrixView_->parentWidget()->layout()->spacing();
    if (!isVisible() || activePane() != kShowColumnsToolbarItemIdentifier) {
        mShowColumnMatrixView_->setVisible(shown);
        return;
    }
    // The window grows or shrinks by the columns' height at its bottom edge. Growing, the
    // columns show once there is room for them; shrinking, they go first.
    if (!shown)
        mShowColumnMatrixView_->hide();
    QRect target = geometry();
    target.setHeight(std::max(minimumHeight(), target.height() + (shown ? matrixHeight : -matrixHeight)));
    if (!mResizeAnimation_) {
        mResizeAnimation_ = new QPropertyAnimation(this, "geometry", this);
        mResizeAnimation_->setDuration(kResizeAnimationMs);
    }
    mResizeAnimation_->setStartValue(geometry());
    mResizeAnimation_->setEndValue(target);
    // Once: the animation object serves every later change with its own ending.
    connect(
        mResizeAnimation_, &QPropertyAnimation::finished, this,
        [this, shown] {
            mShowColumnMatrixView_->setVisible(shown);
            fitToActivePane();
        },
        Qt::SingleShotConnection);
    mResizeAnimation_->start();
}

bool BKOptionsWindowController::columnsShown() const
{
    return !mShowColumnMatrixView_->isHidden();
}

QCheckBox* BKOptionsWindowController::columnButton(int row, int column) const
{
    const int index = row + kShowColumnRows * column;
    return row >= 0 && row < kShowColumnRows && index >= 0 && index < kShowColumnCount ? mShowColumnMatrix_[size_t(index)]
                                                                                        : nullptr;
}

void BKOptionsWindowController::setActivePane(const QString& identifier)
{
    const int index = paneIdentifiers().indexOf(identifier);
    if (index < 0)
        return;
    for (QAction* action : mPaneActions_->actions())
        action->setChecked(action->data().toInt() == index);
    // The window takes the height of the pane shown and one width for all, the widest pane's:
    // the panes not shown count for the width only.
    for (int page = 0; page < mActiveContentView_->count(); ++page)
        mActiveContentView_->widget(page)->setSizePolicy(QSizePolicy::Preferred,
                                                          page == index ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    mActiveContentView_->setCurrentIndex(index);
    fitToActivePane();
}

void BKOptionsWindowController::fitToActivePane()
{
    if (mResizeAnimation_)
        mResizeAnimation_->stop();
    // Placed once it shows, keeping its top-left corner; before, it is left unplaced, to open
    // over the main window.
    const QPoint topLeft = pos();
    // Panes not shown keep the sizes measured before their texts and fonts were filled in.
    for (QLayout* paneLayout : mActiveContentView_->findChildren<QLayout*>())
        paneLayout->invalidate();
    mActiveContentView_->updateGeometry();
    layout()->invalidate();
    layout()->activate();
    resize(sizeHint());
    if (isVisible())
        move(topLeft);
}

QString BKOptionsWindowController::activePane() const
{
    return paneIdentifiers().value(mActiveContentView_->currentIndex());
}

// ---------------------------------------------------------------------------------------------
// Opening

int BKOptionsWindowController::orderFrontOptionsPanel()
{
    initUserPreferences();
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    int code = 0;
    mPasswordEnabled_ = user && store_.isPasswordEnableForUser(user.get(), &code);
    for (QWidget* control : {static_cast<QWidget*>(mAutoLock_), static_cast<QWidget*>(mAutolockLabel_),
                             static_cast<QWidget*>(mAutoLockField_)})
        control->setVisible(mPasswordEnabled_);
    setActivePane(activePane());

    const int result = exec();
    if (result == kBKModalStop)
        store_.addLogEvent(QStringLiteral("Edit Settings"), QString(), QString(), user ? user->mUsername() : QString());
    return result == kBKModalStop ? kBKModalStop : kBKModalAbort;
}

void BKOptionsWindowController::initUserPreferences()
{
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!user)
        return;
    setSelectedFont(user->mTextFont());
    setRowColor(user->mRowColor());
    mAutoLock_->setChecked(user->mAutoLOck());
    mAutoLockField_->setText(QString::number(user->mLockTime()));

    const bool clearing = user->mClipBoardOnExit() || user->mClearClipBoardTimer() != 0;
    mClearClipBoardButton_->setChecked(clearing);
    clearClipBoardStateChanged(clearing);
    mClearAfterTimeStepper_->setValue(user->mClearClipBoardTimer());
    clearMinutesChanged(mClearAfterTimeStepper_->value());
    mClearClipBoardMatrix_->button(user->mClipBoardOnExit() ? kClearOnlyAtExit : kClearAfterMinutes)->setChecked(true);

    const qint64 mask = shownColumnMask(user->mColoumInfo());
    for (int index = 0; index < kShowColumnCount; ++index)
        mShowColumnMatrix_[size_t(index)]->setChecked((mask & kColumnMasks[size_t(index)]) != 0);
}

void BKOptionsWindowController::clearClipBoardStateChanged(bool on)
{
    mClearClipBoardBox_->setVisible(on);
}

void BKOptionsWindowController::clearMinutesChanged(int minutes)
{
    mClearAfterRadio_->setChecked(true);
    mClearAfterRadio_->setTitle(clearAfterTitle(minutes));
}

// ---------------------------------------------------------------------------------------------
// Controls

void BKOptionsWindowController::setSelectedFont(const QFont& font)
{
    mSelectedFont_ = font;
    mFontNameField_->setFont(font);
    mFontNameField_->setText(fontDescription(font));
}

void BKOptionsWindowController::setRowColor(const QColor& color)
{
    mRowColor_ = color;
    mRowColorWell_->setIcon(swatch(color));
}

void BKOptionsWindowController::selectFont()
{
    if (const std::optional<QFont> font = fontChooser_(this, mSelectedFont_))
        setSelectedFont(*font);
}

void BKOptionsWindowController::selectRowColor()
{
    if (const std::optional<QColor> color = colorChooser_(this, mRowColor_))
        setRowColor(*color);
}

void BKOptionsWindowController::browseDatabaseLocation()
{
    const QString folder = folderChooser_(this, mDatabaseLocationField_->text());
    if (folder.isEmpty())
        return;
    mDatabaseLocationField_->setText(folder);
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    defaults.setObject(folder, kEventLoggerDatabaseLocation);
    defaults.synchronize();
}

void BKOptionsWindowController::toLoginItems(bool enabled)
{
    mRunOnStartupButton_->setChecked(enabled);
    if (!loginItemWriter_(enabled))
        BKRunAlertPanel(QString(), BKLocalizedString("Operation failed."));
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    defaults.setObject(enabled, kLaunchOnStartup);
    defaults.synchronize();
}

// ---------------------------------------------------------------------------------------------
// OK and Cancel

bool BKOptionsWindowController::autoLockMinutesAreValid() const
{
    bool isNumber = false;
    const int minutes = mAutoLockField_->text().trimmed().toInt(&isNumber);
    return isNumber && minutes >= 1 && minutes <= kMaxLockMinutes;
}

void BKOptionsWindowController::ok()
{
    if (mPasswordEnabled_ && mAutoLock_->isChecked() && !autoLockMinutesAreValid()) {
        BKRunAlertPanel(QString(), BKLocalizedString("Please enter an integer between 1 and 60"),
                        BKLocalizedString("OK"));
        return;
    }
    if (!saveUserPreference())
        return;
    BKNotificationCenter::defaultCenter().postNotification(kPreferenceChangedNotification);
    done(kBKModalStop);
}

void BKOptionsWindowController::cancel()
{
    done(kBKModalAbort);
}

void BKOptionsWindowController::reject()
{
    done(kBKModalAbort);
}

void BKOptionsWindowController::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

quint16 BKOptionsWindowController::checkedColumnMask() const
{
    quint16 mask = 0;
    for (int index = 0; index < kShowColumnCount; ++index)
        if (mShowColumnMatrix_[size_t(index)]->isChecked())
            mask |= kColumnMasks[size_t(index)];
    return mask;
}

bool BKOptionsWindowController::saveUserPreference()
{
    const std::shared_ptr<OTVUser> user = store_.getCurrentUser();
    if (!user)
        return false;
    const OTVUser before = *user;

    const bool clearing = mClearClipBoardButton_->isChecked();
    const bool onlyAtExit = mClearClipBoardMatrix_->checkedId() == kClearOnlyAtExit;
    user->setMClearClipboardState(clearing);
    // Clearing switched off is stored as no minutes and not at exit, so that it is still off
    // at the next login.
    user->setMClipBoardOnExit(clearing && onlyAtExit);
    user->setMClearClipBoardTimer(clearing ? qint16(mClearAfterTimeStepper_->value()) : qint16(0));
    user->setMMAxLockTime(kMaxLockMinutes);
    // Without a password the lock controls are hidden: what the field holds was never checked,
    // so the user's minutes stay as they are.
    if (mPasswordEnabled_) {
        user->setMAutoLOck(mAutoLock_->isChecked());
        if (mAutoLock_->isChecked())
            user->setMLockTime(qint16(mAutoLockField_->text().trimmed().toInt()));
    }
    user->setMTextFont(mSelectedFont_);
    user->setMRowColor(mRowColor_);

    const qint64 mask = qint16(checkedColumnMask());
    QStringList layoutTypeUIDs;
    if (mask != shownColumnMask(user->mColoumInfo())) {
        user->setMColoumInfo(quint64(mask));
        layoutTypeUIDs = typesOfColumnSettings();
    }

    // The column settings and the options are stored together, or neither.
    const int status = store_.saveOptionPanelPreferencesWithLayouts(*user, layoutTypeUIDs);
    if (status != kOTVStatusOK) {
        *user = before;
        OTVShowStatusAlert(status);
        return false;
    }
    return true;
}

QStringList BKOptionsWindowController::typesOfColumnSettings()
{
    const int answer = BKRunAlertPanel(QString(),
                                       BKLocalizedString("Do you want the current column settings to be applied to all Types?"),
                                       BKLocalizedString("No"), BKLocalizedString("Yes"));
    QStringList typeUIDs{kAllCategoriesUID};
    if (answer == kBKAlertAlternateReturn)
        for (const std::shared_ptr<OTVType>& type : store_.typesForEditing())
            typeUIDs.append(type->mTypeUID());
    return typeUIDs;
}
