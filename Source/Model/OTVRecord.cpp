#include "OTVRecord.h"

#include "OTVUID.h"

#include "Model/Database_Engine/OTVVaultLists.h"

#include <algorithm>
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

OTVTextPack OTVRecord::emptyTexts()
{
    // One pack of empty texts shared by every new record.
    static const OTVTextPack empty = [] {
        QStringView texts[kTextCount];
        for (QStringView& text : texts)
            text = u"";
        return OTVTextPack(texts, kTextCount);
    }();
    return empty;
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
    std::shared_ptr<OTVRecord> record = createUndatedRecord();
    record->setValue(kModificationDateField, modificationDateText(QDateTime::currentDateTime()));
    return record;
}

std::shared_ptr<OTVRecord> OTVRecord::createUndatedRecord()
{
    auto record = std::make_shared<OTVRecord>();
    record->setMRecordUID(OTVUID::giveMeNewUID());
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
    if (mHasAttachment_ && mAttachmentName() != other.mAttachmentName())
        return false;
    if (!QAnyStringView::equal(mTexts_.view(kNotesText), other.mTexts_.view(kNotesText)))
        return false;
    for (int field = 1; field < kModificationDateField; ++field)
        if (!QAnyStringView::equal(mTexts_.view(field - 1), other.mTexts_.view(field - 1)))
            return false;
    return true;
}

QString OTVRecord::value(int field) const
{
    return isFieldNumber(field) ? mTexts_.text(field - 1) : QString();
}

void OTVRecord::changeText(int index, const QString& text)
{
    // The pack is made anew: a record's texts change one at a time only where a user edits them.
    std::array<QString, kTextCount> unpacked;
    QStringView texts[kTextCount];
    for (int i = 0; i < kTextCount; ++i) {
        if (i != index)
            unpacked[size_t(i)] = mTexts_.text(i);
        texts[i] = i == index ? QStringView(text) : QStringView(unpacked[size_t(i)]);
    }
    setTexts(texts);
}

void OTVRecord::setValue(int field, const QString& value)
{
    if (!isFieldNumber(field))
        return;
    if (field == kModificationDateField && value.isEmpty())
        return;
    if (field == kModificationDateField) {
        // Value 10 and its display change together.
        std::array<QString, kNoOfFields> values;
        for (int f = 1; f <= kNoOfFields; ++f)
            values[size_t(f - 1)] = f == field ? value : this->value(f);
        setValuesAndNotes(values, mNotes());
        return;
    }
    changeText(field - 1, value);
}

void OTVRecord::setValuesAndNotes(const std::array<QString, kNoOfFields>& values, const QString& notes)
{
    QStringView texts[kTextCount];
    for (int field = 1; field < kModificationDateField; ++field)
        texts[field - 1] = values[size_t(field - 1)];
    const QString& date = values[kModificationDateField - 1];
    const QString kept = date.isEmpty() ? value(kModificationDateField) : QString();
    const QString display = date.isEmpty() ? mValue10ForDisaply() : modificationDateDisplayText(date);
    texts[kModificationDateField - 1] = date.isEmpty() ? QStringView(kept) : QStringView(date);
    texts[kValue10DisplayText] = display;
    texts[kNotesText] = notes;
    setTexts(texts);
}

void OTVRecord::setValuesAndNotes(const std::array<QLatin1StringView, kNoOfFields>& values, QLatin1StringView notes)
{
    const QLatin1StringView date = values[kModificationDateField - 1];
    if (date.isEmpty()) {
        // Value 10 and its display stay as they are.
        std::array<QString, kNoOfFields> strings;
        for (int field = 1; field < kModificationDateField; ++field)
            strings[size_t(field - 1)] = values[size_t(field - 1)];
        setValuesAndNotes(strings, notes);
        return;
    }
    QLatin1StringView texts[kTextCount];
    for (int field = 1; field <= kModificationDateField; ++field)
        texts[field - 1] = values[size_t(field - 1)];
    char display[32];
    texts[kValue10DisplayText] = modificationDateDisplayText(QString(date), display);
    texts[kNotesText] = notes;
    mTexts_ = OTVTextPack(texts, kTextCount);
    updateSearchText();
}

void OTVRecord::setMNotes(const QString& notes)
{
    changeText(kNotesText, notes);
}

void OTVRecord::setMValue10ForDisaply(const QString& text)
{
    changeText(kValue10DisplayText, text);
}

