// Attachments: one file per record in ATTACHMENTTABLE. The file's bytes are enciphered with the
// attachment cipher under a pass key of 16 random characters made for each write; the file's
// name and the pass key are enciphered with the record cipher. The cipher pads the data with
// zeros, so the stored key text carries the file's length after the 16 pass-key characters;
// readers take the first 16 as the key (as rows written without a length have it) and cut the
// deciphered bytes to the length when there is one.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

#include "Model/Ciphers/CAESEncrypter.h"
#include "Model/OTVPasswordGenerator.h"
#include "Model/OTVRecord.h"
#include "Model/OTVStatusMessages.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

// The key text of the attachment cipher: the pass key's first bytes (as many as it has
// characters, at most 16) in a zeroed buffer; the cipher takes them followed by zero bytes.
using AttachmentKey = std::array<char, 17>;

AttachmentKey attachmentKey(const QString& passKey)
{
    AttachmentKey key{};
    const QByteArray bytes = passKey.toUtf8();
    const qsizetype count = std::min<qsizetype>({passKey.size(), bytes.size(), qsizetype(key.size() - 1)});
    std::memcpy(key.data(), bytes.constData(), size_t(count));
    return key;
}

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};
using CipherResult = std::unique_ptr<char, FreeDeleter>;

// The file's bytes; nullopt when it is no readable file, or when it holds more than `limit`
// bytes (then `tooLarge` is set). Symbolic links are followed: the limit applies to what is read.
std::optional<QByteArray> readFile(const QString& path, qint64 limit, bool* tooLarge = nullptr)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.size() > limit ? QByteArray() : file.readAll();
    if (file.size() > limit || bytes.size() > limit) {
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

constexpr int kPassKeyCharacters = 16;

// The stored key text: the pass key followed by the file's decimal length.
QString keyTextWithLength(const QString& passKey, qsizetype length)
{
    return passKey + QString::number(length);
}

// The deciphered bytes cut to the length that the key text carries; bytes of a row without one
// (or with a length that cannot be theirs) keep their padding.
QByteArray cutToStoredLength(QByteArray bytes, const QString& keyText)
{
    if (keyText.size() <= kPassKeyCharacters)
        return bytes;
    bool isNumber = false;
    const qlonglong length = keyText.mid(kPassKeyCharacters).toLongLong(&isNumber);
    if (isNumber && length >= 0 && length <= bytes.size())
        bytes.truncate(qsizetype(length));
    return bytes;
}

QByteArray encipherBytes(const QByteArray& plain, const QString& passKey)
{
    int length = int(plain.size());
    const AttachmentKey key = attachmentKey(passKey);
    CipherResult cipher(CAESEncrypter().Encrypt(reinterpret_cast<const unsigned char*>(key.data()),
                                                plain.constData(), &length));
    if (!cipher)
        return QByteArray("");   // an empty file is stored as an empty value, not as NULL
    return QByteArray(cipher.get(), length);
}

} // namespace

std::optional<QByteArray> OTVDataBase::encryptFile(const QString& path, const QString& with)
{
    if (with.isNull())
        return std::nullopt;
    const std::optional<QByteArray> plain = readFile(path, kAttacmentMaxSize - 1);
    if (!plain)
        return std::nullopt;
    return encipherBytes(*plain, with);
}

std::optional<QByteArray> OTVDataBase::decrypt(const QByteArray& stored, const QString& with)
{
    if (stored.isEmpty())
        return std::nullopt;
    const AttachmentKey key = attachmentKey(with);
    CipherResult plain(CAESEncrypter().Decrypt(key.data(), stored.constData(), int(stored.size())));
    return QByteArray(plain.get(), stored.size());
}

int OTVDataBase::insertAttachmentforRecordID(OTVRecord& record)
{
    StoreLock lock(*this);
    bool tooLarge = false;
    const std::optional<QByteArray> file = readFile(record.mAttachmentPath(), kAttacmentMaxSize - 1, &tooLarge);
    if (tooLarge)
        throw OTVValueTooLong();
    if (!file)
        return kOTVStatusNothingWritten;   // bound as data, a missing file fails inside the connector
    const QString passKey = getRandomPassKey();
    OTVStatement statement = prepare(kQueryInsertAttachmentTable);
    statement.setString(1, record.mRecordUID());
    statement.setBlob(2, encryptedValue(record.mAttachmentName(), kTinyBlobBytes));
    statement.setBlob(3, encryptedValue(keyTextWithLength(passKey, file->size()), kTinyBlobBytes));
    statement.setBlob(4, encipherBytes(*file, passKey));
    if (statement.executeUpdate() == 0)
        return kOTVStatusNothingWritten;
    // Only now: a record holding a key that the stored data was not enciphered with would open
    // it as garbage.
    record.setMAttachmentPassKey(passKey);
    return kOTVStatusOK;
}

int OTVDataBase::reEncryptAttachmentforRecord(const OTVRecord& record)
{
    StoreLock lock(*this);
    // A record whose row could not be read at load holds no key; writing its empty key would
    // make the stored data unreadable for good.
    if (record.mAttachmentPassKey().isEmpty())
        return kOTVStatusNothingWritten;
    OTVStatement statement = prepare(kQueryUpdateAttachmentTable);
    statement.setBlob(1, encryptedValue(record.mAttachmentName(), kTinyBlobBytes));
    statement.setBlob(2, encryptedValue(storedKeyTextFor(record), kTinyBlobBytes));
    statement.setString(3, record.mRecordUID());
    return statement.executeUpdate() > 0 ? kOTVStatusOK : kOTVStatusNothingWritten;
}

