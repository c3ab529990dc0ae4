#pragma once

#include "UserInfo.h"

#include <string>

// Why a user list could not be read.
using ParseError = int;
inline constexpr ParseError kParseErrorNotAUserList = 1;

// Receives the rows of a user list as CBKUserParser reads them, on the parser's thread.
class CBKUserParserDelegate {
public:
    virtual ~CBKUserParserDelegate() = default;
    virtual void AddUser(UserInfo& user) = 0;
    // After the last row of a user list.
    virtual void ParsingComplete() = 0;
    // Instead of any row when the text is not a user list.
    virtual void ParsingError(ParseError code) = 0;
    // Instead of any row when a user list holds a byte that no text holds (a NUL, a control
    // character), first on `line` (from 1). By default the list counts as no user list.
    virtual void ParsingErrorAtLine(int line) { (void)line; ParsingError(kParseErrorNotAUserList); }
};

// Reads a user list file: the header line, then one user a line (CR, LF or CR LF), seven text
// columns and four permission columns. Any bytes are safe to hand it: a file that is not a
// user list is reported, and short, long or malformed lines never read past the text.
class CBKUserParser {
public:
    // Reads the whole file now; a file that cannot be read counts as empty. The delegate is
    // not owned.
    CBKUserParser(const std::string& path, CBKUserParserDelegate* delegate);

    // A parser over text already in memory.
    static CBKUserParser fromText(std::string text, CBKUserParserDelegate* delegate);

    // Hands every row to the delegate, then calls ParsingComplete(); or only ParsingError().
    void StartParsing();

private:
    CBKUserParser(CBKUserParserDelegate* delegate, std::string text);

    std::string mText_;
    CBKUserParserDelegate* mDelegate_;
};
