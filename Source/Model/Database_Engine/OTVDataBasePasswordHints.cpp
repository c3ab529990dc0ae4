// Password hints and the own password of the logged-in user: the three hint columns of the
// user's APPPREFTABLE row, the readers of the lock screen, and setting the password.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

#include "Model/Ciphers/OTVHintCipher.h"
#include "Model/OTVUser.h"

#include <cppconn/exception.h>

#include <stdexcept>

namespace {

// The session has a logged-in user (before the login step the store's user has no name).
bool isLoggedIn(const std::shared_ptr<OTVUser>& user)
{
    return user && !user->mUsername().isEmpty();
}

bool isHintQuestion(int number)
{
    return number >= 0 && number < OTVDataBase::kHintQuestionCount;
}

// The fields that setting the own password changes, to put back after a failure.
struct OwnPasswordFields {
    explicit OwnPasswordFields(const OTVUser& user)
        : password(user.mPassword())
        , autoLock(user.mAutoLOck())
        , hintQuestionNumber(user.mHintQuestionNumber())
        , hintAnswer(user.mHintAnswer())
        , hintEntered(user.mHintEntered())
    {
    }
    void restorePassword(OTVUser& user) const
    {
        user.setMPassword(password);
        user.setMAutoLOck(autoLock);
    }
    void restoreHint(OTVUser& user) const
    {
        user.setMHintQuestionNumber(hintQuestionNumber);
        user.setMHintAnswer(hintAnswer);
        user.setMHintEntered(hintEntered);
    }

    QString password;
    bool autoLock;
    qint16 hintQuestionNumber;
    QString hintAnswer;
    QString hintEntered;
};

} // namespace

const QStringList& OTVDataBase::kQuestions()
{
    static const QStringList questions = {
        QStringLiteral("Choose later?"),
        QStringLiteral("What city were you born in?"),
        QStringLiteral("What is your mother's maiden name?"),
        QStringLiteral("What is your father's middle name?"),
        QStringLiteral("What is your favorite color?"),
        QStringLiteral("What is your pet's name?"),
        QStringLiteral("What's the name of your first car?"),
    };
    return questions;
}

// ---------------------------------------------------------------------------------------------
// Saving the hint

void OTVDataBase::saveHintPreferencs(OTVUser& user, int* returnCode)
{
    const int status = runGuarded([&] {
        const int number = user.mHintQuestionNumber();
        if (!isHintQuestion(number))
            throw std::invalid_argument("no such hint question");
        if (user.mHintAnswer().isNull())
            user.setMHintAnswer(QStringLiteral(""));
        if (user.mHintEntered().isNull())
            user.setMHintEntered(QStringLiteral(""));
        // A free-text hint is keyed by the fixed text of question 0, so anybody can read it; a
        // question's hint by the answer, which is checked by deciphering the question with it.
        const QString hintKey = number == 0 ? kQuestions().at(0) : user.mHintAnswer();
        const QByteArray hint = OTVHintCipher::encryptForHint(hintKey, user.mHintEntered());
        const QByteArray question =
            number == 0 ? QByteArray() : OTVHintCipher::encryptForHint(user.mHintAnswer(), kQuestions().at(number));
        OTVCheckBlobFits(hint, kBlobBytes);
        OTVCheckBlobFits(question, kBlobBytes);

        // The updates of a missing row change nothing, which would pass for success.
        OTVStatement find = prepare(kQueryHintColumns);
        find.setString(1, user.mUserID());
        if (!find.executeQuery().next())
            return int(kOTVStatusNothingWritten);

        return runInTransaction([&] {
            OTVStatement setNumber = prepare(kQueryUpdateHintQuestionNumber);
            setNumber.setInt(1, number);
            setNumber.setString(2, user.mUserID());
            setNumber.executeUpdate();

            OTVStatement setHint = prepare(kQueryUpdateHintAnswer);
            setHint.setBlob(1, hint);
            setHint.setString(2, user.mUserID());
            setHint.executeUpdate();

            OTVStatement setQuestion = prepare(kQueryUpdateHintQuestion);
            setQuestion.setBlob(1, question);
            setQuestion.setString(2, user.mUserID());
            setQuestion.executeUpdate();
            return int(kOTVStatusOK);
        });
    });
    if (returnCode)
        *returnCode = status;
}

// ---------------------------------------------------------------------------------------------
// Reading the hint

// Reads the current user's preference row and hands it to `onRow` when there is one. The
// readers' error path: the lock screen tells its own story, so nothing is reported.
int OTVDataBase::readCurrentUserHintRow(const std::function<void(const OTVResultSet&)>& onRow, int* returnCode)
{
    StoreLock lock(*this);
    int status = kOTVStatusOK;
    try {
        OTVStatement statement = prepare(kQueryHintColumns);
        statement.setString(1, mCurrentUser_->mUserID());
        OTVResultSet row = statement.executeQuery();
        if (row.next())
            onRow(row);
    } catch (const sql::SQLException& e) {
        const int number = e.getErrorCode();
        if (number == kDBTABLEACCESS_DENIEDCode1 || number == kDBTABLEACCESS_DENIEDCode2)
            status = kOTVStatusNoSuchUser;
        else
            status = statusOfDatabaseError(number, kOTVStatusDatabaseError);
    } catch (...) {
        status = kOTVStatusDatabaseError;
    }
    if (returnCode)
        *returnCode = status;
    return status;
}

