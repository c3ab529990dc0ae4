#pragma once

// The server a benchmark runs against: the one that `scripts/test-server exec` describes in the
// environment.

#include "Model/Database_Engine/OTVDataBase.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

// main() for the benchmarks that drive the store alone: a core application, no widgets.
#define OSTREVIN_STORE_BENCHMARK_MAIN()                                                                                \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QCoreApplication application(argc, argv);                                                                      \
        benchmark::Initialize(&argc, argv);                                                                            \
        benchmark::RunSpecifiedBenchmarks();                                                                           \
        benchmark::Shutdown();                                                                                         \
        return 0;                                                                                                      \
    }

// The administrator's connection request; its address is empty when no server was given.
inline OTVConnectRequest BenchServerRequest()
{
    OTVConnectRequest request;
    request.ipAddress = qEnvironmentVariable("OSTREVIN_TEST_DB_HOST");
    request.portNumber = qEnvironmentVariable("OSTREVIN_TEST_DB_PORT");
    request.userName = qEnvironmentVariable("OSTREVIN_TEST_DB_ADMIN_USER");
    request.hostPassword = qEnvironmentVariable("OSTREVIN_TEST_DB_ADMIN_PASSWORD");
    request.serverAddress = request.ipAddress;
    return request;
}

inline constexpr char kBenchNoServer[] = "no server: run through scripts/test-server exec";

// Logs `store` in as the administrator and loads the vault; null when it worked, else why not.
inline const char* BenchOpenVault(OTVDataBase& store)
{
    const OTVConnectRequest request = BenchServerRequest();
    if (request.ipAddress.isEmpty())
        return kBenchNoServer;
    if (store.startConnectionToServer(request) != kOTVStatusOK
        || store.initUserDetails(request.userName, request.hostPassword) != kOTVStatusOK
        || store.loadDataBase(true) != kOTVStatusOK)
        return "cannot open the vault";
    return nullptr;
}
