#pragma once

#include <QString>

#include <cstddef>
#include <string>

// One mutable text, used for the category (group name) of record lines. It holds bytes exactly
// as given (UTF-8 from this program, anything from old files), so lengths and positions count
// bytes.
class CString {
public:
    CString() = default;
    explicit CString(const QString& text);            // as UTF-8
    CString(const char* text);                         // implicit, as C strings are passed
    CString(const CString&) = default;
    CString& operator=(const CString&) = default;

    // Never null; "" when empty. Valid until the text next changes.
    operator const char*() const { return text_.c_str(); }
    CString& operator=(const char* text);

    // Assign appends (it does not replace).
    void Assign(const char* text);
    void Assign(const char* text, size_t length);      // at most length bytes, up to a NUL
    CString& operator+=(const char* text);
    CString& operator+=(const CString& other);
    void AppendUniChar(const char16_t* units, size_t count);   // UTF-16 in, stored as UTF-8
    void AssignUniChar(const char16_t* units, size_t count);

    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;         // ASCII letters fold
    char GetAt(size_t i) const;                        // NUL past the end
    size_t GetLength() const { return text_.size(); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }

    // Remove TAB, LF, CR and space; the argument is ignored.
    void TrimLeft(const char* ignored = nullptr);
    void TrimRight(const char* ignored = nullptr);
    void Remove(size_t start, size_t count);

    char* GetBuffer(short ignored = 0) { static_cast<void>(ignored); return text_.data(); }
    void ReleaseBuffer(int length = -1);               // cuts at length; -1: at the first NUL
    char* GetBufferSetLength(size_t length);           // cuts at length

    // The bytes as text: UTF-8, or Mac OS Roman when they are not valid UTF-8.
    QString toQString() const;

private:
    std::string text_;
};
