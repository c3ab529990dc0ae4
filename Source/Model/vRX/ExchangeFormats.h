#pragma once

#include "Model/vRX/Blowfish.h"
#include "Model/vRX/CString.h"
#include "Model/vRX/CStringArray.h"
#include "Model/vRX/TextFile.h"

#include <optional>
#include <string>
#include <string_view>

// The record exchange formats over whole-file text: the vRX format (versions 1.0 to 4.0; 3.0
// and 4.0 are written), the plain CSV record export, the user-account CSV lines and the kind
// detection that tells them apart. A null key means a file without password.
//
// A record line as these functions see it: fields = values 1 to 9, the date ("%B %d,%Y") and
// the notes (the plain export puts the type name first); a type line's fields = the type name and
// its ten labels; mask (bit i: field i+1 masked) and icon of the type; ten custom labels; the
// category (group name); for version 4.0 the attachment name, pass key and record UID.

enum EFileType {
    kPlainCSVFile = 1,      // "Ostrevin Export File"
    kVRX1File = 2,
    kVRX2File = 3,
    kVRX3File = 4,
    kVRX4File = 5,
    kOtherVRXFile = 6,      // "Ostrevin vRX File" of another version
    kUserCSVFile = 7,
    kOtherTextFile = 8,     // read as headerless plain CSV
    kNotTextFile = 9,
};

inline constexpr char kOstrevinHeader[] = "Ostrevin Export File";
inline constexpr char kOstrevinvRXPreHeader[] = "Ostrevin vRX File";
inline constexpr char kOstrevinvRXHeader[] = "Ostrevin vRX File -v1.0";
inline constexpr char kOstrevinvRX2Header[] = "Ostrevin vRX File -v2.0";
inline constexpr char kOstrevinvRX3Header[] = "Ostrevin vRX File -v3.0";
inline constexpr char kOstrevinvRX4Header[] = "Ostrevin vRX File -v4.0";
inline constexpr char kOstrelUserCSVHeader[] =
    "Username, Password, Confirm Password, Full Name, Description, Email, Phone, Group-Permission, "
    "Type-Permission, Record-Permission, Data-Permission";
// Enciphered into the info line of a file with password, so that a password can be checked.
inline constexpr char kOstrevinvRXCrib[] = "Known plaintext of the vRX password test";

// ---- detection ----
EFileType GetFileType(std::string_view text);
// -1: not one of the four vRX versions; 0: no password, or key matches; 1: key wrong or missing.
int ProcessVRXInfo(std::string_view text, const BLOWFISH_CTX* key);
// A vRX file whose info line says it has a password.
bool CheckForEncryption(std::string_view text);

// ---- writers (append whole lines) ----
// Header line; for kinds 2 to 5 the info line too. Kind 7 the user header; any other kind the
// plain export header.
void WriteHeader(EFileType kind, std::string& out, const BLOWFISH_CTX* key);
void WriteVRXInfo(std::string& out, const BLOWFISH_CTX* key);
// Plain CSV without key, every byte kept (FormatExactCSVField); with key the text and its NUL, zero-padded to whole blocks, enciphered
// and written as upper-case hex.
void WriteFieldString(std::string& out, const BLOWFISH_CTX* key, std::string_view text);
// One body line of kind 4 or 5. A record line always gets its full layout (ten values and date,
// three attachment fields in kind 5, ten custom labels): missing entries are written empty, so
// that a reader finds every field in its place. A type line carries the name and ten labels.
void WriteNextVRXRecord(std::string& out, EFileType kind, const BLOWFISH_CTX* key, const CStringArray& fields,
                        unsigned short mask, const CStringArray& customNames, const CString& category,
                        const CStringArray& attachment, unsigned short icon, bool isType);
void WriteNextVRXType(std::string& out, EFileType kind, const BLOWFISH_CTX* key, const CStringArray& typeFields,
                      unsigned short mask, unsigned short icon);
// Plain CSV export line: every entry and ",", then the category, CR; every byte kept
// (FormatExactCSVField), as in the user-account lines.
void WriteNextRecord(std::string& out, const CStringArray& fields, const CString& category);
// Every entry and ",", CR (event-log backup lines).
void WriteNextRecord(std::string& out, const CStringArray& fields);
// Every entry of both lists and ",", CR.
void WriteNextCSVUserRecord(std::string& out, const CStringArray& textFields, const CStringArray& permissionFields);

// ---- readers ----
// Reads the next type or record line of a file of the given kind, appending to the lists (never
// clearing them); mask, icon, isType and category are reset first. Returns the cursor after the
// line; it has moved unless the text was at its end, where no field is read. No cursor for kinds
// that hold no records (6, 7, 9).
//
// damaged is set when the line cannot be taken as it stands: a field whose quotes the text ends
// inside (cut short), an enciphered field that is not whole blocks of upper-case hex ending in a NUL, a version 3.0/4.0 line that ends before its
// layout does, fields beyond the end of the layout, a line with nothing after its flag and icon.
// The caller skips such a line and counts it.
std::optional<TextCursor> GetNextRecord(EFileType kind, TextCursor cursor, const BLOWFISH_CTX* key,
                                        CStringArray& fields, unsigned short& mask, CStringArray& customNames,
                                        CString& category, CStringArray& attachment, unsigned short& icon,
                                        bool& isType, bool& damaged);
// One plain CSV line (kinds 1 and 8): at most 12 fields, then the category.
TextCursor ProcessOstrevinRecord(TextCursor cursor, CStringArray& fields, CString& category, bool& damaged);
// One user-account line: skips the header line and empty lines, then at most 7 text fields and
// 4 permission fields. Returns the cursor at the line end; fields past the eleventh set damaged.
TextCursor GetCSVUserRecord(TextCursor cursor, CStringArray& textFields, CStringArray& permissionFields,
                            bool& damaged);
