#pragma once

#include "BKGroup.h"
#include "OTVType.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <memory>
#include <optional>

// What the next add or replace of a record does with its attachment row.
enum OTVAttachmentState : int {
    kAttachmentUnchanged = 0,   // nothing to do
    kAttachmentStoreFile = 1,   // store the file at mAttachmentPath
    kAttachmentRemoved = 2,     // the removal deleted the row already; write nothing
    kAttachmentCopyRow = 3,     // the caller copies the row of the record this one duplicates
    kAttachmentReencipher = 4,  // re-encipher the stored name and pass key
};

// One record: ten values (the tenth holds the time of the last change), notes, an optional
// attachment and an optional custom type of its own. Records are shared by the store's map,
// the views and the workers; a record's group and type are the very objects of the store's
// maps, its custom type belongs to the record alone.
class OTVRecord {
public:
    // No UID, group or type; values, notes and attachment texts empty; counters 0.
    OTVRecord() = default;

    // A new record: new UID, no group or type, view counter 0, value 10 the current time.
    static std::shared_ptr<OTVRecord> createRecord();
    // A new record (new UID, value 10 now) with the source's group, type, values (value 10
    // stays now only when the source's is empty), flags, attachment name and pass key, display
    // text of value 10, notes and view counter. Attachment state 0, no attachment path. A
    // customised source with a custom type gives a copy of that type under a new UID; otherwise
    // the copy is neither customised nor has a custom type.
    static std::shared_ptr<OTVRecord> copyRecord(const OTVRecord& source);
    // The time as value 10 holds it: "yyyy-MM-dd HH:mm:ss +HHMM".
    static QString modificationDateText(const QDateTime& time);
    // Value 10 as the views show it: "%B %d,%Y" with English month names ("March 05,2009"),
    // the day as stored (the offset does not move it); empty when the text is no stored time.
    static QString modificationDateDisplayText(const QString& stored);

    // Duplicate detection: equal group and type UIDs, customised flags, custom types (when
    // customised), attachment flags, attachment names (when there is an attachment), notes
    // and values 1 to 9. Value 10 and the UID are not compared. Missing groups, types or custom
    // types are equal to each other and unequal to present ones.
    bool isEqualToRecord(const OTVRecord& other) const;

    QString mRecordUID() const { return mRecordUID_; }
    void setMRecordUID(const QString& uid) { mRecordUID_ = uid; }

    const std::shared_ptr<BKGroup>& mGroup() const { return mGroup_; }
    void setMGroup(std::shared_ptr<BKGroup> group)
    {
        mGroup_ = std::move(group);
        touch();
    }

    const std::shared_ptr<OTVType>& mType() const { return mType_; }
    void setMType(std::shared_ptr<OTVType> type)
    {
        mType_ = std::move(type);
        touch();
    }

    // The record's own labels, icon and mask; nullptr when it has none.
    const OTVType* mRecordCustomType() const { return mRecordCustomType_.get(); }
    OTVType* mRecordCustomType() { return mRecordCustomType_.get(); }
    void setMRecordCustomType(std::optional<OTVType> type) { mRecordCustomType_.set(std::move(type)); }

    // Value 1 .. kNoOfFields; a null text for any other number, whose setting is ignored.
    // Setting value 10 to the empty text keeps the old value: the time of the last change is
    // never blanked.
    QString value(int field) const;
    void setValue(int field, const QString& value);
    // Values 1 .. kNoOfFields and the notes at once, each as setValue and setMNotes would set it
    // (a load sets them all, and the search text is made once).
    void setValuesAndNotes(const std::array<QString, kNoOfFields>& values, const QString& notes);

    QString mNotes() const { return mNotes_; }
    void setMNotes(const QString& notes);

    bool mIsCustomized() const { return mIsCustomized_; }
    void setMIsCustomized(bool customized) { mIsCustomized_ = customized; }

    bool mHasAttachment() const { return mHasAttachment_; }
    void setMHasAttachment(bool hasAttachment)
    {
        mHasAttachment_ = hasAttachment;
        touch();
    }

