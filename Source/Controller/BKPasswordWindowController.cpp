#include "BKPasswordWindowController.h"

#include "BKController.h"
#include "BKDialogButtons.h"

#include "Customization/BKPasswordStrengthMeter.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVPasswordGenerator.h"
#include "Model/OTVStatusMessages.h"
#include "Model/PasswordStrength.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kPasswordsPerGenerate = 10;
constexpr int kDefaultLength = 12;

} // namespace

BKPasswordWindowController::Services BKPasswordWindowController::storeServices()
{
    Services services;
    services.passwordGeneratorFlags = [] { return OTVDataBase::sharedOTVDataBase().passwordGeneratorFlags(nullptr); };
    services.setPasswordGeneratorFlags = [](quint8 flags) {
        return OTVDataBase::sharedOTVDataBase().setPasswordGeneratorFlags(flags);
    };
    services.generatePasswordWith = [](quint8 flags, int length) {
        return ::generatePassword(flags, static_cast<unsigned short>(length));
    };
    return services;
}

BKPasswordWindowController& BKPasswordWindowController::sharedPasswordController()
{
    static BKPasswordWindowController* shared = new BKPasswordWindowController(storeServices());
    return *shared;
}

BKPasswordWindowController::BKPasswordWindowController(Services services, QWidget* parent)
    : QDialog(parent), services_(std::move(services))
{
    setObjectName(QStringLiteral("PasswordController"));
    setWindowTitle(BKLocalizedString("Password Generator"));
    setWindowModality(Qt::ApplicationModal);

    mPasswordList_ = new QListWidget(this);
    mPasswordList_->setObjectName(QStringLiteral("mPasswordList"));
    mPasswordList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mPasswordList_->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont fixed(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    mPasswordList_->setFont(fixed);
    mPasswordList_->setMinimumHeight(190);
    connect(mPasswordList_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        mPasswordList_->setCurrentItem(item);
        passwordOK();
    });

    mpasswordLength_ = new QSpinBox(this);
    mpasswordLength_->setObjectName(QStringLiteral("mpasswordLength"));
    mpasswordLength_->setRange(kGeneratorMinLength, kGeneratorMaxLength);
    mpasswordLength_->setValue(kDefaultLength);
    connect(mpasswordLength_, &QSpinBox::valueChanged, this, [this] { updateStrengthIndicator(); });

    mpasswordStrength_ = new QComboBox(this);
    mpasswordStrength_->setObjectName(QStringLiteral("mpasswordStrength"));
    mpasswordStrength_->addItems({BKLocalizedString("Strongest: every kind of character"),
                                  BKLocalizedString("Strong: lower case, digits and symbols"),
                                  BKLocalizedString("Easy to type: letters and digits")});
    mpasswordStrength_->setCurrentIndex(-1);
    mpasswordStrength_->setPlaceholderText(BKLocalizedString("Presets"));
    connect(mpasswordStrength_, &QComboBox::activated, this, &BKPasswordWindowController::strengthChange);

    auto* classes = new QWidget(this);
    auto* classesLayout = new QHBoxLayout(classes);
    classesLayout->setContentsMargins(0, 0, 0, 0);
    const char* titles[] = {"a-z", "A-Z", "0-9", "Symbols", "Extended"};
    const char* tips[] = {"Lower-case letters", "Upper-case letters", "Digits", "Punctuation and symbols",
                          "Extended characters"};
    for (int column = 0; column < int(mcharSet_.size()); ++column) {
        auto* box = new QCheckBox(BKLocalizedString(titles[column]), classes);
        box->setObjectName(QStringLiteral("mcharSet%1").arg(column));
        box->setToolTip(BKLocalizedString(tips[column]));
        connect(box, &QCheckBox::clicked, this, [this] { characterSetChange(); });
        classesLayout->addWidget(box);
        mcharSet_[column] = box;
    }
    classesLayout->addStretch();

    mIsPronounceable_ = new QCheckBox(BKLocalizedString("Pronounceable"), this);
    mIsPronounceable_->setObjectName(QStringLiteral("mIsPronounceable"));

    mPasswordStrengthIndicator_ = new BKPasswordStrengthMeter(this);
    mPasswordStrengthIndicator_->setObjectName(QStringLiteral("mPasswordStrengthIndicator"));

    mGenerateButton_ = new QPushButton(BKLocalizedString("Generate"), this);
    mGenerateButton_->setObjectName(QStringLiteral("generateButton"));
    mGenerateButton_->setAutoDefault(false);
    connect(mGenerateButton_, &QPushButton::clicked, this, [this] { generatePassword(); });

    QDialogButtonBox* buttons = BKMakeOkCancelButtons(this, [this] { passwordOK(); }, [this] { passwordCancel(); });

    auto* form = new QFormLayout;
    auto* lengthRow = new QHBoxLayout;
    lengthRow->addWidget(mpasswordLength_);
    lengthRow->addWidget(mGenerateButton_);
    lengthRow->addStretch();
    form->addRow(BKLocalizedString("Length:"), lengthRow);
    form->addRow(BKLocalizedString("Preset:"), mpasswordStrength_);
    form->addRow(BKLocalizedString("Characters:"), classes);
    form->addRow(QString(), mIsPronounceable_);
    form->addRow(BKLocalizedString("Strength:"), mPasswordStrengthIndicator_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mPasswordList_);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // The stored class choices; the pronounceable box follows from them when the sheet runs.
    const quint8 stored = services_.passwordGeneratorFlags ? services_.passwordGeneratorFlags() : 0;
    showOptions(PasswordGeneratorOptions::fromStoredFlags(stored));
    updateStrengthIndicator();
}

