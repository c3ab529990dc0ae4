#pragma once

#include "CBKUserParser.h"
#include "OEUserRecord.h"

#include <atomic>
#include <vector>

// Collects the users of an import. The parser fills it on a worker thread while the main
// thread polls IsParsingComplete(); the records are read only after that.
class OTVUserParserDelegate : public CBKUserParserDelegate {
public:
    // A row without a user name is left out; every other row becomes a record, also one
    // whose name or permissions are unusable, so that the import can report it.
    void AddUser(UserInfo& user) override;
    void ParsingComplete() override;
    void ParsingError(ParseError code) override;
    void ParsingErrorAtLine(int line) override;

    const std::vector<OEUserRecord>& ImportedUsers() const { return mImportedUsers_; }
    bool IsParsingComplete() const { return mIsParsingComplete_; }
    // The file was not a user list.
    bool IsInvalidInputFile() const { return mIsInvalidInputFile_; }
    // The line (from 1) whose byte made the file no text; 0 when no line is to blame.
    int InvalidLine() const { return mInvalidLine_; }

    // Whether the row names a user at all.
    static bool CheckUserData(const UserInfo& user);

private:
    std::vector<OEUserRecord> mImportedUsers_;
    std::atomic<bool> mIsParsingComplete_{false};
    std::atomic<bool> mIsInvalidInputFile_{false};
    std::atomic<int> mInvalidLine_{0};
};
