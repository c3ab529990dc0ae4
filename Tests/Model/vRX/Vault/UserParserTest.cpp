#include "Model/vRX/Vault/CBKUserParser.h"
#include "Model/vRX/Vault/OTVUserParserDelegate.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

const std::string kHeader = "Username, Password, Confirm Password, Full Name, Description, Email, Phone, "
                            "Group-Permission, Type-Permission, Record-Permission, Data-Permission";

// Remembers every call, so that a test sees exactly what the parser reported.
class RecordingParserDelegate : public CBKUserParserDelegate {
public:
    void AddUser(UserInfo& user) override { rows.push_back(user); }
    void ParsingComplete() override { ++completeCalls; }
    void ParsingError(ParseError code) override { errors.push_back(code); }

    std::vector<UserInfo> rows;
    int completeCalls = 0;
    std::vector<ParseError> errors;
};

RecordingParserDelegate parse(const std::string& text)
{
    RecordingParserDelegate delegate;
    CBKUserParser::fromText(text, &delegate).StartParsing();
    return delegate;
}

std::vector<std::string> columnsOf(const UserInfo& row)
{
    return {row.columns.begin(), row.columns.end()};
}

// Joins lines with the given line end, after the header.
std::string userList(const std::vector<std::string>& lines, const std::string& lineEnd = "\r")
{
    std::string text = kHeader + lineEnd;
    for (const std::string& line : lines)
        text += line + lineEnd;
    return text;
}

TEST(UserParser, ReadsRowsWhateverTheLineEnds)
{
    for (const std::string lineEnd : {"\r", "\n", "\r\n"}) {
        SCOPED_TRACE("line end " + std::to_string(lineEnd.size()) + " bytes, first " + std::to_string(lineEnd[0]));
        const auto delegate = parse(userList({"jana,pw1,pw1,Jana N.,Sales,jana@example.org,777,1,101,0,001001,",
                                              "", "petr,,,,,,,0,0,0,0,"},
                                             lineEnd));
        ASSERT_EQ(delegate.rows.size(), 2u);
        EXPECT_EQ(columnsOf(delegate.rows[0]),
                  (std::vector<std::string>{"jana", "pw1", "pw1", "Jana N.", "Sales", "jana@example.org", "777", "1",
                                            "101", "0", "001001"}));
        EXPECT_EQ(columnsOf(delegate.rows[1]),
                  (std::vector<std::string>{"petr", "", "", "", "", "", "", "0", "0", "0", "0"}));
        EXPECT_EQ(delegate.completeCalls, 1);
        EXPECT_TRUE(delegate.errors.empty());
    }
}

TEST(UserParser, AHeaderAloneIsAnEmptyList)
{
    for (const std::string& text : {kHeader, kHeader + "\r", kHeader + "\r\r\n\n"}) {
        const auto delegate = parse(text);
        EXPECT_TRUE(delegate.rows.empty());
        EXPECT_EQ(delegate.completeCalls, 1);
        EXPECT_TRUE(delegate.errors.empty());
    }
}

TEST(UserParser, ReportsOnlyAnErrorForTextThatIsNotAUserList)
{
    const std::string cases[] = {
        "",
        "jana,pw,pw,,,,,1,1,1,1\r",                               // no header
        "Ostrevin Export File\rjana,pw\r",                        // a record export
        "username, password, confirm password\r",                 // header in the wrong case
        kHeader.substr(0, 20) + "\r",                             // cut header
        kHeader + "\rjana,\x01,pw,,,,,1,1,1,1\r",                 // not text
        kHeader + "\rja" + std::string(1, '\0') + "na,pw,pw,,,,,1,1,1,1\r",          // a NUL byte
    };
    for (const std::string& text : cases) {
        const auto delegate = parse(text);
        EXPECT_EQ(delegate.errors, std::vector<ParseError>{kParseErrorNotAUserList}) << text;
        EXPECT_EQ(delegate.completeCalls, 0) << text;
        EXPECT_TRUE(delegate.rows.empty()) << text;
    }
}

