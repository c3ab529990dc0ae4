// The account-details mail's bytes: the message, the form body the service parses (its mixed
// line ends are part of the contract) and the reading of the service's answers.
#include "Model/OTVAccountMail.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kBoundary = "-------------------------------7d8b32060180";

TEST(AccountMail, BoundaryIs31DashesAndTheFixedTail)
{
    EXPECT_EQ(kFormMailBoundary, kBoundary);
    EXPECT_EQ(kFormMailBoundary.size(), 43);
}

TEST(AccountMail, MessageListsTheLoginDetails)
{
    const QString message = OTVAccountMailMessage(QStringLiteral("db.example.org"), QStringLiteral("3306"),
                                                  QStringLiteral("alice"), QStringLiteral("pw %1 x"),
                                                  QStringLiteral("m\u00e4ster"));
    EXPECT_EQ(message, QString::fromUtf8("Your Ostrevin Darovazivu account has been created or modified.\n\n"
                                         "Here are the details:\nIP Address - db.example.org\nMySQL Port - 3306\n"
                                         "Username - alice\nPassword - pw %1 x\nMaster Password - m\xc3\xa4ster\n\n"
                                         "Please contact me if you have any questions.\n"));
}

TEST(AccountMail, FormBodyBytes)
{
    const struct {
        const char* what;
        std::optional<OTVFormMailFile> file;
        QByteArray datafile;
    } cases[] = {
        {"no file", std::nullopt, "Content-Disposition: form-data; name=\"datafile\"; filename=\"\"\r\n\n\n"},
        {"a file", OTVFormMailFile{QStringLiteral("notes.txt"), QByteArray("ab\0c", 4)},
         QByteArray("Content-Disposition: form-data; name=\"datafile\"; filename=\"notes.txt\"\r\n\n")
             + QByteArray("ab\0c", 4) + "\n\nContent-Type: text/plain\n\n\n\n"},
    };
    for (const auto& c : cases) {
        const QByteArray body = OTVFormMailBody(QStringLiteral("Vault Admin"), QStringLiteral("bob@example.org"),
                                                QStringLiteral("Subject \u00e9"), QStringLiteral("line 1\nline 2"),
                                                c.file);
        const QByteArray expected = "\r\n--" + kBoundary + "\r\n"
                                    "Content-Disposition: form-data; name=\"name\"\n\nVault Admin"
                                    "\n--" + kBoundary + "\r\n"
                                    "Content-Disposition: form-data; name=\"email\"\n\n\n\r\r\nbob@example.org\n"
                                    "\r\n--" + kBoundary + "\r\n"
                                    "Content-Disposition: form-data; name=\"comments\"\n\n\r\r\nline 1\nline 2\n"
                                    "\r\n--" + kBoundary + "\r\n"
                                    "Content-Disposition: form-data; name=\"subject\"\n\n\r\r\nSubject \xc3\xa9\n"
                                    "\r\n--" + kBoundary + "\r\n"
                                    + c.datafile + "\r\n--" + kBoundary + "--\r\n";
        EXPECT_EQ(body, expected) << c.what;
    }
}

TEST(AccountMail, AnswersOfTheService)
{
    const struct {
        QByteArray reply;
        OTVFormMailAnswer answer;
    } cases[] = {
        {"<p>Your message has been sent</p>", OTVFormMailAnswer::Sent},
        {"<p>Email address is invalid</p>", OTVFormMailAnswer::InvalidAddress},
        {"You have submitted a gibberish word!", OTVFormMailAnswer::Gibberish},
        {"<html>Thank you</html>", OTVFormMailAnswer::None},
        {"", OTVFormMailAnswer::None},
        {"Your message has been", OTVFormMailAnswer::None},
        {"Your message has been sent. Email address is invalid", OTVFormMailAnswer::InvalidAddress},
        {"Email address is invalid. You have submitted a gibberish word", OTVFormMailAnswer::Gibberish},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OTVFindFormMailAnswer(c.reply), c.answer) << c.reply.toStdString();
}

} // namespace
