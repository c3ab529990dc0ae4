#pragma once

// The rules of the record details window that need no widgets: how its contents become a record,
// what happens to the attachment, the notes limit, the date texts of the date picker and the
// attachment size check. The window (BKDetailsWindowController) only gathers its controls into a
// BKDetailsForm and applies these.

#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUID.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <array>
#include <memory>
#include <optional>

// The window's operations: what it was opened for, and what the caller is to do with its answer.
enum BKDetailsOperation : int {
    kDetailsAdd = 0,         // in: a new record;   out: add the answer
    kDetailsEdit = 1,        // in: edit a record;  out: replace the given record with the answer
    kDetailsDuplicate = 2,   // in: a duplicate;    out: store the answer as a new record
    kDetailsDelete = 3,      // out only, with no answer: delete the given record
};

inline constexpr int kDetailsMatrixControlCount = 5;   // rows per column of fields
inline constexpr int kDetailsNotesLimit = 4000;        // UTF-16 units, as the stored notes count
inline constexpr qint64 kDetailsAttachmentMaxSize = 1048576;   // files must be smaller
inline const QString kDetailsMaskMark = QStringLiteral("*");

// "Field 7": the label of a field whose type names none.
QString BKGenericFieldLabel(int field);
// Whether a label asks for a date button: it contains "date" in any case once trimmed.
bool BKLabelShowsDateButton(const QString& label);
// Whether field n is masked by `mask` (bit n-1).
bool BKFieldIsMasked(std::optional<int> mask, int field);

// The notes as stored: at most kDetailsNotesLimit units, never ending in half a surrogate pair.
QString BKTruncatedNotes(const QString& notes);

// The date picker's text forms: it writes "M/d/yy" (month and day without a leading zero), and
// reads that form when the part after the last "/" is a number up to 99 (two-digit years mean
// 2000-2099), else "MM/dd/yyyy". Text that is no date gives `today`.
QString BKPickerTextFromDate(const QDate& date);
QDate BKDateFromPickerText(const QString& text, const QDate& today);

// The attachment size check, on the file that will actually be read: the path with its symbolic
// links resolved must be a regular file smaller than kDetailsAttachmentMaxSize. The resolved path
// when it passes, a null string otherwise.
QString BKAcceptableAttachmentPath(const QString& chosenPath);
// Whether the vault can store the chosen file's name as the attachment's name (enciphered in a
// TINYBLOB: at most 240 UTF-8 bytes), asked when the file is chosen so that nothing typed is lost.
bool BKAttachmentNameFits(const QString& chosenPath);

// What a record's attachment becomes, from the window's state.
struct BKAttachmentResult {
    bool hasAttachment = false;
    QString name;
    QString path;
    int state = kAttachmentUnchanged;
};
// `modified`: a file was added or the attachment removed while the window was open; `name` the
// attachment name shown; `pendingPath` the file chosen while open (null when none).
BKAttachmentResult BKAttachmentForResult(bool modified, const QString& name, bool duplicateMode,
                                         const QString& pendingPath);

// Everything the window shows that goes into the record it answers with.
struct BKDetailsForm {
    std::shared_ptr<BKGroup> group;
    std::shared_ptr<OTVType> type;   // nullptr when no type is chosen
    std::array<QString, kNoOfFields - 1> values;   // fields 1-9; field 10 is stamped anew
    QString notes;
    int iconNumber = 0;              // the icon shown
    QString attachmentName;
    QString pendingAttachmentPath;
    bool attachmentModified = false;
    bool duplicateMode = false;
};

// The custom-type state the result building reads and updates: the labels made by the Customize
// panel while the window is open, whether the next result takes them, and the customising switch.
struct BKCustomTypeState {
    std::optional<OTVType> typeCustomFields;
    bool isCustomFromDetailPanel = false;
    bool customizing = false;
};

// The record deletion question: true only for Yes.
bool BKConfirmRecordDeletion();

// The first of fields 1-9 whose value the store would refuse (too long for its column, or text
// that cannot be stored), or 0 when all of them can be stored.
int BKFirstUnstorableField(const BKDetailsForm& form);

// A new record (new UID) built from the form, stamped `now`. `givenCustomType` is the custom
// type of the record the window was opened on (or of its copy), nullptr for none. An icon other
// than the type's makes the record customised with a copy of the type carrying that icon. A
// record is marked customised only when it gets a custom type.
std::shared_ptr<OTVRecord> BKRecordFromForm(const BKDetailsForm& form, const OTVType* givenCustomType,
                                            BKCustomTypeState& state, const QDateTime& now);

// The answer of an edit: it replaces `given`, so it takes its UID, and, when the attachment was
// not changed, what the store keeps of it (the pass key that opens the stored file, the local
// copy's path) and its view count.
void BKTakeIdentityForReplace(OTVRecord& result, const OTVRecord& given, bool attachmentModified);