TEST(UserParser, MissingColumnsAreEmptyAndSurplusFieldsNeverStartARow)
{
    const auto delegate = parse(userList({
        "short,pw",
        "long,pw,pw,F,D,E,P,1,1,1,1,surplus,more,\"and, more\",",
        "next,pw,pw,,,,,0,0,0,0",
    }));
    ASSERT_EQ(delegate.rows.size(), 3u);
    EXPECT_EQ(columnsOf(delegate.rows[0]),
              (std::vector<std::string>{"short", "pw", "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(columnsOf(delegate.rows[1]),
              (std::vector<std::string>{"long", "pw", "pw", "F", "D", "E", "P", "1", "1", "1", "1"}));
    EXPECT_EQ(delegate.rows[2][kUserColumnName], "next");
}

TEST(UserParser, ALastLineOfOneFieldWithoutLineEndIsNoRow)
{
    EXPECT_TRUE(parse(kHeader + "\rlonely").rows.empty());
    ASSERT_EQ(parse(kHeader + "\rlonely\r").rows.size(), 1u) << "with a line end it is a row";
    const auto twoFields = parse(kHeader + "\rjana,pw");
    ASSERT_EQ(twoFields.rows.size(), 1u);
    EXPECT_EQ(twoFields.rows[0][kUserColumnPassword], "pw");
}

TEST(UserParser, KeepsQuotedCommasQuotesAndLineBreaksInsideAField)
{
    const auto delegate = parse(userList({"jana,\"p,w\"\"1\",\"p,w\"\"1\",\"Nováková, Jana\",\"two\rlines\",,,1,1,1,1,"}));
    ASSERT_EQ(delegate.rows.size(), 1u);
    EXPECT_EQ(delegate.rows[0][kUserColumnPassword], "p,w\"1");
    EXPECT_EQ(delegate.rows[0][kUserColumnConfirmPassword], "p,w\"1");
    EXPECT_EQ(delegate.rows[0][kUserColumnFullName], "Nováková, Jana");
    EXPECT_EQ(delegate.rows[0][kUserColumnDescription], "two\rlines");
    EXPECT_EQ(delegate.rows[0][kUserColumnGroupPermission], "1");
}

TEST(UserParser, MalformedTextNeverCrashesAndEndsTheParse)
{
    const std::string cases[] = {
        userList({"\"never closed,pw,pw"}),
        userList({"a\"b\"c,\"x\"y,,,,,,1,1,1,1"}),
        userList({",,,,,,,,,,,,,,,,,,,,,,,,"}),
        userList({std::string(300000, 'x') + "," + std::string(200000, '"')}),
        kHeader + "\r\"",
        kHeader + "\r,",
        kHeader + "\r \t \x0b",
        kHeader + std::string(1000, '\r'),
    };
    for (const std::string& text : cases) {
        const auto delegate = parse(text);
        EXPECT_EQ(delegate.completeCalls, 1) << text.substr(0, 200);
        EXPECT_TRUE(delegate.errors.empty()) << text.substr(0, 200);
    }
}

TEST(UserParser, ReadsAFileAndTakesAnUnreadableOneForNoUserList)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("users.csv");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(userList({"jana,pw,pw,,,,,1,1,1,1"}, "\r\n")));
    }
    RecordingParserDelegate delegate;
    CBKUserParser(path.toStdString(), &delegate).StartParsing();
    ASSERT_EQ(delegate.rows.size(), 1u);
    EXPECT_EQ(delegate.rows[0][kUserColumnName], "jana");

    for (const QString& unreadable : {dir.filePath("missing.csv"), dir.path()}) {
        RecordingParserDelegate missing;
        CBKUserParser(unreadable.toStdString(), &missing).StartParsing();
        EXPECT_EQ(missing.errors, std::vector<ParseError>{kParseErrorNotAUserList});
        EXPECT_EQ(missing.completeCalls, 0);
    }
}

class ImportedUsers : public ::testing::Test {
protected:
    void import(const std::string& text)
    {
        CBKUserParser::fromText(text, &delegate_).StartParsing();
        ASSERT_TRUE(delegate_.IsParsingComplete());
    }

    OTVUserParserDelegate delegate_;
};

