#include "OTVUserParserDelegate.h"

void OTVUserParserDelegate::AddUser(UserInfo& user)
{
    if (CheckUserData(user))
        mImportedUsers_.push_back(OEUserRecord::convertToImportedUserRecord(user));
}

void OTVUserParserDelegate::ParsingComplete()
{
    mIsParsingComplete_ = true;
}

void OTVUserParserDelegate::ParsingError(ParseError code)
{
    // The error flag is set first: whoever sees the parse complete also sees why.
    if (code == kParseErrorNotAUserList)
        mIsInvalidInputFile_ = true;
    mIsParsingComplete_ = true;
}

void OTVUserParserDelegate::ParsingErrorAtLine(int line)
{
    mInvalidLine_ = line;
    ParsingError(kParseErrorNotAUserList);
}

bool OTVUserParserDelegate::CheckUserData(const UserInfo& user)
{
    return !user[kUserColumnName].empty();
}
