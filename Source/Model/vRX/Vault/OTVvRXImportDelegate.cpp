#include "Model/vRX/Vault/OTVvRXImportDelegate.h"

#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVStatusMessages.h"
#include "Model/OTVType.h"
#include "Model/vRX/ExchangeDates.h"
#include "Model/vRX/OTVFileCrypter.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKMacRoman.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <exception>
#include <optional>

namespace {

constexpr int kPlainEntries = 12;   // type name, nine values, date, notes
constexpr int kVRXEntries = 11;     // nine values, date, notes
const char kAttachmentFolderName[] = "Files";
const char kSideFileExtension[] = ".ofa";

// Entry n as text: UTF-8, or Mac OS Roman for bytes that are not. Never null: a null label of a
// custom type would be stored as "Field<n>".
QString Text(const CStringArray& list, int n)
{
    const char* entry = list.GetAt(static_cast<short>(n));
    const QString text = entry ? BKDecodeUTF8OrMacRoman(QByteArray(entry)) : QString();
    return text.isNull() ? QStringLiteral("") : text;
}

QString Utf8(const CStringArray& list, int n)
{
    const char* entry = list.GetAt(static_cast<short>(n));
    return entry ? QString::fromUtf8(entry) : QString();
}

// Icons of types and custom types: the application's own, else the default.
int StandardIcon(int icon)
{
    return icon >= 1 && icon <= OTVDataBase::kStandardIcons ? icon : kDefaultIconID;
}

// The files write line breaks as CR; the vault keeps LF.
QString NotesFromFile(QString notes)
{
    return notes.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// A side file is named by the UID that the record had in the exporting vault; anything else
// could name a file outside the package.
bool IsUID(const QString& text)
{
    static const QRegularExpression uid(QStringLiteral("^[0-9A-Fa-f]{16}$"));
    return uid.match(text).hasMatch();
}

// Side files are enciphered in blocks of 8 bytes.
qint64 PaddedSize(qint64 length)
{
    return (length + 7) / 8 * 8;
}

// The attachment's length that follows the 16 key characters of a pass-key entry, when there is one.
std::optional<qint64> LengthInPassKey(const QString& entry)
{
    constexpr int kKeyCharacters = 16;
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    const QString length = entry.mid(kKeyCharacters);
    if (!digits.match(length).hasMatch())
        return std::nullopt;
    return length.toLongLong();
}

// Records stored together: few enough for one transaction, many enough that the round trips
// to the server are few.
constexpr size_t kRecordsPerBatch = 500;
// Deciphered attachments waiting for their batch take no more disk than this.
constexpr qint64 kPendingAttachmentBytes = 32 << 20;

// "1 record", "2 records".
QString recordCount(int count)
{
    return count == 1 ? BKLocalizedString("1 record") : BKLocalizedString("%1 records").arg(count);
}

} // namespace

OTVvRXImportDelegate::OTVvRXImportDelegate(const std::string& path, std::shared_ptr<BKGroup> targetGroup,
                                           const QString& attachmentFolder, OTVDataBase& store,
                                           std::function<QDateTime()> now)
    : store_(store)
    , path_(path)
    , targetGroup_(std::move(targetGroup))
    , attachmentFolder_(attachmentFolder)
    , now_(std::move(now))
{
}

OTVvRXImportDelegate::OTVvRXImportDelegate(const std::string& path, std::shared_ptr<BKGroup> targetGroup,
                                           const QString& attachmentFolder)
    : OTVvRXImportDelegate(path, std::move(targetGroup), attachmentFolder, OTVDataBase::sharedOTVDataBase())
{
}

OTVvRXImportDelegate::~OTVvRXImportDelegate()
{
    // The deciphered attachments of records that were never stored.
    for (const QString& file : pendingFiles_)
        QFile::remove(file);
}

void OTVvRXImportDelegate::ImportComplete()
{
    StorePending();
    complete_.store(true);
}

void OTVvRXImportDelegate::Import(CvRXImporter& importer, const std::string& password)
{
    try {
        importer.ImportFile(importer.FileType(), password);
        return;
    } catch (const std::exception& e) {
        qWarning() << "import stopped:" << e.what();
    } catch (...) {
        qWarning() << "import stopped by an unknown exception";
    }
    ImportStopped();
}

void OTVvRXImportDelegate::ImportStopped()
{
    interrupted_ = true;
    try {
        StorePending();
    } catch (const std::exception& e) {
        // Never stored: counted as failed, so that the total still holds every record read.
        qWarning() << "import: the last records could not be stored:" << e.what();
        for (size_t i = 0; i < pending_.size(); ++i)
            RecordFailed(OTVStatusMessage(kOTVStatusOtherFailure));
        pending_.clear();
    }
    complete_.store(true);
}

QString OTVvRXImportDelegate::Summary() const
{
    if (!refusal_.isEmpty())
        return refusal_;
    const QString stopped =
        BKLocalizedString("The import stopped before the end of the file: the records after these were not read.");
    if (imported_ + failed_ == 0)
        return interrupted_ ? stopped : BKLocalizedString("The file holds no records.");
    // The records read before a cut are the total; the cut one is no record of the file.
    const int cut = fileCutReason_.isEmpty() ? 0 : 1;
    QStringList lines{
        BKLocalizedString("%1 of %2 imported.").arg(imported_).arg(recordCount(imported_ + failed_ - cut))};
    for (auto reason = failureReasons_.cbegin(); reason != failureReasons_.cend(); ++reason) {
        lines.append(reason.key() == fileCutReason_
                         ? reason.key()
                         : BKLocalizedString("%1 (%2)").arg(reason.key(), recordCount(reason.value())));
    }
    const auto withoutAttachment = [&](int count, const char* because) {
        if (count > 0)
            lines.append(BKLocalizedString(count == 1 ? "%1 was imported without its attachment, whose file is %2."
                                                      : "%1 were imported without their attachment, whose file is %2.")
                             .arg(recordCount(count), BKLocalizedString(because)));
    };
    withoutAttachment(missingAttachments_, "missing");
    withoutAttachment(damagedAttachments_, "damaged or cut short");
    if (interrupted_)
        lines.append(stopped);
    return lines.join(QLatin1Char('\n'));
}

void OTVvRXImportDelegate::CreateType(const CStringArray& fields, unsigned short icon, unsigned short mask,
                                      unsigned short count)
{
    lineType_.reset();
    currentType_.reset();
    typeFailure_.clear();
    const QString name = Text(fields, 0);
    if (name.isEmpty())
        return;
    lineType_ = OTVType::createType();
    lineType_->setMTypeName(name);
    const int labels = std::min({int(count), int(fields.GetSize()), kNoOfFields + 1});
    for (int field = 1; field < labels; ++field)
        lineType_->setLabel(field, Text(fields, field));
    lineType_->setMTypeMask(mask);
    lineType_->setMTypeIconID(StandardIcon(icon));
}

std::shared_ptr<OTVType> OTVvRXImportDelegate::ResolveType(QString& whyNot, bool& isNew)
{
    if (currentType_) {
        isNew = newTypes_.count(currentType_.get()) > 0;
        return currentType_;
    }
    isNew = false;
    if (!lineType_) {
        whyNot = typeFailure_.isEmpty() ? BKLocalizedString("The record has no record type in the file.") : typeFailure_;
        return nullptr;
    }
    // A type of the same name is reused: the vault's, or the one this import added already.
    const QString name = lineType_->mTypeName();
    if (failedTypeNames_.contains(name)) {
        lineType_.reset();
        typeFailure_ = whyNot = failedTypeNames_.value(name);
        return nullptr;
    }
    std::shared_ptr<OTVType> type = resolvedByName_.value(name);
    if (!type)
        type = store_.findSimilarType(*lineType_, targetGroup_.get());
    if (type) {
        TypeResolved(type);
        isNew = newTypes_.count(type.get()) > 0;
        return type;
    }
    // Not stored yet: it is stored with its first record that is, never alone.
    std::shared_ptr<OTVType> newType = lineType_;
    newType->setMSelectedGroupUID(targetGroup_->mGroupUID());
    newTypes_.insert(newType.get());
    TypeResolved(newType);
    isNew = true;
    return newType;
}

void OTVvRXImportDelegate::TypeResolved(const std::shared_ptr<OTVType>& type)
{
    resolvedByName_.insert(type->mTypeName(), type);
    lineType_.reset();
    currentType_ = type;
}

void OTVvRXImportDelegate::TypeFailed(const std::shared_ptr<OTVType>& type, int status)
{
    const QString reason =
        BKLocalizedString("The record type could not be added.") + QLatin1Char(' ') + OTVStatusMessage(status);
    const QString name = type->mTypeName();
    if (!failedTypeNames_.contains(name))
        failedTypeNames_.insert(name, reason);
    resolvedByName_.remove(name);
    newTypes_.erase(type.get());
    if (currentType_ == type) {
        currentType_.reset();
        typeFailure_ = reason;
    }
    RecordFailed(reason);
}

void OTVvRXImportDelegate::StorePending()
{
    if (pending_.empty())
        return;
    store_.addRecords(pending_);
    for (const OTVDataBase::RecordToAdd& entry : pending_) {
        if (entry.status == kOTVStatusOK) {
            newTypes_.erase(entry.record->mType().get());
            ++imported_;
        } else if (entry.typeFailed) {
            TypeFailed(entry.record->mType(), entry.status);
        } else {
            RecordFailed(OTVStatusMessage(entry.status));
        }
    }
    pending_.clear();
    for (const QString& file : pendingFiles_)
        QFile::remove(file);
    pendingFiles_.clear();
    pendingFileBytes_ = 0;
}

void OTVvRXImportDelegate::AddRecord(EFileType kind, const CStringArray& fields, const CStringArray& customNames,
                                     const CStringArray& attachment, const CString&, unsigned short icon,
                                     unsigned short mask, unsigned short count)
{
    // Every line of the plain export names its type.
    if (kind == kPlainCSVFile)
        CreateType(fields, kDefaultIconID, 0, 1);
    if (!targetGroup_) {
        RecordFailed(BKLocalizedString("There is no group to import into."));
        return;
    }
    try {
        QString whyNot;
        bool newType = false;
        const std::shared_ptr<OTVType> type = ResolveType(whyNot, newType);
        if (!type) {
            RecordFailed(whyNot);
            return;
        }
        // BuildRecord gives it value 10, from the file or the import's clock.
        std::shared_ptr<OTVRecord> record = OTVRecord::createUndatedRecord();
        record->setMGroup(targetGroup_);
        record->setMType(type);
        BuildRecord(*record, kind, fields, customNames, icon, mask, count);
        AttachFromPackage(*record, attachment);
        // The deciphered attachment is needed only until the record is stored.
        const QString deciphered = record->mAttachmentPath();
        if (!deciphered.isEmpty()) {
            pendingFiles_.append(deciphered);
            pendingFileBytes_ += QFileInfo(deciphered).size();
        }
        pending_.push_back({std::move(record), newType});
        if (pending_.size() >= kRecordsPerBatch || pendingFileBytes_ >= kPendingAttachmentBytes)
            StorePending();
    } catch (const OTVValueTooLong&) {
        RecordFailed(OTVStatusMessage(kOTVStatusValueTooLong));
    } catch (const std::exception&) {
        RecordFailed(OTVStatusMessage(kOTVStatusOtherFailure));
    }
}

void OTVvRXImportDelegate::BuildRecord(OTVRecord& record, EFileType kind, const CStringArray& fields,
                                       const CStringArray& customNames, unsigned short icon, unsigned short mask,
                                       unsigned short count) const
{
    const OTVType& type = *record.mType();
    // A line whose icon or mask differ from the type's, or that has labels of its own, gives the
    // record a custom type. Icon or mask make it customised; so do labels that differ, since
    // only customised records are exported with labels. A plain CSV line carries no look at all:
    // its record shows as its type does, masked where the type masks.
    const bool carriesLook = kind != kPlainCSVFile;
    const bool lookDiffers = carriesLook && (icon != type.mTypeIconID().value_or(kDefaultIconID) ||
                                             mask != type.mTypeMask().value_or(0));
    if (lookDiffers || (carriesLook && customNames.GetSize() > 0)) {
        OTVType custom = *OTVType::createCopyforType(type);
        custom.setMTypeIconID(lookDiffers ? StandardIcon(icon) : icon);
        custom.setMTypeMask(mask);
        for (int field = 1; field <= std::min<int>(customNames.GetSize(), kNoOfFields); ++field) {
            const QString label = Text(customNames, field - 1);
            if (!label.isEmpty())
                custom.setLabel(field, label);
        }
        record.setMIsCustomized(lookDiffers || custom.isNotEqualToCustomType(type));
        record.setMRecordCustomType(std::move(custom));
    }

    // The plain export's entries begin after the type name.
    const int first = kind == kPlainCSVFile ? 1 : 0;
    const int cut = std::min({int(count), int(fields.GetSize()), kind == kPlainCSVFile ? kPlainEntries : kVRXEntries});
    const int entries = cut - first;
    // All at once: set one by one, the record's texts would be packed anew for each.
    std::array<QString, kNoOfFields> values;
    const int read = std::min(entries - 2, kNoOfFields - 1);
    for (int value = 1; value < kNoOfFields; ++value)
        values[size_t(value - 1)] = value <= read ? Text(fields, first + value - 1) : record.value(value);
    values[kNoOfFields - 1] = ModificationDateText(cut > 2 ? Text(fields, cut - 2) : QString());
    record.setValuesAndNotes(values, entries >= 1 ? NotesFromFile(Text(fields, cut - 1)) : record.mNotes());
}

QString OTVvRXImportDelegate::ModificationDateText(const QString& entry) const
{
    // Records of a file share few dates, and the local time's conversions cost more than the
    // rest of the record: a date is converted once for the records that follow with it.
    if (!entry.isEmpty() && entry == lastDateEntry_)
        return lastDateText_;
    const std::optional<QDate> date = entry.isEmpty() ? std::nullopt : ParseExportDate(entry);
    if (!date)
        return OTVRecord::modificationDateText(now_());
    lastDateEntry_ = entry;
    lastDateText_ = OTVRecord::modificationDateText(QDateTime(*date, QTime(0, 0)));
    return lastDateText_;
}

void OTVvRXImportDelegate::AttachFromPackage(OTVRecord& record, const CStringArray& attachment)
{
    if (attachment.GetSize() < 3)
        return;
    const QString name = Text(attachment, 0);
    if (name.isEmpty())
        return;
    QString path;
    switch (ExtractSideFile(Utf8(attachment, 2), Utf8(attachment, 1), record.mRecordUID(), path)) {
    case SideFileResult::Extracted:
        break;
    case SideFileResult::TooLarge:
        throw OTVValueTooLong();
    case SideFileResult::Damaged:
        // Its bytes are not the attachment's: the record comes without it, and says so.
        ++damagedAttachments_;
        return;
    case SideFileResult::Missing:
        // A record that says it has an attachment while the vault has none would fail to store.
        ++missingAttachments_;
        return;
    }
    record.setMAttachmentName(name);
    record.setMAttachmentPassKey(Utf8(attachment, 1));
    record.setMHasAttachment(true);
    record.setMAttachmentPath(path);
    record.setMAttachmentState(kAttachmentStoreFile);
}

OTVvRXImportDelegate::SideFileResult OTVvRXImportDelegate::ExtractSideFile(const QString& fileUID,
                                                                          const QString& passKeyEntry,
                                                                          const QString& recordUID,
                                                                          QString& deciphered) const
{
    if (!IsUID(fileUID) || attachmentFolder_.isEmpty())
        return SideFileResult::Missing;
    const QString sideFile = QFileInfo(QString::fromStdString(path_)).absolutePath() + QLatin1Char('/')
                             + QLatin1String(kAttachmentFolderName) + QLatin1Char('/') + fileUID
                             + QLatin1String(kSideFileExtension);
    // Only a file of the package itself: a link could bring any file of the user's into the vault.
    const QFileInfo info(sideFile);
    QFile in(sideFile);
    if (info.isSymLink() || !info.isFile() || !in.open(QIODevice::ReadOnly))
        return SideFileResult::Missing;
    // Measured before it is read: no attachment the vault takes has a larger side file.
    if (in.size() > PaddedSize(OTVDataBase::kAttacmentMaxSize - 1))
        return SideFileResult::TooLarge;
    QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return SideFileResult::Missing;
    OTVFileCrypter(passKeyEntry).decryptData(data);
    // Files of other copies keep no length, and so the cipher's zero padding; ours carry it
    // after the key, and their side file must be just the padded length.
    if (const std::optional<qint64> length = LengthInPassKey(passKeyEntry)) {
        if (data.size() != PaddedSize(*length))
            return SideFileResult::Damaged;
        data.truncate(*length);
    }
    if (data.size() > OTVDataBase::kAttacmentMaxSize - 1)
        return SideFileResult::TooLarge;
    // Named by the new record's own UID, inside the private folder.
    deciphered = QDir(attachmentFolder_).filePath(recordUID);
    QFile out(deciphered);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) || out.write(data) != data.size()) {
        out.close();
        QFile::remove(deciphered);
        deciphered.clear();
        return SideFileResult::Missing;
    }
    return SideFileResult::Extracted;
}