TEST_F(ImportedUsers, DropsRowsWithoutANameAndKeepsRowsTheImportMustReport)
{
    import(userList({
        ",pw,pw,No Name,,,,1,1,1,1",
        "mismatch,one,two,,,,,1,1,1,1",
        "badrights,pw,pw,,,,,000111,1,1,101",
        "M\x9fller,pw,pw,,,,,1,1,1,1",
        "fine,pw,pw,,,,,0,0,0,0",
    }));
    EXPECT_FALSE(delegate_.IsInvalidInputFile());
    const auto& users = delegate_.ImportedUsers();
    ASSERT_EQ(users.size(), 4u);

    EXPECT_EQ(users[0].mUsername(), QStringLiteral("mismatch"));
    EXPECT_FALSE(users[0].doesPasswordMatches());

    EXPECT_EQ(users[1].mUsername(), QStringLiteral("badrights"));
    EXPECT_FALSE(users[1].hasVaildPermissions());
    EXPECT_EQ(users[1].mGroupPermissionsBit(), kInvalidPermissionWord);
    EXPECT_EQ(users[1].mTypePermissionsBit(), 7);

    // A name that is not UTF-8 stays in the list to be reported, but can never become an account.
    EXPECT_FALSE(users[2].mUsername().has_value());
    EXPECT_FALSE(users[2].hasValidUsername());
    EXPECT_EQ(users[2].createUserObject(), nullptr);
    EXPECT_EQ(users[2].usernameForReport(), QStringLiteral("Müller"));

    EXPECT_TRUE(users[3].hasValidUsername());
    EXPECT_TRUE(users[3].doesPasswordMatches());
    EXPECT_TRUE(users[3].hasVaildPermissions());
}

TEST_F(ImportedUsers, AFileThatIsNotAUserListSetsTheErrorAndAddsNobody)
{
    import("Ostrevin Export File\rjana,pw,pw,,,,,1,1,1,1\r");
    EXPECT_TRUE(delegate_.IsInvalidInputFile());
    EXPECT_TRUE(delegate_.ImportedUsers().empty());
}

// A user list with a byte that no text holds is still refused, but the line is named; other
// files name none.
TEST(UserParserDelegate, NamesTheLineOfAByteThatNoTextHolds)
{
    const std::string nul(1, '\0');
    const struct {
        const char* what;
        std::string text;
        int line;
    } cases[] = {
        {"CR", userList({"ann,pw,pw,,,,,1,1,1,1", "bob,pw,pw,B" + nul + ",,,,1,1,1,1"}), 3},
        {"CR LF", userList({"ann,pw,pw,,,,,1,1,1,1", "bob,pw,pw,B" + nul + ",,,,1,1,1,1"}, "\r\n"), 3},
        {"LF, blank lines", userList({"", "ann,pw,pw,,,,,1,1,1,1\x01"}, "\n"), 3},
        {"in the header line", kHeader + nul + "\rann,pw,pw,,,,,1,1,1,1\r", 1},
        {"no user list", "Ostrevin Export File\r" + nul, 0},
    };
    for (const auto& c : cases) {
        OTVUserParserDelegate delegate;
        CBKUserParser::fromText(c.text, &delegate).StartParsing();
        EXPECT_TRUE(delegate.IsInvalidInputFile()) << c.what;
        EXPECT_TRUE(delegate.IsParsingComplete()) << c.what;
        EXPECT_EQ(delegate.InvalidLine(), c.line) << c.what;
        EXPECT_TRUE(delegate.ImportedUsers().empty()) << c.what;
    }
    // A delegate that does not ask for the line hears that the file is no user list.
    EXPECT_EQ(parse(cases[0].text).errors, std::vector<ParseError>{kParseErrorNotAUserList});
}

TEST(UserParserDelegate, ChecksThatARowNamesAUser)
{
    UserInfo row;
    EXPECT_FALSE(OTVUserParserDelegate::CheckUserData(row));
    row[kUserColumnPassword] = "pw";
    EXPECT_FALSE(OTVUserParserDelegate::CheckUserData(row));
    row[kUserColumnName] = "x";
    EXPECT_TRUE(OTVUserParserDelegate::CheckUserData(row));
}

} // namespace
