#include "BKDetailsWindowRules.h"

#include "Model/Database_Engine/OTVTextFits.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"

#include <QFileInfo>
#include <QRegularExpression>

QString BKGenericFieldLabel(int field)
{
    return QStringLiteral("%1 %2").arg(BKLocalizedString("Field")).arg(field);
}

bool BKLabelShowsDateButton(const QString& label)
{
    return label.trimmed().contains(QLatin1String("date"), Qt::CaseInsensitive);
}

bool BKFieldIsMasked(std::optional<int> mask, int field)
{
    return (mask.value_or(0) & (1 << (field - 1))) != 0;
}

QString BKTruncatedNotes(const QString& notes)
{
    if (notes.size() <= kDetailsNotesLimit)
        return notes;
    qsizetype cut = kDetailsNotesLimit;
    if (notes.at(cut - 1).isHighSurrogate())
        --cut;   // its low half lies beyond the limit: drop the whole character
    return notes.left(cut);
}

QString BKPickerTextFromDate(const QDate& date)
{
    return QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year() % 100, 2, 10, QLatin1Char('0'));
}

QDate BKDateFromPickerText(const QString& text, const QDate& today)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{1,4})\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return today;
    int year = match.captured(3).toInt();
    if (year <= 99)
        year += 2000;
    const QDate date(year, match.captured(1).toInt(), match.captured(2).toInt());
    return date.isValid() ? date : today;
}

QString BKAcceptableAttachmentPath(const QString& chosenPath)
{
    if (chosenPath.isEmpty())
        return QString();
    const QString resolved = QFileInfo(chosenPath).canonicalFilePath();   // empty when missing
    if (resolved.isEmpty())
        return QString();
    const QFileInfo target(resolved);
    if (!target.isFile() || target.size() >= kDetailsAttachmentMaxSize)
        return QString();
    return resolved;
}

bool BKAttachmentNameFits(const QString& chosenPath)
{
    return OTVFitsEncipheredTinyBlob(QFileInfo(chosenPath).fileName());
}

BKAttachmentResult BKAttachmentForResult(bool modified, const QString& name, bool duplicateMode,
                                         const QString& pendingPath)
{
    BKAttachmentResult result;
    if (name.isEmpty()) {
        result.state = modified ? kAttachmentRemoved : kAttachmentUnchanged;
        return result;
    }
    result.hasAttachment = true;
    result.name = name;
    if (modified) {
        result.path = pendingPath;
        result.state = kAttachmentStoreFile;
    } else if (duplicateMode) {
        result.path = pendingPath;
        result.state = kAttachmentCopyRow;
    }
    return result;
}

std::shared_ptr<OTVRecord> BKRecordFromForm(const BKDetailsForm& form, const OTVType* givenCustomType,
                                            BKCustomTypeState& state, const QDateTime& now)
{
    std::shared_ptr<OTVRecord> record = OTVRecord::createRecord();
    record->setMGroup(form.group);
    record->setMType(form.type);
    for (int field = 1; field < kNoOfFields; ++field)
        record->setValue(field, form.values[size_t(field - 1)]);
    record->setValue(kNoOfFields, OTVRecord::modificationDateText(now));
    record->setMNotes(BKTruncatedNotes(form.notes));

    // An icon of its own makes the record customised: its custom type carries the icon.
    std::optional<OTVType> custom;
    if (givenCustomType)
        custom = *givenCustomType;
    if (form.type && form.iconNumber != form.type->mTypeIconID().value_or(kDefaultIconID)) {
        state.customizing = true;
        if (!custom)
            custom = *OTVType::createCopyforType(*form.type);
    }

    if (state.typeCustomFields)
        state.typeCustomFields->setMTypeIconID(form.iconNumber);
    std::optional<OTVType> chosen = state.isCustomFromDetailPanel ? state.typeCustomFields : custom;
    if ((custom || state.customizing) && chosen) {
        chosen->setMTypeIconID(form.iconNumber);
        record->setMRecordCustomType(std::move(chosen));
        record->setMIsCustomized(true);
    } else {
        // A customised record always has labels of its own to show.
        record->setMRecordCustomType(std::nullopt);
        record->setMIsCustomized(false);
    }

    const BKAttachmentResult attachment = BKAttachmentForResult(form.attachmentModified, form.attachmentName,
                                                                form.duplicateMode, form.pendingAttachmentPath);
    record->setMHasAttachment(attachment.hasAttachment);
    record->setMAttachmentName(attachment.hasAttachment ? attachment.name : QStringLiteral(""));
    record->setMAttachmentPath(attachment.path);
    record->setMAttachmentState(attachment.state);
    return record;
}

void BKTakeIdentityForReplace(OTVRecord& result, const OTVRecord& given, bool attachmentModified)
{
    result.setMRecordUID(given.mRecordUID());
    result.setMViewCounter(given.mViewCounter());
    if (!attachmentModified) {
        result.setMAttachmentPath(given.mAttachmentPath());
        if (result.mHasAttachment())
            result.setMAttachmentPassKey(given.mAttachmentPassKey());
    }
}

int BKFirstUnstorableField(const BKDetailsForm& form)
{
    for (int field = 1; field < kNoOfFields; ++field)
        if (!OTVFitsEncipheredTinyBlob(form.values[size_t(field - 1)]))
            return field;
    return 0;
}

bool BKConfirmRecordDeletion()
{
    return BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle),
                           BKLocalizedString("Are you realy sure you want to delete the selected item(s)?"),
                           BKLocalizedString("No"), BKLocalizedString("Yes")) == kBKAlertAlternateReturn;
}
