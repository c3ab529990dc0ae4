#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Primitives of the exchange files: text held in memory, lines ending in CR, fields in CSV form.
//
// Writers append to a growable buffer, so a field of any length is written whole. Readers take a
// cursor, the text not read yet, and return the cursor after what they consumed; a cursor ends at
// its last byte or at a NUL, whichever comes first, and no reader looks past it.
using TextCursor = std::string_view;

// Every line written ends with one CR.
inline constexpr char kLineEnding[] = "\r";

// ---- writers ----
void WriteString(std::string& out, std::string_view text);
void WriteBool(std::string& out, bool value, bool comma);           // "T" or "F"
void WriteNumber(std::string& out, long value, bool comma);         // "%ld"
void WriteNewLine(std::string& out);                                // kLineEnding

// Two upper-case hexadecimal digits per byte, high nibble first, then "," when comma. No NUL:
// the caller gives a zero-filled buffer of at least 2 * count + 1 bytes. A count of 0 or less
// writes no digits. Returns the position just past what was written.
char* WriteHexBytes(char* out, const unsigned char* bytes, long count, bool comma);
void WriteHexBytes(std::string& out, const unsigned char* bytes, size_t count, bool comma);

// Appends the CSV form of a field: between double quotes when it holds a comma, a double quote or
// a CR, or begins with a blank (which a reader would otherwise drop); double quotes doubled; LF
// dropped; everything else as it is, however long.
void FormatCSVField(std::string_view field, std::string& out);
// The CSV form of a field that must come back byte for byte (the record files, backups among
// them): as FormatCSVField, but a control byte that the plain form would lose, change or that
// would make the file non-text (LF, VT, and every byte below 0x20 but TAB, FF, CR and 0x1D) is
// written as DLE (0x10) followed by the byte plus 0x40. GetNextField reads it back.
void FormatExactCSVField(std::string_view field, std::string& out);
inline constexpr char kFieldEscape = '\x10';

// ---- readers ----
bool IsTextEnd(TextCursor cursor);                  // no byte left, or at a NUL
bool IsLineEmpty(TextCursor cursor);                // at CR, LF or the end of the text

// One CSV field into out (replaced). Skips white space first, line breaks included, so callers
// check IsLineEmpty before. Inside double quotes commas and line breaks (CR, LF) are data; ""
// stands for one double quote. VT is stored as CR; DLE and a byte from '@' to '_' stand
// for that byte minus 0x40 (FormatExactCSVField). A comma ending the field and the blanks after
// it are consumed. unclosed, when given, tells whether the text ended inside the field's quotes:
// then the field is not whole. At most keep bytes of the field are stored; the rest is passed
// over, so a field longer than its limit stays longer than the limit without being copied whole.
TextCursor GetNextField(TextCursor cursor, std::string& out, bool* unclosed = nullptr,
                        size_t keep = std::string::npos);
TextCursor ReadBool(TextCursor cursor, bool& value);        // true when the field starts with 'T'
TextCursor ReadNumber(TextCursor cursor, long& value);      // sign and leading digits; none give 0;
                                                            // too large saturates
// Skips white space, then decodes pairs of upper-case hexadecimal digits into out (replaced)
// until any other character; a lone last digit is dropped. Returns the position after the
// character that stopped the decoding (or the end of the text).
TextCursor ReadHexBytes(TextCursor text, std::string& out);
// The next non-empty line into out (replaced), keeping at most max bytes of it; consumes CR, LF
// or CR LF after it. At the end of the text out is empty and the cursor is returned as it is.
TextCursor GetNextLine(TextCursor cursor, std::string& out, size_t max);
TextCursor SkipLine(TextCursor cursor);             // to the line end, then past every CR and LF
TextCursor SkipReturns(TextCursor cursor);          // past CR and LF
TextCursor SkipWhiteSp(TextCursor cursor, bool stopAtLineEnd);

// ---- tests of a whole file ----
// False when a byte below 0x20 other than CR, LF, 0x1D, TAB, FF, VT and DLE (the escape of
// FormatExactCSVField) occurs; empty text is text.
bool IsTextFile(std::string_view bytes);
// The position of the first byte that makes the bytes no text (npos when they are text).
size_t FirstByteNotText(std::string_view bytes);
// The line (from 1) that holds `position`; CR, LF and CR LF each end a line.
int LineNumberAt(std::string_view text, size_t position);
// Byte-exact prefix test; false when the header is longer than the text.
bool HasHeader(std::string_view text, std::string_view header);
