#pragma once

#include "BKGroup.h"
#include "OTVTextPack.h"
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
    // The same without value 10, for a maker that sets it: the local time's conversion would
    // cost a run of new records (an import) more than the rest of each.
    static std::shared_ptr<OTVRecord> createUndatedRecord();
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
    // The same text, written into `text`.
    static QLatin1StringView modificationDateDisplayText(const QString& stored, char (&text)[32]);

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
    // The same for texts of Latin-1 characters (a load's texts are mostly ASCII: they go into the
    // record without a string of their own each).
    void setValuesAndNotes(const std::array<QLatin1StringView, kNoOfFields>& values, QLatin1StringView notes);

    QString mNotes() const { return mTexts_.text(kNotesText); }
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
    QString mValue10ForDisaply() const { return mTexts_.text(kValue10DisplayText); }
    void setMValue10ForDisaply(const QString& text);

    // What the record list's search looks in, as the pack's one text: values 1 to 9, value 10 as
    // shown and the notes, case-folded (searchFolded), each followed by a separator. Kept up to
    // date by the setters, so that a search of many records folds no text but the term.
    // In UTF-16 the separator is kSearchTextSeparator, U+FFFF, a noncharacter: a term that holds
    // it cannot be looked for in the search text. In Latin-1 it is kLatin1SearchTextSeparator,
    // 'A', which no folded text holds, so that no folded term can match across it.
    const OTVTextPack& mSearchText() const { return mSearchText_; }
    static constexpr char16_t kSearchTextSeparator = u'\uFFFF';
    static constexpr char kLatin1SearchTextSeparator = 'A';
    // Each code point case-folded, as the case-insensitive comparisons of QString fold them:
    // folded texts compared exactly match as the originals do without regard to case.
    static QString searchFolded(QStringView text);
    static void foldInPlace(QString& text);

    // A number that changes whenever the group, type, a value, the notes or the attachment name
    // or flag are set, unique among all records of the process: a sorted list of records can
    // tell from it which of its rows are out of date.
    quint64 mRevision() const { return mRevision_; }

    QString mAttachmentName() const { return mAttachment_.get() ? mAttachment_.get()->name : QStringLiteral(""); }
    void setMAttachmentName(const QString& name)
    {
        mAttachment_.make().name = name;
        touch();
    }

    QString mAttachmentPassKey() const
    {
        return mAttachment_.get() ? mAttachment_.get()->passKey : QStringLiteral("");
    }
    void setMAttachmentPassKey(const QString& passKey) { mAttachment_.make().passKey = passKey; }

    // Local path of the file to attach or of the extracted copy; never stored.
    QString mAttachmentPath() const { return mAttachment_.get() ? mAttachment_.get()->path : QString(); }
    void setMAttachmentPath(const QString& path) { mAttachment_.make().path = path; }

    // One of OTVAttachmentState.
    int mAttachmentState() const { return mAttachmentState_; }
    void setMAttachmentState(int state) { mAttachmentState_ = state; }

private:
    // A copy of its own of an object that most records lack, kept out of line.
    template <class Object>
    class OwnCopy {
    public:
        OwnCopy() = default;
        OwnCopy(const OwnCopy& other) : object_(other.object_ ? std::make_unique<Object>(*other.object_) : nullptr) {}
        OwnCopy& operator=(const OwnCopy& other)
        {
            if (this != &other)
                object_ = other.object_ ? std::make_unique<Object>(*other.object_) : nullptr;
            return *this;
        }
        OwnCopy(OwnCopy&&) noexcept = default;
        OwnCopy& operator=(OwnCopy&&) noexcept = default;
        Object* get() const { return object_.get(); }
        void set(std::optional<Object> object)
        {
            object_ = object ? std::make_unique<Object>(std::move(*object)) : nullptr;
        }
        // The object, made empty first when there is none.
        Object& make()
        {
            if (!object_)
                object_ = std::make_unique<Object>();
            return *object_;
        }

    private:
        std::unique_ptr<Object> object_;
    };
    struct AttachmentTexts {
        QString name = QStringLiteral("");
        QString passKey = QStringLiteral("");
        QString path;
    };
    // Where the record's texts stand in mTexts_: the values first (value n at n - 1).
    enum TextIndex { kNotesText = kNoOfFields, kValue10DisplayText, kTextCount };
    // Values 1 to 9, value 10 as shown and the notes.
    static constexpr int kSearchedTexts = kNoOfFields + 1;

    QString mRecordUID_;
    std::shared_ptr<BKGroup> mGroup_;
    std::shared_ptr<OTVType> mType_;
    OwnCopy<OTVType> mRecordCustomType_;
    OwnCopy<AttachmentTexts> mAttachment_;
    // Values 1 .. kNoOfFields, the notes and value 10 as shown.
    OTVTextPack mTexts_ = emptyTexts();
    OTVTextPack mSearchText_ = initialSearchText();   // shared by every new record
    quint64 mRevision_ = nextRevision();
    int mViewCounter_ = 0;
    int mAttachmentState_ = kAttachmentUnchanged;
    bool mIsCustomized_ = false;
    bool mHasAttachment_ = false;

    static OTVTextPack emptyTexts();
    static OTVTextPack initialSearchText();
    // Sets the texts (every one of kTextCount) and the search text made of them.
    void setTexts(const QStringView* texts);
    void changeText(int index, const QString& text);
    void updateSearchText();
    // The search text in one byte a character, where the texts and their folding allow it.
    bool updateLatin1SearchText(const int* searched);
    static quint64 nextRevision();
    void touch() { mRevision_ = nextRevision(); }
};
