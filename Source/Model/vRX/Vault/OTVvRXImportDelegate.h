#pragma once

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/vRX/CvRXImporter.h"

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class BKGroup;
class OTVRecord;
class OTVType;

// The importer's delegate over the vault: files every record of the file in one target group,
// under a vault type of the same name as the file's type (added once when the vault has none),
// with a custom type where the line's icon, mask or labels differ from it, and with its attachment
// taken from the side files of a version 4.0 package. Made on the main thread; the importer then
// runs on a worker while the main thread polls IsImportComplete() in an event loop (the store
// hands its map changes and error reports to the main thread and waits).
//
// Every record line that is not added is counted with its reason; the file as a whole may be
// refused (not a record file, wrong password), and then nothing is added. Records are stored a
// few hundred at a time (the store's addRecords), the last of them when the import completes.
class OTVvRXImportDelegate : public CvRXImporterDelegate {
public:
    // path: the file read (for a package, the file inside it), whose folder holds "Files".
    // targetGroup: the group that receives every record; without one nothing is imported.
    // attachmentFolder: the application's private folder for deciphered attachments.
    OTVvRXImportDelegate(const std::string& path, std::shared_ptr<BKGroup> targetGroup,
                         const QString& attachmentFolder, OTVDataBase& store,
                         std::function<QDateTime()> now = &QDateTime::currentDateTime);
    OTVvRXImportDelegate(const std::string& path, std::shared_ptr<BKGroup> targetGroup,
                         const QString& attachmentFolder);
    ~OTVvRXImportDelegate() override;
    OTVvRXImportDelegate(const OTVvRXImportDelegate&) = delete;
    OTVvRXImportDelegate& operator=(const OTVvRXImportDelegate&) = delete;

    bool IsImportComplete() const { return complete_.load(); }

    // Runs `importer`, whose delegate is this one or one that hands its calls on to this one, on
    // the calling thread. Whatever is thrown out of the reading ends the import where it stands:
    // the records read before it are stored and counted, the import is complete, and
    // Interrupted() and Summary() tell that the file was not read to its end.
    void Import(CvRXImporter& importer, const std::string& password);
    bool Interrupted() const { return interrupted_; }

    // What the import did; read once it is complete.
    int ImportedCount() const { return imported_; }
    int FailedCount() const { return failed_; }
    // Why record lines were not added: each reason with how many it kept out.
    const QMap<QString, int>& FailureReasons() const { return failureReasons_; }
    // Records added without their attachment, whose side file was missing or unreadable.
    int MissingAttachments() const { return missingAttachments_; }
    // Records added without their attachment, whose side file is not as long as the line says.
    int DamagedAttachments() const { return damagedAttachments_; }
    // Why the whole file was refused; empty when it was read.
    QString Refusal() const { return refusal_; }
    // For the message at the end: "n of m records imported." and the reasons, or the refusal.
    QString Summary() const;

    void CreateType(const CStringArray& fields, unsigned short icon, unsigned short mask,
                    unsigned short count) override;
    void AddRecord(EFileType kind, const CStringArray& fields, const CStringArray& customNames,
                   const CStringArray& attachment, const CString& category, unsigned short icon,
                   unsigned short mask, unsigned short count) override;
    void ImportComplete() override;
    void ErrorInImport(int code) override;

private:
    // The vault type for the records of the last type line: resolved at its first record. isNew:
    // the vault has no such type yet, and it is to be stored with the record.
    std::shared_ptr<OTVType> ResolveType(QString& whyNot, bool& isNew);
    void TypeResolved(const std::shared_ptr<OTVType>& type);
    // The type's row was refused (status): its name's records fail with the reason from now on.
    void TypeFailed(const std::shared_ptr<OTVType>& type, int status);
    // Stores the records read so far, and counts each as imported or failed.
    void StorePending();
    void BuildRecord(OTVRecord& record, EFileType kind, const CStringArray& fields, const CStringArray& customNames,
                     unsigned short icon, unsigned short mask, unsigned short count) const;
    // Value 10 of a record whose line gives `entry` as its date: that day, else now.
    QString ModificationDateText(const QString& entry) const;
    enum class SideFileResult { Extracted, Missing, Damaged, TooLarge };
    // Deciphers the side file into the attachment folder (path in deciphered): missing when it
    // cannot be had, damaged when its size is not what the pass-key entry's length says, too
    // large for an attachment over the vault's limit.
    SideFileResult ExtractSideFile(const QString& fileUID, const QString& passKeyEntry, const QString& recordUID,
                                   QString& deciphered) const;
    void AttachFromPackage(OTVRecord& record, const CStringArray& attachment);
    void RecordFailed(const QString& reason);
    // The end of an import that something thrown out of the reading stopped.
    void ImportStopped();

    OTVDataBase& store_;
    std::string path_;
    std::shared_ptr<BKGroup> targetGroup_;
    QString attachmentFolder_;
    std::function<QDateTime()> now_;

    std::shared_ptr<OTVType> lineType_;        // made from the last type line, not stored yet
    std::shared_ptr<OTVType> currentType_;     // the vault type its records are filed under
    QString typeFailure_;                      // why the last type line has no vault type
    QHash<QString, std::shared_ptr<OTVType>> resolvedByName_;
    QHash<QString, QString> failedTypeNames_;  // names whose type could not be added, and why
    std::set<const OTVType*> newTypes_;        // resolved, not stored yet: stored with a record
    mutable QString lastDateEntry_;            // the last date entry read, and its value 10
    mutable QString lastDateText_;

    // The records read and not yet stored, and the deciphered attachments that they refer to.
    std::vector<OTVDataBase::RecordToAdd> pending_;
    QStringList pendingFiles_;
    qint64 pendingFileBytes_ = 0;

    std::atomic<bool> complete_{false};
    int imported_ = 0;
    int failed_ = 0;
    int missingAttachments_ = 0;
    int damagedAttachments_ = 0;
    QMap<QString, int> failureReasons_;
    QString fileCutReason_;   // the reason of a file that ends inside a record: it happens once
    QString refusal_;
    bool interrupted_ = false;
};
