#pragma once

// The base of the controller's test programs against the fixture's server. Each case starts on
// an empty server with the vault of ViewsTestVault, settings of its own and a store; the program
// makes its controller (with recorded alerts) when its set-up is ready, and may make another on
// the same store to start the program again.
//
//   void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }
//   void init()         { QVERIFY(startVaultSession()); ...; newController(); }
//   void cleanup()      { endVaultSession(); }

#include "../ControllerTestSupport.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Support/TemporarySettings.h"
#include "Support/TestServer.h"

#include <QObject>

#include <memory>

class VaultSessionTest : public QObject {
protected:
    bool startVaultSession() { return ViewsTestVault::startSession(server_, settings_, store_, vault_); }

    // A controller of its own, on the store, with its alerts recorded afresh.
    void newController()
    {
        alerts_.reset();
        controller_ = std::make_unique<BKController>(*store_);
        alerts_ = std::make_unique<RecordingAlertPresenter>();
    }

    // Everything goes: the alerts and the controller before the store, the settings last.
    void endVaultSession()
    {
        alerts_.reset();
        controller_.reset();
        vault_.reset();
        store_.reset();
        settings_.reset();
    }

    QString rootValue(const QString& query) const { return ViewsTestVault::rootValue(server_, query); }

    TestServer server_;
    std::unique_ptr<TemporarySettings> settings_;
    std::unique_ptr<OTVDataBase> store_;
    std::unique_ptr<ViewsTestVault> vault_;
    std::unique_ptr<BKController> controller_;
    std::unique_ptr<RecordingAlertPresenter> alerts_;
};
