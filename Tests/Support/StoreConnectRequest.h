#pragma once

// The store's connection request for an account of the fixture's server. Header only: the
// support library itself does not link the store.

#include "Model/Database_Engine/OTVDataBase.h"
#include "Support/TestServer.h"

inline OTVConnectRequest StoreConnectRequest(const TestServer& server, const TestAccount& account,
                                             const QString& masterPassword = QString())
{
    OTVConnectRequest request;
    request.ipAddress = server.host;
    request.portNumber = QString::number(server.port);
    request.userName = account.user;
    request.hostPassword = account.password;
    request.masterPassword = masterPassword;
    request.serverAddress = server.host;
    return request;
}
