#include "OTVRecord.h"

#include "OTVUID.h"

#include "Model/Database_Engine/OTVVaultLists.h"

#include <QLocale>

#include <cstdlib>

namespace {

constexpr int kModificationDateField = kNoOfFields;

bool isFieldNumber(int field)
{
    return field >= 1 && field <= kNoOfFields;
}

// Two references are the same when both are missing or both name the same UID.
template <class Object>
bool sameUID(const Object* a, const Object* b, QString (Object::*uid)() const)
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
}

QString OTVRecord::modificationDateDisplayText(const QString& stored)
{
    const QDateTime time = OTVModificationDateFromText(stored);
    if (!time.isValid())
        return QStringLiteral("");
    return QLocale::c().toString(time.date(), QStringLiteral("MMMM dd,yyyy"));
}
