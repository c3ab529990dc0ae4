// The account-details mail of the user-account window.
#include "UserAccountController.h"

#include "AccountMailSender.h"
#include "Model/OTVAccountMail.h"
#include "Model/OTVUser_Admin.h"

QString UserAccountController::mailBodyForUser(const OTVDataBase& store, const OTVUser_Admin& user)
{
    return OTVAccountMailMessage(store.connectedServerAddress(), store.connectingPortAddress(), user.mUsername(),
                                 user.mPassword(), store.masterPassword());
}

void UserAccountController::sendEmailToUser(const OTVUser_Admin& user)
{
    if (user.mEmail().isEmpty())
        return;
    AccountMailSender::sharedAccountMailSender().sendmail(AccountMailSender::senderMailbox(), user.mEmail(),
                                                          kUserModEMailSubject, mailBodyForUser(store_, user));
}
