#include "OTVRecord.h"

#include "OTVUID.h"

#include "Model/Database_Engine/OTVVaultLists.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kModificationDateField = kNoOfFields;

bool isFieldNumber(int field)
{
    return field >= 1 && field <= kNoOfFields;
}

// Two references are the same when both are missing or both name the same UID.
template <class Object>
bool sameUID(const Object* a, const Object* b, const QString& (Object::*uid)() const)
{
    if (!a || !b)
        return !a && !b;
    return (a->*uid)() == (b->*uid)();
}

} // namespace

std::array<QString, kNoOfFields> OTVRecord::emptyValues()
{
    std::array<QString, kNoOfFields> values;
    values.fill(QStringLiteral(""));
    return values;
}

QString OTVRecord::modificationDateText(const QDateTime& time)
{
    // Qt's time-zone format gives a name such as "CET"; stored dates carry the numeric offset.
    const int offsetSeconds = time.offsetFromUtc();
    const int offsetMinutes = std::abs(offsetSeconds) / 60;
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        + QStringLiteral(" %1%2%3")
              .arg(offsetSeconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
              .arg(offsetMinutes / 60, 2, 10, QLatin1Char('0'))
              .arg(offsetMinutes % 60, 2, 10, QLatin1Char('0'));
}

std::shared_ptr<OTVRecord> OTVRecord::createRecord()
{
    auto record = std::make_shared<OTVRecord>();
    record->setMRecordUID(OTVUID::giveMeNewUID());
    record->setValue(kModificationDateField, modificationDateText(QDateTime::currentDateTime()));
    return record;
}

std::shared_ptr<OTVRecord> OTVRecord::copyRecord(const OTVRecord& source)
{
    std::shared_ptr<OTVRecord> copy = createRecord();
    copy->setMGroup(source.mGroup());
    copy->setMType(source.mType());
    for (int field = 1; field <= kNoOfFields; ++field)
        copy->setValue(field, source.value(field));
    copy->setMHasAttachment(source.mHasAttachment());
    copy->setMAttachmentName(source.mAttachmentName());
    copy->setMAttachmentPassKey(source.mAttachmentPassKey());
    copy->setMValue10ForDisaply(source.mValue10ForDisaply());
    copy->setMNotes(source.mNotes());
    copy->setMViewCounter(source.mViewCounter());

    const OTVType* customType = source.mRecordCustomType();
    if (source.mIsCustomized() && customType) {
        // The custom type is the record's own: the copy gets its own, under a new identity.
        OTVType ownType = *OTVType::createCopyforType(*customType);
        ownType.setMTypeUID(OTVUID::giveMeNewUID());
        copy->setMRecordCustomType(std::move(ownType));
        copy->setMIsCustomized(true);
    }
    return copy;
}

bool OTVRecord::isEqualToRecord(const OTVRecord& other) const
{
    if (!sameUID(mGroup_.get(), other.mGroup_.get(), &BKGroup::mGroupUID))
        return false;
    if (!sameUID(mType_.get(), other.mType_.get(), &OTVType::mTypeUID))
        return false;
    if (mIsCustomized_ != other.mIsCustomized_)
        return false;
    if (mIsCustomized_) {
        const OTVType* mine = mRecordCustomType();
        const OTVType* theirs = other.mRecordCustomType();
        if (!mine || !theirs) {
            if (mine || theirs)
                return false;
        } else if (mine->isNotEqualToCustomType(*theirs)) {
            return false;
        }
    }
    if (mHasAttachment_ != other.mHasAttachment_)
        return false;
    if (mHasAttachment_ && mAttachmentName_ != other.mAttachmentName_)
        return false;
    if (mNotes_ != other.mNotes_)
        return false;
    for (int field = 1; field < kModificationDateField; ++field)
        if (value(field) != other.value(field))
            return false;
    return true;
}

QString OTVRecord::value(int field) const
{
    return isFieldNumber(field) ? mValues_[field - 1] : QString();
}

void OTVRecord::setValue(int field, const QString& value)
{
    if (!isFieldNumber(field))
        return;
    if (field == kModificationDateField && value.isEmpty())
        return;
    mValues_[field - 1] = value;
    if (field == kModificationDateField)
        mValue10ForDisaply_ = modificationDateDisplayText(value);
    updateSearchText();
}

void OTVRecord::setValuesAndNotes(const std::array<QString, kNoOfFields>& values, const QString& notes)
{
    for (int field = 1; field < kModificationDateField; ++field)
        mValues_[field - 1] = values[field - 1];
    const QString& date = values[kModificationDateField - 1];
    if (!date.isEmpty()) {
        mValues_[kModificationDateField - 1] = date;
        mValue10ForDisaply_ = modificationDateDisplayText(date);
    }
    mNotes_ = notes;
    updateSearchText();
}

void OTVRecord::setMNotes(const QString& notes)
{
    mNotes_ = notes;
    updateSearchText();
}

void OTVRecord::setMValue10ForDisaply(const QString& text)
{
    mValue10ForDisaply_ = text;
    updateSearchText();
}

QString OTVRecord::searchFolded(QStringView text)
{
    QString folded = text.toString();
    foldInPlace(folded);
    return folded;
}

void OTVRecord::foldInPlace(QString& folded)
{
    // Unit by unit; a surrogate pair is folded as its code point. (Simple folding keeps a code
    // point in its plane, so the length stays.)
    char16_t* units = reinterpret_cast<char16_t*>(folded.data());
    const qsizetype n = folded.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = units[i];
        if (c < 0x80) {
            if (c >= u'A' && c <= u'Z')
                units[i] = char16_t(c + (u'a' - u'A'));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(units[i + 1])) {
            const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(c, units[i + 1]));
            units[i] = QChar::highSurrogate(f);
            units[++i] = QChar::lowSurrogate(f);
        } else {
            units[i] = char16_t(QChar::toCaseFolded(char32_t(c)));
        }
    }
}

QString OTVRecord::initialSearchText()
{
    // Eleven empty texts, each with its separator; one copy shared by all.
    static const QString empty(kNoOfFields + 1, QChar(kSearchTextSeparator));
    return empty;
}

quint64 OTVRecord::nextRevision()
{
    static std::atomic<quint64> clock{0};
    return clock.fetch_add(1, std::memory_order_relaxed) + 1;
}

void OTVRecord::updateSearchText()
{
    touch();
    qsizetype length = mValue10ForDisaply_.size() + mNotes_.size() + kNoOfFields + 1;
    for (int field = 1; field < kModificationDateField; ++field)
        length += mValues_[field - 1].size();
    QString text;
    text.reserve(length);
    const auto add = [&](const QString& part) {
        text.append(part);
        text.append(QChar(kSearchTextSeparator));
    };
    for (int field = 1; field < kModificationDateField; ++field)
        add(mValues_[field - 1]);
    add(mValue10ForDisaply_);
    add(mNotes_);
    foldInPlace(text);
    mSearchText_ = std::move(text);
}

QString OTVRecord::modificationDateDisplayText(const QString& stored)
{
    // The C locale's month names, from a table: a load makes this text for every record.
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    const std::optional<OTVStoredTime> time = OTVStoredTimeFromText(stored);
    if (!time)
        return QStringLiteral("");
    const QDate date = time->date;
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%s %02d,%04d", kMonths[date.month() - 1], date.day(), date.year());
    return QString::fromLatin1(text, length);
}
