#include "SchemaTestSupport.h"

#include "server/schema/DictionaryBuilder.h"

#include <atomic>
#include <cstdlib>
#include <random>
#include <unistd.h>

namespace corvo::server::schema::test {
namespace {

using Coding = DictionaryBuilder::Coding;
using Copy = DictionaryBuilder::Copy;

void addParams(DictionaryBuilder& b)
{
    auto p = b.table(ParamTableID, "TOtherParam", "其他参数", "Other parameters", Coding::Typed,
                     Copy::Client);
    p.keys();
    p.text("Code", 50, "代码", "Code");
    p.text("Name", 50, "名称", "Name");
}

} // namespace

SqliteFile::SqliteFile()
{
    std::random_device random;
    m_dir = std::filesystem::temp_directory_path() /
            ("corvo-schema-" + std::to_string(getpid()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(m_dir);
    m_db = storage::Database::open("sqlite:" + (m_dir / "test.db").string(),
                                   storage::OpenMode::CreateIfMissing);
}

SqliteFile::~SqliteFile()
{
    m_db.reset();
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
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
    m_name = "corvo_schema_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    m_admin = storage::Database::open(serverUrl);
    auto tx = m_admin->begin(storage::TransactionMode::Write);
    tx->executeScript("CREATE SCHEMA " + m_name);
    tx->commit();
    m_db =
        storage::Database::open(serverUrl + (serverUrl.find('?') == std::string::npos ? "?" : "&") +
                                "options=-csearch_path%3D" + m_name);
}

PgSchema::~PgSchema()
{
    m_db.reset();
    try {
        auto tx = m_admin->begin(storage::TransactionMode::Write);
        tx->executeScript("DROP SCHEMA " + m_name + " CASCADE");
        tx->commit();
    } catch (...) {
        // A schema left behind in a test database only costs space.
    }
}

Dictionary shopDictionary()
{
    DictionaryBuilder b;
    addParams(b);
    auto s = b.table(ShopTableID, "TShop", "门店", "Shops", Coding::Typed, Copy::Client);
    s.keys();
    s.text("Code", 20, "代码", "Code").required().sort();
    s.text("Name", 10, "名称", "Name");
    s.decimal("Area", 10, 2, "面积", "Area");
    s.add("Weight", "float", 15, 3, "重量", "Weight");
    s.dateTime("Opened", "开业", "Opened");
    s.integer("Staff", "人数", "Staff");
    s.memo("Note", "备注", "Note");
    s.add("Photo", "image", 0, 0, "照片", "Photo");
    s.owner();
    s.validity();
    Dictionary d = b.take();
    // The owner of a shop is a shop here, with a name of the shop's length.
    for (DictField& f : d.fields)
        if (f.code == "TOwnerName") f.joinedTable = "TShop", f.prec = 10;
    return d;
}

} // namespace corvo::server::schema::test