bool OTVDataBase::isHintExist(const OTVUser* /*user: the current user*/, int* returnCode)
{
    bool exists = false;
    readCurrentUserHintRow([&](const OTVResultSet& row) { exists = !row.getBlob(kHintAnswerColumn).isEmpty(); },
                           returnCode);
    return exists;
}

QString OTVDataBase::passwordHintForUser(const OTVUser* /*user: the current user*/, const QString& answer,
                                         int* returnCode)
{
    StoreLock lock(*this);
    const std::shared_ptr<OTVUser> current = mCurrentUser_;
    if (current)
        current->setMHintEntered(QStringLiteral(""));
    if (!isLoggedIn(current))
        return QString();
    readCurrentUserHintRow(
        [&](const OTVResultSet& row) {
            current->setMHintEntered(OTVHintCipher::decryptForHint(answer, row.getBlob(kHintAnswerColumn)));
        },
        returnCode);
    return current->mHintEntered();
}

QString OTVDataBase::passwordHintForUser(const OTVUser* user, int* returnCode)
{
    return passwordHintForUser(user, kQuestions().at(0), returnCode);
}

bool OTVDataBase::validatePasswordHintAnswerForUser(const QString& userName, const QString& answer,
                                                     int questionNumber, int* returnCode)
{
    StoreLock lock(*this);
    const std::shared_ptr<OTVUser> current = mCurrentUser_;
    if (!isLoggedIn(current))
        return false;
    bool valid = false;
    readCurrentUserHintRow(
        [&](const OTVResultSet& row) {
            if (questionNumber < 1 || !isHintQuestion(questionNumber))
                return;
            const QString question = OTVHintCipher::decryptForHint(answer, row.getBlob(kHintQuestionColumn));
            valid = current->mUsername() == userName && question == kQuestions().at(questionNumber) &&
                    questionNumber == current->mHintQuestionNumber();
        },
        returnCode);
    return valid;
}

// ---------------------------------------------------------------------------------------------
// The own password

int OTVDataBase::setPassword(const QString& password, const QString& hint)
{
    return setOwnPasswordAndHint([&](OTVUser& user) {
        user.setMPassword(password);
        user.setMHintEntered(hint);
        user.setMHintQuestionNumber(0);
        user.setMHintAnswer(QStringLiteral(""));
    });
}

int OTVDataBase::setPassword(const QString& password, const PasswordHint& hint)
{
    if (!isHintQuestion(hint.questionNumber))
        return kOTVStatusOtherFailure;
    // An empty password still stores the hint (and switches the lock password off) instead of
    // dropping both while answering success.
    return setOwnPasswordAndHint([&](OTVUser& user) {
        user.setMPassword(password);
        user.setMHintQuestionNumber(qint16(hint.questionNumber));
        user.setMHintAnswer(hint.answer);
        user.setMHintEntered(hint.hint);
        if (!password.isEmpty())
            user.setMAutoLOck(true);
    });
}

// The password goes first: it ends any transaction (SET PASSWORD commits), and the hint's
// three columns are then written all or nothing. Whatever failed is put back in memory, so
// that the session never locks with a password or hint the server does not have.
int OTVDataBase::setOwnPasswordAndHint(const std::function<void(OTVUser&)>& applyFields)
{
    StoreLock lock(*this);
    const std::shared_ptr<OTVUser> user = mCurrentUser_;
    if (!isLoggedIn(user))
        return kOTVStatusOK;
    const OwnPasswordFields before(*user);
    applyFields(*user);
    int status = storeOwnPassword(*user);
    if (status != kOTVStatusOK) {
        before.restorePassword(*user);
        before.restoreHint(*user);
        return status;
    }
    saveHintPreferencs(*user, &status);
    if (status != kOTVStatusOK)
        before.restoreHint(*user);
    return status;
}

int OTVDataBase::storeOwnPassword(const OTVUser& user)
{
    if (!user.mPassword().isEmpty()) {
        int status = kOTVStatusOK;
        resetPasswordForUser(&user, &status);
        return status;
    }
    // No lock password: the MySQL account keeps its password, or anyone could connect as this
    // user without one. The vault keeps no password of its own to clear.
    return kOTVStatusOK;
}

bool OTVDataBase::isPasswordEnableForUser(const OTVUser* user, int* /*returnCode: untouched*/) const
{
    return user && !user->mPassword().isEmpty();
}

bool OTVDataBase::validatePasswordForUser(const OTVUser* user, const QString& password, int* returnCode) const
{
    if (!user)
        return false;
    if (returnCode)
        *returnCode = kOTVStatusOK;
    const std::shared_ptr<OTVUser> current = mCurrentUser();
    if (!current || user->mUserID() != current->mUserID() || password.isEmpty())
        return false;
    // The server decides: the session's copy of the password may be out of date.
    const int status = authenticateAccount(current->mUsername(), password);
    if (status != kOTVStatusOK && status != kOTVStatusAccessDenied && returnCode)
        *returnCode = status;
    return status == kOTVStatusOK;
}

bool OTVDataBase::doesPasswordMatchForUser(const OTVUser* user, const QString& password)
{
    return user && !password.isEmpty() && user->mPassword() == password;
}
