#pragma once

// The fixture of the write services' tests: a demo database on the parameter's backend (the
// PostgreSQL case skipped without CORVO_TEST_PG_URL), a real server on it, the database
// opened directly beside it, and the demo's admin logged in.
#include "ServerProcess.h"
#include "WriteClient.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace corvo::server::test {

enum class Backend { Sqlite, Postgres };

class DemoWriteTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres && !postgresAvailable())
            GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
        url = makeDemoDatabase(GetParam() == Backend::Postgres);
        server = std::make_unique<ServerProcess>(url);
        db = storage::Database::open(url);
        admin = std::make_unique<WriteClient>(server->url());
    }

    /// The ObjID of the table's row with that code.
    std::string id(const std::string& table, const std::string& code)
    {
        return scalar(*db, "SELECT \"ObjID\" FROM \"" + table + "\" WHERE \"Code\" = ?",
                      {storage::Value(code)});
    }

    /// A second company in the database (init-demo --company CODE: the demo's data again
    /// under ids and codes of its own), its admin logged in.
    std::unique_ptr<WriteClient> secondCompany(const std::string& code = "ACME")
    {
        std::string out;
        EXPECT_EQ(runServerCommand({"init-demo", "--db", url, "--company", code}, &out), 0) << out;
        return std::make_unique<WriteClient>(server->url(), code);
    }

    std::string url;
    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<storage::Database> db;
    std::unique_ptr<WriteClient> admin;
};

} // namespace corvo::server::test