    int mViewCounter() const { return mViewCounter_; }
    void setMViewCounter(int count) { mViewCounter_ = count; }

    // Value 10 as shown (modificationDateDisplayText); setting value 10 sets it too, so that a
    // search finds the date as the views show it. Copied with the record, never stored.
    QString mValue10ForDisaply() const { return mValue10ForDisaply_; }
    void setMValue10ForDisaply(const QString& text);

    // What the record list's search looks in: values 1 to 9, value 10 as shown and the notes,
    // case-folded (searchFolded), each followed by kSearchTextSeparator. Kept up to date by the
    // setters, so that a search of many records folds no text but the term.
    const QString& mSearchText() const { return mSearchText_; }
    // U+FFFF, a noncharacter: a term that holds it cannot be looked for in mSearchText.
    static constexpr char16_t kSearchTextSeparator = u'\uFFFF';
    // Each code point case-folded, as the case-insensitive comparisons of QString fold them:
    // folded texts compared exactly match as the originals do without regard to case.
    static QString searchFolded(QStringView text);
    static void foldInPlace(QString& text);

    // A number that changes whenever the group, type, a value, the notes or the attachment name
    // or flag are set, unique among all records of the process: a sorted list of records can
    // tell from it which of its rows are out of date.
    quint64 mRevision() const { return mRevision_; }

    QString mAttachmentName() const { return mAttachmentName_; }
    void setMAttachmentName(const QString& name)
    {
        mAttachmentName_ = name;
        touch();
    }

    QString mAttachmentPassKey() const { return mAttachmentPassKey_; }
    void setMAttachmentPassKey(const QString& passKey) { mAttachmentPassKey_ = passKey; }

    // Local path of the file to attach or of the extracted copy; never stored.
    QString mAttachmentPath() const { return mAttachmentPath_; }
    void setMAttachmentPath(const QString& path) { mAttachmentPath_ = path; }

    // One of OTVAttachmentState.
    int mAttachmentState() const { return mAttachmentState_; }
    void setMAttachmentState(int state) { mAttachmentState_ = state; }

private:
    QString mRecordUID_;
    std::shared_ptr<BKGroup> mGroup_;
    std::shared_ptr<OTVType> mType_;
    // Out of line: few records have one, and a vault's records are loaded by the 100,000.
    class OwnType {
    public:
        OwnType() = default;
        OwnType(const OwnType& other) : type_(other.type_ ? std::make_unique<OTVType>(*other.type_) : nullptr) {}
        OwnType& operator=(const OwnType& other)
        {
            if (this != &other)
                type_ = other.type_ ? std::make_unique<OTVType>(*other.type_) : nullptr;
            return *this;
        }
        OwnType(OwnType&&) noexcept = default;
        OwnType& operator=(OwnType&&) noexcept = default;
        OTVType* get() const { return type_.get(); }
        void set(std::optional<OTVType> type) { type_ = type ? std::make_unique<OTVType>(std::move(*type)) : nullptr; }

    private:
        std::unique_ptr<OTVType> type_;
    };
    OwnType mRecordCustomType_;
    std::array<QString, kNoOfFields> mValues_ = emptyValues();
    QString mNotes_ = QStringLiteral("");
    bool mIsCustomized_ = false;
    bool mHasAttachment_ = false;
    int mViewCounter_ = 0;
    QString mValue10ForDisaply_ = QStringLiteral("");
    QString mAttachmentName_ = QStringLiteral("");
    QString mAttachmentPassKey_ = QStringLiteral("");
    QString mAttachmentPath_;
    int mAttachmentState_ = kAttachmentUnchanged;
    QString mSearchText_ = initialSearchText();   // shared by every new record
    quint64 mRevision_ = nextRevision();

    static std::array<QString, kNoOfFields> emptyValues();
    static QString initialSearchText();
    void updateSearchText();
    static quint64 nextRevision();
    void touch() { mRevision_ = nextRevision(); }
};
