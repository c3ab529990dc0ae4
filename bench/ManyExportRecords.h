#pragma once
// The records that the exchange benchmarks export: runs of three types, each record with nine
// values, a date, notes and the attachment entries of version 4.0 (a pass key and a length, or
// empty ones).
#include "Model/vRX/CExporter.h"

#include <string>

class ManyRecords : public CExportDataProviderDelegate {
public:
    ManyRecords(int records, bool withAttachmentEntries)
        : records_(records), withAttachmentEntries_(withAttachmentEntries)
    {
    }
    void ExportComplete(EFileType, std::string) override {}
    void ErrorInExport(int) override {}
    bool GetTypeForLastRecord(CStringArray& typeFields, unsigned short& mask, unsigned short& icon) override
    {
        typeFields.Add(kTypeNames[type_]);
        for (int label = 1; label <= 10; ++label)
            typeFields.Add(("Label " + std::to_string(label)).c_str());
        mask = 2;
        icon = 12;
        return true;
    }
    bool GetNextRecord(EFileType, CStringArray& fields, unsigned short& mask, CStringArray& customNames,
                       CString& category, CStringArray& attachment, unsigned short& icon, bool& newType) override
    {
        if (next_ == records_)
            return false;
        const int type = (next_ / 7) % 3;
        newType = next_ == 0 || type != type_;
        type_ = type;
        const std::string n = std::to_string(next_++);
        fields.Add(("user" + n + "@example.org").c_str());
        fields.Add(("p@ss,word-" + n).c_str());
        fields.Add("https://example.org/login?next=%2Fhome");
        for (int value = 4; value <= 9; ++value)
            fields.Add(value % 2 ? "" : "some value");
        fields.Add("March 07,2011");
        fields.Add("Notes of a record,\rwith a second line and \"quotes\".");
        for (int label = 0; label < 10; ++label)
            customNames.Add("");
        category = "Work";
        attachment.Add("");
        attachment.Add(withAttachmentEntries_ ? "AbCdEfGh12345678" : "");
        attachment.Add(withAttachmentEntries_ ? "00000000000000AA" : "");
        mask = 2;
        icon = 12;
        return true;
    }
    void CopyAttachmentToPath(const char*, const char*, const char*) override {}
    bool AnyRecordHasAttachment() override { return false; }
    void InitPathsForExportWithAttachments(std::string&, std::string&, std::string&) override {}

private:
    static constexpr const char* kTypeNames[] = {"Login", "Bank", "Note"};
    const int records_;
    const bool withAttachmentEntries_;
    int next_ = 0;
    int type_ = 0;
};
