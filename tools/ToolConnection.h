#pragma once

// The connection options of the developer tools and the request they make: --server, --port,
// --user, --password-file and --master-password.

#include "Model/Database_Engine/OTVDataBase.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>

#include <optional>

struct ToolConnectionOptions {
    QCommandLineOption server{"server", "Server address.", "address", "127.0.0.1"};
    QCommandLineOption port{"port", "Server port.", "port", "33061"};
    QCommandLineOption user{"user", "Administrator account.", "name", "root"};
    QCommandLineOption passwordFile{"password-file", "File holding the account's password.", "file"};
    QCommandLineOption masterPassword{"master-password", "The vault's master password, when it has one.", "password"};

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOptions({server, port, user, passwordFile, masterPassword});
    }

    // The request of the parsed options; nullopt when the password file cannot be read.
    std::optional<OTVConnectRequest> request(const QCommandLineParser& parser) const
    {
        OTVConnectRequest request;
        if (parser.isSet(passwordFile)) {
            QFile file(parser.value(passwordFile));
            if (!file.open(QIODevice::ReadOnly))
                return std::nullopt;
            request.hostPassword = QString::fromUtf8(file.readAll()).trimmed();
        }
        request.ipAddress = parser.value(server);
        request.portNumber = parser.value(port);
        request.userName = parser.value(user);
        request.masterPassword = parser.value(masterPassword);
        request.serverAddress = request.ipAddress;
        return request;
    }
};
