#pragma once

#include <QString>

#include <istream>
#include <string>

// Text from the connector's strings and streams, and the address check of the connection dialog.

// The characters up to the first zero byte, read as UTF-8; a null QString when they are not
// valid UTF-8 (never replacement characters).
QString stringWithSTDString(const std::string& text);
// One word read from the stream with >> (leading white space skipped), converted as above; a
// null QString for a null or exhausted stream.
QString stringWithSTDStreamPtr(std::istream* stream);
// The bytes up to the first zero as UTF-8, or as Mac OS Roman when they are not valid UTF-8.
QString stringWithSpecialCharacters(const char* bytes);
// A dotted-decimal IPv4 address as the system's inet_pton accepts it ("192.168.0.1").
bool isvalidIPv4Address(const QString& text);