QString OTVDataBase::storedKeyTextFor(const OTVRecord& record)
{
    // The length stays with the key it was written with; a row of another key (or none) keeps
    // the record's key alone.
    OTVStatement statement = prepare(kQueryAttachmentKeyText);
    statement.setString(1, record.mRecordUID());
    OTVResultSet rows = statement.executeQuery();
    const QString passKey = record.mAttachmentPassKey();
    if (!rows.next())
        return passKey;
    const QString stored = getDecryptedString(rows.getBlob(1u));
    return !stored.isNull() && stored.left(kPassKeyCharacters) == passKey ? stored : passKey;
}

QString OTVDataBase::passKeyOfKeyText(const QString& keyText)
{
    return keyText.left(kPassKeyCharacters);
}

int OTVDataBase::removeAttachment(const std::shared_ptr<OTVRecord>& record)
{
    // The record changes only once the row is gone and the record saved, together.
    auto edited = std::make_shared<OTVRecord>(*record);
    edited->setValue(kNoOfFields, OTVRecord::modificationDateText(QDateTime::currentDateTime()));
    edited->setMHasAttachment(false);
    edited->setMAttachmentPassKey(QStringLiteral(""));
    edited->setMAttachmentName(QStringLiteral(""));
    int saved = kOTVStatusOK;
    const int status = runGuarded([&] {
        return runInTransaction([&] {
            OTVStatement statement = prepare(kQueryDeleteAttachmentTable);
            statement.setString(1, record->mRecordUID());
            statement.executeUpdate();   // a row already gone is no failure
            saved = saveRecordAfterAttachmentRemoval(edited);
            return saved;
        });
    });
    if (saved != kOTVStatusOK) {
        BKRunAlertPanel(BKLocalizedString(kDefaultAlertTitle), OTVStatusMessage(saved), BKLocalizedString("OK"));
        return saved;
    }
    if (status != kOTVStatusOK)
        return status;
    record->setValue(kNoOfFields, edited->value(kNoOfFields));
    record->setMHasAttachment(false);
    record->setMAttachmentPassKey(QStringLiteral(""));
    record->setMAttachmentName(QStringLiteral(""));
    // The save put its copy into the record map: the caller's object stays the one listed.
    changeMapsOnMainThread([this, record] {
        if (mRecords_.contains(record->mRecordUID()))
            mRecords_.insert(record->mRecordUID(), record);
    });
    return kOTVStatusOK;
}

int OTVDataBase::saveRecordAfterAttachmentRemoval(const std::shared_ptr<OTVRecord>& record)
{
    return replaceRecord(record);
}

int OTVDataBase::insertAttachmentRowCopy(const OTVRecord& source, OTVRecord& toRecord)
{
    OTVStatement statement = prepare(kQueryCopyAttchmentRow);
    statement.setString(1, toRecord.mRecordUID());
    statement.setString(2, source.mRecordUID());
    const int copied = statement.executeUpdate();
    // The copied row keeps the source's enciphered pass key, so the copy opens with it.
    toRecord.setMAttachmentPassKey(source.mAttachmentPassKey());
    return copied;
}

void OTVDataBase::copyAttachmentRow(const OTVRecord& source, OTVRecord& toRecord, int* returnCode)
{
    const QString passKeyBefore = toRecord.mAttachmentPassKey();
    // The copied name and pass key are enciphered under the key the source's row has now: a
    // change of the master password must not come between reading and storing them.
    const int status = runGuarded([&] {
        return runInTransaction([&] {
            if (const int key = checkVaultKeyUnchanged())
                return key;
            insertAttachmentRowCopy(source, toRecord);
            return int(kOTVStatusOK);
        });
    });
    if (status != kOTVStatusOK)
        toRecord.setMAttachmentPassKey(passKeyBefore);
    if (returnCode)
        *returnCode = status;
}

std::optional<QByteArray> OTVDataBase::extractAttachmentDataForRecord(const OTVRecord& record, int* returnCode)
{
    return extractAttachmentData(record.mRecordUID(), returnCode);
}

std::optional<QByteArray> OTVDataBase::extractAttachmentData(const QString& recordUID, int* returnCode)
{
    std::optional<QByteArray> data;
    bool found = false;
    const int status = runGuarded(
        [&] {
            OTVStatement statement = prepare(kQueryAttachments);
            statement.setString(1, recordUID);
            OTVResultSet rows = statement.executeQuery();
            if (!rows.next())
                return kOTVStatusOK;
            found = true;
            const QString keyText = getDecryptedString(rows.getBlob(3u));
            if (keyText.isNull())
                throw std::runtime_error("the attachment's pass key cannot be deciphered");
            const QByteArray stored = rows.getBlob(4u);
            // An empty file is stored as an empty value (NULL would be no data).
            data = stored.isEmpty() && !rows.isNull(4u) ? std::optional<QByteArray>(QByteArray(""))
                                                        : decrypt(stored, keyText.left(kPassKeyCharacters));
            if (data)
                data = cutToStoredLength(*data, keyText);
            return kOTVStatusOK;
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    if (status != kOTVStatusOK) {
        if (returnCode)
            *returnCode = status;
        return std::nullopt;
    }
    if (found && returnCode)
        *returnCode = kOTVStatusOK;
    return data;
}