QString BKPasswordWindowController::displayPasswordGenerationPanel(QWidget* sender)
{
    emptyList();
    characterSetChange();
    QWidget* window = sender ? sender->window() : nullptr;
    if (window != parentWidget())
        setParent(window, windowFlags());
    setWindowModality(Qt::ApplicationModal);
    BKCentreOverParent(this);
    const int result = exec();
    QString chosen;
    if (result == kBKModalStop) {
        if (QListWidgetItem* item = mPasswordList_->currentItem(); item && item->isSelected())
            chosen = item->text();
    }
    emptyList();
    return chosen;
}

PasswordGeneratorOptions BKPasswordWindowController::options() const
{
    PasswordGeneratorOptions options;
    for (int column = 0; column < int(mcharSet_.size()); ++column)
        if (mcharSet_[column]->isChecked())
            options.classes |= quint8(1u << column);
    options.pronounceable = mIsPronounceable_->isChecked();
    options.pronounceableEnabled = mIsPronounceable_->isEnabled();
    return options;
}

void BKPasswordWindowController::showOptions(const PasswordGeneratorOptions& options)
{
    for (int column = 0; column < int(mcharSet_.size()); ++column)
        mcharSet_[column]->setChecked(options.classes & (1u << column));
    mIsPronounceable_->setChecked(options.pronounceable);
    mIsPronounceable_->setEnabled(options.pronounceableEnabled);
}

quint8 BKPasswordWindowController::passgeneratorFlags()
{
    const quint8 flags = options().flags();
    if (services_.setPasswordGeneratorFlags) {
        const int status = services_.setPasswordGeneratorFlags(flags);
        if (status != 0)
            BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), OTVStatusMessage(status), BKLocalizedString("OK"));
    }
    return flags;
}

void BKPasswordWindowController::generatePassword()
{
    const quint8 flags = passgeneratorFlags();
    mGenratedPasswordList_.clear();
    // The generator's buffer holds 63 characters: the field's range is the first guard, this
    // the second.
    const int length = clampedGeneratorLength(mpasswordLength_->value());
    if (length > 0 && services_.generatePasswordWith) {
        for (int i = 0; i < kPasswordsPerGenerate; ++i) {
            const QString password = services_.generatePasswordWith(flags, length);
            if (!password.isEmpty())
                mGenratedPasswordList_.append(password);
        }
    }
    reloadList();
}

void BKPasswordWindowController::passwordOK()
{
    passgeneratorFlags();
    done(kBKModalStop);
}

void BKPasswordWindowController::passwordCancel()
{
    emptyList();
    done(kBKModalAbort);
}

void BKPasswordWindowController::reject()
{
    passwordCancel();
}

void BKPasswordWindowController::strengthChange(int presetIndex)
{
    PasswordGeneratorOptions shown = options();
    shown.applyPreset(presetIndex);
    showOptions(shown);
    updateStrengthIndicator();
}

void BKPasswordWindowController::characterSetChange()
{
    PasswordGeneratorOptions shown = options();
    shown.classesChanged();
    showOptions(shown);
    updateStrengthIndicator();
}

void BKPasswordWindowController::updateStrengthIndicator()
{
    mPasswordStrengthIndicator_->setStrenth(
        PasswordStrength::strengthFromClasses(options().classes, mpasswordLength_->value()));
}

void BKPasswordWindowController::reloadList()
{
    mPasswordList_->clear();
    mPasswordList_->addItems(mGenratedPasswordList_);
}

void BKPasswordWindowController::emptyList()
{
    mGenratedPasswordList_.clear();
    reloadList();
}
