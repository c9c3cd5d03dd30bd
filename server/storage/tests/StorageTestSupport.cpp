#include "StorageTestSupport.h"

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace corvo::server::storage::test {

TempDir::TempDir()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "corvo-storage-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string describe(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Null:
        return "Null";
    case Value::Type::Boolean:
        return value.asBool() ? "Boolean(true)" : "Boolean(false)";
    case Value::Type::Integer:
        return "Integer(" + std::to_string(value.asInteger()) + ")";
    case Value::Type::Float: {
        char buffer[32];
        auto end = std::to_chars(buffer, buffer + sizeof buffer, value.asFloat()).ptr;
        return "Float(" + std::string(buffer, end) + ")";
    }
    case Value::Type::Decimal:
        return "Decimal(" + std::to_string(value.asDecimal().units) + "e-" +
               std::to_string(value.asDecimal().scale) + ")";
    case Value::Type::DateTime:
        return "DateTime(" + value.asDateTime().toString() + ")";
    case Value::Type::String:
        return "String(\"" + value.asString() + "\")";
    case Value::Type::Bytes: {
        std::string hex = "Bytes(";
        for (uint8_t byte : value.asBytes()) {
            constexpr char Digits[] = "0123456789abcdef";
            hex += Digits[byte >> 4];
            hex += Digits[byte & 15];
        }
        return hex + ")";
    }
    }
    return "?";
}

std::optional<std::string> postgresUrl()
{
    const char* url = std::getenv("CORVO_TEST_PG_URL");
    if (!url || !*url) return std::nullopt;
    return std::string(url);
}

PgSchema::PgSchema(const std::string& serverUrl)
{
    static std::atomic<int> counter{0};
    m_name = "corvo_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    m_admin = Database::open(serverUrl);
    auto transaction = m_admin->begin(TransactionMode::Write);
    transaction->executeScript("CREATE SCHEMA " + m_name);
    transaction->commit();
    m_url = serverUrl + (serverUrl.find('?') == std::string::npos ? "?" : "&") +
            "options=-csearch_path%3D" + m_name;
}

PgSchema::~PgSchema()
{
    try {
        auto transaction = m_admin->begin(TransactionMode::Write);
        transaction->executeScript("DROP SCHEMA " + m_name + " CASCADE");
        transaction->commit();
    } catch (...) {
        // A schema left behind costs nothing but space in a test database.
    }
}

TestDatabase::TestDatabase(const std::string& pgServerUrl)
{
    if (pgServerUrl.empty()) {
        m_dir = std::make_unique<TempDir>();
        m_db = Database::open("sqlite:" + (m_dir->path() / "test.db").string(),
                              OpenMode::CreateIfMissing);
    } else {
        m_schema = std::make_unique<PgSchema>(pgServerUrl);
        m_db = Database::open(m_schema->url());
    }
}

TestDatabase::~TestDatabase() = default;

} // namespace corvo::server::storage::test
