// The account-details mail of the user-account window.
#include "UserAccountController.h"

#include "AccountMailSender.h"
#include "Model/OTVAccountMail.h"
#include "Model/OTVUser_Admin.h"

QString UserAccountController::mailBodyForUser(const OTVDataBase& store, const OTVUser_Admin& user,
                                              const QString& password)
{
    return OTVAccountMailMessage(store.connectedServerAddress(), store.connectingPortAddress(), user.mUsername(),
                                 password, store.masterPassword());
}

void UserAccountController::sendEmailToUser(const OTVUser_Admin& user, const QString& password)
{
    if (user.mEmail().isEmpty())
        return;
    AccountMailSender::sharedAccountMailSender().sendmail(AccountMailSender::senderMailbox(), user.mEmail(),
                                                          kUserModEMailSubject, mailBodyForUser(store_, user, password));
}