void OTVvRXImportDelegate::ErrorInImport(int code)
{
    switch (code) {
    case kImportErrorNotRecordFile:
        refusal_ = BKLocalizedString("Import failed. The file holds no records that can be imported.");
        break;
    case kImportErrorNoHeader:
        refusal_ = BKLocalizedString("Import failed. The file does not begin with the line \"Ostrevin Export File\". "
                                     "A CSV file to import begins with that line, then holds one record a line: "
                                     "the record type, values 1 to 9, the date, the notes and the group, "
                                     "separated by commas.");
        break;
    case kImportErrorWrongPassword:
        refusal_ = BKLocalizedString("That is not the correct password for this import file.");
        break;
    case kImportErrorDamagedType:
        lineType_.reset();
        currentType_.reset();
        typeFailure_ = BKLocalizedString("The record type line of the file cannot be read.");
        break;
    case kImportErrorDamagedRecord:
        RecordFailed(BKLocalizedString("A record line of the file cannot be read."));
        break;
    case kImportErrorFileCut:
        StorePending();   // the summary's total is of stored and failed records
        fileCutReason_ = BKLocalizedString("The file is damaged or cut short: it ends inside the next record.");
        RecordFailed(fileCutReason_);
        break;
    default:
        RecordFailed(OTVStatusMessage(kOTVStatusOtherFailure));
        break;
    }
}

void OTVvRXImportDelegate::RecordFailed(const QString& reason)
{
    ++failed_;
    ++failureReasons_[reason];
}
