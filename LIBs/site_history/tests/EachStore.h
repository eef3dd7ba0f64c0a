#pragma once

#include "HistoryTestSupport.h"
#include "TestServer.h"

#include <site_history/SiteHistory.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

// The fault with which the store at `location` is refused; a failure when
// it opens.
inline site_history::HistoryError::Fault refusal(const QString& location, std::string* message = nullptr)
{
    try {
        site_history::SiteHistory store(location);
    } catch (const site_history::HistoryError& error) {
        if (message)
            *message = error.what();
        return error.fault();
    }
    ADD_FAILURE() << "the store opened: " << location.toStdString();
    return site_history::HistoryError::Fault::CannotWrite;
}

// The two kinds of store a test runs against: a SQLite file, and a
// database on the test server (skipped when the run has none).
enum class StoreKind { File, Server };

class EachStore : public ::testing::TestWithParam<StoreKind> {
protected:
    void SetUp() override
    {
        if (GetParam() == StoreKind::Server && !TestServer::get())
            GTEST_SKIP() << "no test server: QUORVEL_TEST_POSTGRES is not set";
    }

    // A new empty store's location.
    QString newStore()
    {
        if (GetParam() == StoreKind::Server)
            return TestServer::get()->newDatabase();
        return dir.filePath(QStringLiteral("store%1.sqlite").arg(made++));
    }

    QTemporaryDir dir;
    int made = 0;
};

inline std::string storeKindName(const ::testing::TestParamInfo<StoreKind>& info)
{
    return info.param == StoreKind::File ? "File" : "Server";
}

#define QUORVEL_FOR_EACH_STORE(suite)                                                                              \
    INSTANTIATE_TEST_SUITE_P(Stores, suite, ::testing::Values(StoreKind::File, StoreKind::Server), storeKindName)
