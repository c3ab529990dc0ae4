#include "Model/vRX/Vault/CExportDelegate.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/vRX/ExchangeDates.h"
#include "Model/vRX/OTVFileCrypter.h"
#include "Platform/BKPrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

const char kAttachmentFolderName[] = "Files";
// The attachment's key: the first characters of its pass key (the rest, when any, is its length).
constexpr int kAttachmentKeyCharacters = 16;

void Add(CStringArray& list, const QString& text)
{
    list.Add(text.toUtf8().constData());
}

// The type's name and its ten labels.
void AddNameAndLabels(CStringArray& list, const OTVType& type)
{
    Add(list, type.mTypeName());
    for (int field = 1; field <= kNoOfFields; ++field)
        Add(list, type.label(field));
}

unsigned short IconOf(const OTVType& type)
{
    return static_cast<unsigned short>(type.mTypeIconID().value_or(kDefaultIconID));
}

unsigned short MaskOf(const OTVType& type)
{
    return static_cast<unsigned short>(type.mTypeMask().value_or(0));
}

// Line breaks of the notes as the files have them: CR.
QString NotesForFile(QString notes)
{
    return notes.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(QLatin1Char('\n'), QLatin1Char('\r'));
}

QString WithoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

CExportDelegate::CExportDelegate(bool all, QList<std::shared_ptr<OTVRecord>> records, OTVDataBase& store,
                                 std::function<QDate()> today)
    : store_(store)
    , records_(std::move(records))
    , today_(std::move(today))
{
    if (all) {
        // The map also holds other users' personal records, without a group: they are not the
        // user's to see, let alone to export.
        records_.clear();
        for (const std::shared_ptr<OTVRecord>& record : store.mRecords()) {
            if (record->mGroup())
                records_.append(record);
        }
    }
    for (const std::shared_ptr<OTVRecord>& record : records_)
        recordsByUID_.insert(record->mRecordUID(), record);
}

CExportDelegate::CExportDelegate(bool all, QList<std::shared_ptr<OTVRecord>> records)
    : CExportDelegate(all, std::move(records), OTVDataBase::sharedOTVDataBase())
{
}

void CExportDelegate::ExportComplete(EFileType, std::string)
{
    // Finder type, creator and bundle flag have no counterpart here.
    complete_.store(true);
}

void CExportDelegate::ErrorInExport(int code)
{
    if (code == kExportErrorFileWrite)
        failed_.store(true);
    else
        ++missingAttachments_;
}

bool CExportDelegate::GetTypeForLastRecord(CStringArray& typeFields, unsigned short& mask, unsigned short& icon)
{
    if (!lastType_)
        return false;
    icon = IconOf(*lastType_);
    mask = MaskOf(*lastType_);
    AddNameAndLabels(typeFields, *lastType_);
    return true;
}

bool CExportDelegate::GetNextRecord(EFileType kind, CStringArray& fields, unsigned short& mask,
                                    CStringArray& customNames, CString& category, CStringArray& attachment,
                                    unsigned short& icon, bool& newType)
{
    newType = false;
    if (next_ >= records_.size())
        return false;
    const OTVRecord& record = *records_[next_++];
    // A record without a type is shown under the unfiled type; it is exported so too.
    const std::shared_ptr<OTVType> type = record.mType() ? record.mType() : OTVType::UnfiledType();
    if (!lastType_ || !lastType_->isEqualToType(*type)) {
        newType = true;
        lastType_ = type;
    }
    if (kind == kPlainCSVFile) {
        Add(fields, type->mTypeName());
        newType = false;
    }
    icon = IconOf(*lastType_);
    mask = MaskOf(*lastType_);

    for (int field = 1; field < kNoOfFields; ++field)
        Add(fields, record.value(field));
    const std::optional<QDate> changed = StoredModificationDay(record.value(kNoOfFields));
    Add(fields, ExportDateText(changed.value_or(today_())));
    Add(fields, NotesForFile(record.mNotes()));

    if (kind == kVRX4File) {
        pending_ = record.mHasAttachment() ? MakeSideFile(record) : SideFile{};
        Add(attachment, record.mHasAttachment() ? record.mAttachmentName() : QString());
        Add(attachment, record.mHasAttachment() ? pending_.passKeyEntry : record.mAttachmentPassKey());
        Add(attachment, record.mRecordUID());
    }
    if (kind != kPlainCSVFile) {
        const OTVType* custom = record.mIsCustomized() ? record.mRecordCustomType() : nullptr;
        if (custom) {
            icon = IconOf(*custom);
            mask = MaskOf(*custom);
        }
        for (int field = 1; field <= kNoOfFields; ++field)
            Add(customNames, custom ? custom->label(field) : QString());
    }
    category = record.mGroup() ? CString(record.mGroup()->mGroupName()) : CString();
    return true;
}

CExportDelegate::SideFile CExportDelegate::MakeSideFile(const OTVRecord& record) const
{
    // The entry is the 16 key characters and the attachment's length, so that a reader can
    // remove the cipher's padding and tell a side file cut short. The file is enciphered under
    // the whole entry, which is what every reader takes as its key.
    SideFile side{record.mRecordUID(), record.mAttachmentPassKey().left(kAttachmentKeyCharacters), std::nullopt};
    int code = -1;
    side.bytes = store_.extractAttachmentData(record.mRecordUID(), &code);
    if (!side.bytes) {
        // Code 0 is an empty file, which gets its empty side file; no row or a row that cannot
        // be read leaves the record's attachment missing.
        if (code != kOTVStatusOK)
            return side;
        side.bytes = QByteArray();
    }
    side.passKeyEntry += QString::number(side.bytes->size());
    OTVFileCrypter(side.passKeyEntry).encryptData(*side.bytes);
    return side;
}

void CExportDelegate::CopyAttachmentToPath(const char* destination, const char* recordUID, const char*)
{
    const std::shared_ptr<OTVRecord> record = recordsByUID_.value(QString::fromUtf8(recordUID));
    if (!record || !record->mHasAttachment())
        return;
    if (pending_.recordUID != record->mRecordUID())
        pending_ = MakeSideFile(*record);
    const SideFile side = std::exchange(pending_, SideFile{});
    if (!side.bytes) {
        ErrorInExport(kExportErrorAttachmentRead);
        return;
    }
    if (!BKWritePrivateFile(QString::fromUtf8(destination), *side.bytes))
        ErrorInExport(kExportErrorAttachmentWrite);
}

void CExportDelegate::InitPathsForExportWithAttachments(std::string& packagePath, std::string& filePath,
                                                        std::string& attachmentFolder)
{
    const QString package = WithoutTrailingSlashes(QString::fromStdString(packagePath));
    const QFileInfo existing(package);
    if (existing.exists() && !existing.isDir())
        QFile::remove(package);
    // A folder that cannot be made shows when the file inside cannot be written.
    QDir().mkpath(package + QLatin1Char('/') + QLatin1String(kAttachmentFolderName));
    const QString name = QFileInfo(package).fileName();
    filePath = (package + QLatin1Char('/') + name).toStdString();
    attachmentFolder = (package + QLatin1Char('/') + QLatin1String(kAttachmentFolderName) + QLatin1Char('/')).toStdString();
}