void OTVRecord::setTexts(const QStringView* texts)
{
    mTexts_ = OTVTextPack(texts, kTextCount);
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

OTVTextPack OTVRecord::initialSearchText()
{
    // Eleven empty texts, each with its separator; one copy shared by all.
    static const OTVTextPack empty = [] {
        const QString text(kSearchedTexts, QLatin1Char(kLatin1SearchTextSeparator));
        const QStringView view(text);
        return OTVTextPack(&view, 1);
    }();
    return empty;
}

quint64 OTVRecord::nextRevision()
{
    static std::atomic<quint64> clock{0};
    return clock.fetch_add(1, std::memory_order_relaxed) + 1;
}

// Folding of the Latin-1 characters: a table, since a load folds every character of every record.
// 0 where the folded character is beyond Latin-1 (the micro sign folds to the Greek mu).
static const std::array<char, 256>& latin1Folding()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> folded{};
        for (int c = 1; c < 256; ++c) {
            const char32_t f = QChar::toCaseFolded(char32_t(c));
            folded[size_t(c)] = f <= 0xFF ? char(f) : '\0';
        }
        return folded;
    }();
    return table;
}

bool OTVRecord::updateLatin1SearchText(const int* searched)
{
    if (!mTexts_.isLatin1())
        return false;
    const std::array<char, 256>& folding = latin1Folding();
    qsizetype length = kSearchedTexts;
    for (int i = 0; i < kSearchedTexts; ++i) {
        const QLatin1StringView text = mTexts_.latin1(searched[i]);
        for (const char c : text) {
            if (c != '\0' && folding[uchar(c)] == '\0')
                return false;
        }
        length += text.size();
    }
    mSearchText_ = OTVTextPack::latin1Text(length, [&](char* to) {
        for (int i = 0; i < kSearchedTexts; ++i) {
            for (const char c : mTexts_.latin1(searched[i]))
                *to++ = folding[uchar(c)];
            *to++ = kLatin1SearchTextSeparator;
        }
    });
    return true;
}

void OTVRecord::updateSearchText()
{
    touch();
    // Values 1 to 9, value 10 as shown, the notes.
    int searched[kSearchedTexts];
    for (int field = 1; field < kModificationDateField; ++field)
        searched[field - 1] = field - 1;
    searched[kSearchedTexts - 2] = kValue10DisplayText;
    searched[kSearchedTexts - 1] = kNotesText;
    if (updateLatin1SearchText(searched))
        return;
    qsizetype length = kSearchedTexts;
    for (const int index : searched)
        length += mTexts_.size(index);
    QString text;
    text.reserve(length);
    for (const int index : searched) {
        if (mTexts_.isLatin1())
            text.append(mTexts_.latin1(index));
        else
            text.append(mTexts_.utf16(index));
        text.append(QChar(kSearchTextSeparator));
    }
    foldInPlace(text);
    // One byte a character where the folded texts allow it: the separators become the byte that
    // no folded text holds. A text holding U+FFFF itself stays in UTF-16, where it counts apart.
    char16_t* units = reinterpret_cast<char16_t*>(text.data());
    qsizetype separators = 0;
    bool latin1 = true;
    for (qsizetype i = 0; i < text.size() && latin1; ++i) {
        if (units[i] == kSearchTextSeparator)
            ++separators;
        else
            latin1 = units[i] <= 0xFF;
    }
    if (latin1 && separators == kSearchedTexts) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (units[i] == kSearchTextSeparator)
                units[i] = char16_t(kLatin1SearchTextSeparator);
        }
    }
    const QStringView view(text);
    mSearchText_ = OTVTextPack(&view, 1);
}

QString OTVRecord::modificationDateDisplayText(const QString& stored)
{
    char text[32];
    const QLatin1StringView display = modificationDateDisplayText(stored, text);
    return display.isEmpty() ? QStringLiteral("") : QString(display);
}

QLatin1StringView OTVRecord::modificationDateDisplayText(const QString& stored, char (&text)[32])
{
    // The C locale's month names, from a table: a load makes this text for every record.
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    const std::optional<OTVStoredTime> time = OTVStoredTimeFromText(stored);
    if (!time)
        return {};
    const QDate date = time->date;
    const int length = std::snprintf(text, sizeof text, "%s %02d,%04d", kMonths[date.month() - 1], date.day(), date.year());
    return QLatin1StringView(text, std::clamp(length, 0, int(sizeof text) - 1));
}
