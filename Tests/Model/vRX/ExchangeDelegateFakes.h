#pragma once

// Stand-ins for the exporter's provider and the importer's delegate: a provider that hands out
// scripted lines, and a delegate that keeps every call it gets.

#include "Model/vRX/CExporter.h"
#include "Model/vRX/CvRXImporter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ostream>
#include <string>
#include <vector>

namespace exchange_fakes {

using Texts = std::vector<std::string>;

// A type or record line as the engines pass it on.
struct Line {
    bool isType = false;
    unsigned short icon = 31;
    unsigned short mask = 0;
    Texts fields;        // type: name + labels; record: values, date, notes (plain: type name first)
    Texts customNames;
    std::string category;
    Texts attachment;    // version 4.0: name, pass key, record UID

    bool operator==(const Line& o) const
    {
        return isType == o.isType && icon == o.icon && mask == o.mask && fields == o.fields
               && customNames == o.customNames && category == o.category && attachment == o.attachment;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Line& line)
{
    out << (line.isType ? "type" : "record") << " icon " << line.icon << " mask " << line.mask << " fields [";
    for (const auto& f : line.fields)
        out << '"' << f.substr(0, 30) << "\" ";
    out << "] labels [";
    for (const auto& f : line.customNames)
        out << '"' << f << "\" ";
    out << "] category \"" << line.category << "\" attachment [";
    for (const auto& a : line.attachment)
        out << '"' << a << "\" ";
    return out << "]";
}

inline void Fill(CStringArray& list, const Texts& texts)
{
    for (const auto& text : texts)
        list.Add(text.c_str());
}

inline Texts TextsOf(const CStringArray& list)
{
    Texts texts;
    for (short i = 0; i < list.GetSize(); ++i)
        texts.emplace_back(list.GetAt(i));
    return texts;
}

// One record to export with the type line that describes it.
struct Provided {
    Line type;     // name + ten labels, icon, mask
    Line record;
};

class ScriptedProvider : public CExportDataProviderDelegate {
public:
    explicit ScriptedProvider(std::vector<Provided> items)
        : items_(std::move(items))
    {
    }

    void ExportComplete(EFileType kind, std::string path) override
    {
        ++completeCalls;
        completedKind = kind;
        completedPath = path;
    }
    void ErrorInExport(int code) override { errors.push_back(code); }
    bool GetTypeForLastRecord(CStringArray& typeFields, unsigned short& mask, unsigned short& icon) override
    {
        if (failTypeLookup)
            return false;
        const Line& type = items_[next_ - 1].type;
        Fill(typeFields, type.fields);
        mask = type.mask;
        icon = type.icon;
        return true;
    }
    bool GetNextRecord(EFileType, CStringArray& fields, unsigned short& mask, CStringArray& customNames,
                       CString& category, CStringArray& attachment, unsigned short& icon, bool& newType) override
    {
        newType = false;
        if (next_ >= items_.size())
            return false;
        const Provided& item = items_[next_];
        newType = next_ == 0 || !(items_[next_ - 1].type == item.type);
        ++next_;
        Fill(fields, item.record.fields);
        Fill(customNames, item.record.customNames);
        Fill(attachment, item.record.attachment);
        category = item.record.category.c_str();
        mask = item.record.mask;
        icon = item.record.icon;
        return true;
    }
    void CopyAttachmentToPath(const char* destination, const char* recordUID, const char* passKey) override
    {
        copies.push_back({destination, recordUID, passKey});
        QFile file(QString::fromUtf8(destination));
        if (!file.open(QIODevice::WriteOnly))
            ErrorInExport(kExportErrorAttachmentWrite);
        else
            file.write(recordUID);
    }
    bool AnyRecordHasAttachment() override { return hasAttachments; }
    void InitPathsForExportWithAttachments(std::string& packagePath, std::string& filePath,
                                           std::string& attachmentFolder) override
    {
        const std::string package = packagePath;
        QDir().mkpath(QString::fromStdString(package + "/Files"));
        filePath = package + "/" + QFileInfo(QString::fromStdString(package)).fileName().toStdString();
        attachmentFolder = package + "/Files/";
    }

    bool hasAttachments = true;
    bool failTypeLookup = false;
    int completeCalls = 0;
    EFileType completedKind = kNotTextFile;
    std::string completedPath;
    std::vector<int> errors;
    std::vector<Texts> copies;   // destination, record UID, pass key

private:
    std::vector<Provided> items_;
    size_t next_ = 0;
};

class RecordingDelegate : public CvRXImporterDelegate {
public:
    void CreateType(const CStringArray& fields, unsigned short icon, unsigned short mask,
                    unsigned short count) override
    {
        Line line;
        line.isType = true;
        line.icon = icon;
        line.mask = mask;
        line.fields = TextsOf(fields);
        counts.push_back(count);
        lines.push_back(line);
    }
    void AddRecord(EFileType kind, const CStringArray& fields, const CStringArray& customNames,
                   const CStringArray& attachment, const CString& category, unsigned short icon,
                   unsigned short mask, unsigned short count) override
    {
        Line line;
        line.icon = icon;
        line.mask = mask;
        line.fields = TextsOf(fields);
        line.customNames = TextsOf(customNames);
        line.attachment = TextsOf(attachment);
        line.category = static_cast<const char*>(category);
        kinds.push_back(kind);
        counts.push_back(count);
        lines.push_back(line);
    }
    void ImportComplete() override { ++completeCalls; }
    void ErrorInImport(int code) override { errors.push_back(code); }

    std::vector<Line> lines;
    std::vector<unsigned short> counts;
    std::vector<EFileType> kinds;
    std::vector<int> errors;
    int completeCalls = 0;
};

} // namespace exchange_fakes
