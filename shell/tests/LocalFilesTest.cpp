#include "shell/LocalFiles.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "shell/LoginMessages.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <zlib.h>

namespace corvo::shell {
namespace {

namespace fs = std::filesystem;

// Reads a local file without the program's code: length word, then exactly that much inflated.
Bytes independentRead(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const Bytes raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (raw.size() < 4) return {};
    const uLongf declared = raw[0] | (raw[1] << 8) | (raw[2] << 16) | (uLongf(raw[3]) << 24);
    Bytes out(declared);
    uLongf produced = declared;
    if (uncompress(out.data(), &produced, raw.data() + 4, raw.size() - 4) != Z_OK ||
        produced != declared)
        return {};
    return out;
}

void makeProducts(TClientDataSet& ds)
{
    ds.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    ds.FieldDefs().Add("Name", FieldType::String, 40);
    ds.FieldDefs().Add("Qty", FieldType::Integer);
    ds.CreateDataSet();
    for (auto [name, qty] : {std::pair{"运动鞋", "3"}, std::pair{"衬衫", "12"}}) {
        ds.Append();
        ds.FieldByName("ObjID").SetAsString("{6F1A0C2B-3D4E-4F50-8A61-B7C8D9E0F102}");
        ds.FieldByName("Name").SetAsString(gbk::fromUtf8(name));
        ds.FieldByName("Qty").SetAsString(qty);
        ds.Post();
    }
}

struct LocalFilesTest : ::testing::Test {
    LocalFilesTest()
    {
        char dir[] = "/tmp/corvo-local-XXXXXX";
        home = mkdtemp(dir);
        setenv("CORVO_HOME", home.c_str(), 1);
    }
    ~LocalFilesTest() override
    {
        unsetenv("CORVO_HOME");
        std::error_code ec;
        fs::remove_all(home, ec);
    }
    std::string home;
};

TEST_F(LocalFilesTest, SavedDataSetReadsBackAndIsALengthWordAndAZlibStream)
{
    EXPECT_EQ(dataDir(), home + "/Data/");
    TClientDataSet products;
    makeProducts(products);
    products.First();
    products.Edit();
    products.FieldByName("Qty").SetAsString("7"); // pending: saving posts it
    saveDataSetFile(dataDir() + "TProduct", products);

    EXPECT_EQ(independentRead(dataDir() + "TProduct"), products.Data().asBytes());
    TClientDataSet back;
    ASSERT_TRUE(loadDataSetFile(dataDir() + "TProduct", back));
    EXPECT_EQ(back.RecordCount(), 2);
    back.First();
    EXPECT_EQ(back.FieldByName("Qty").AsString(), "7");
    EXPECT_EQ(gbk::toUtf8(back.FieldByName("Name").AsString()), "运动鞋");
}

TEST(AppDir, CorvoHomeThenAWritableProgramFolderThenTheUsersDataFolder)
{
    const struct {
        AppDirInputs in;
        const char* expected;
    } cases[] = {
        {{"/srv/corvo", "/opt/corvo", true, "/x", "/home/li"}, "/srv/corvo/"},
        {{"", "/opt/corvo", true, "/home/li/data", "/home/li"}, "/opt/corvo/"},
        {{"", "/opt/corvo", false, "/home/li/data", "/home/li"}, "/home/li/data/corvo/"},
        // Installed: per user even for root, who may write anywhere.
        {{"", "/usr/bin", true, "", "/root"}, "/root/.local/share/corvo/"},
        // A relative XDG_DATA_HOME is to be ignored.
        {{"", "/usr/bin", false, "data", "/home/li"}, "/home/li/.local/share/corvo/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseAppDir(c.in), c.expected) << c.in.programDir;
}

TEST_F(LocalFilesTest, MissingOrDamagedFilesLeaveTheDataSetAlone)
{
    TClientDataSet products;
    makeProducts(products);
    const Bytes before = products.Data().asBytes();
    EXPECT_FALSE(loadDataSetFile(dataDir() + "Nothing", products));

    fs::create_directories(dataDir());
    TClientDataSet other;
    makeProducts(other);
    saveDataSetFile(dataDir() + "Good", other);
    std::ifstream in(dataDir() + "Good", std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const std::string& bad :
         {std::string("ab"), good.substr(0, good.size() - 3),
          std::string("\xff\xff\xff\x7f", 4) + good.substr(4), good + "tail"}) {
        std::ofstream(dataDir() + "Bad", std::ios::binary | std::ios::trunc) << bad;
        EXPECT_THROW(loadDataSetFile(dataDir() + "Bad", products), Error);
        EXPECT_EQ(products.Data().asBytes(), before);
    }
}

void makeMessages(TClientDataSet& ds, std::initializer_list<const char*> ids)
{
    ds.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    ds.FieldDefs().Add("TMessageTypeName", FieldType::String, 50);
    ds.FieldDefs().Add("Code", FieldType::String, 50);
    ds.FieldDefs().Add("Message", FieldType::String, 200);
    ds.CreateDataSet();
    for (const char* id : ids) {
        ds.Append();
        ds.FieldByName("ObjID").SetAsString(id);
        ds.FieldByName("TMessageTypeName").SetAsString(gbk::fromUtf8("通知"));
        ds.FieldByName("Code").SetAsString(gbk::fromUtf8(std::string("标题") + id[1]));
        ds.FieldByName("Message").SetAsString(gbk::fromUtf8("内容"));
        ds.Post();
    }
}

TEST(LoginMessagesTest, OnlyMessagesThePreviousLoginLackedRemain)
{
    const char* a = "{A0000000-0000-4000-8000-000000000001}";
    const char* b = "{B0000000-0000-4000-8000-000000000002}";
    const char* c = "{C0000000-0000-4000-8000-000000000003}";
    TClientDataSet fresh, previous;
    makeMessages(fresh, {a, b, c});
    makeMessages(previous, {a, c});
    EXPECT_TRUE(keepNewMessages(fresh, &previous));
    EXPECT_EQ(messageText(fresh), "●通知  标题B\n 内容\n  \n");

    TClientDataSet again, all;
    makeMessages(again, {a, c});
    makeMessages(all, {c, a, b});
    EXPECT_FALSE(keepNewMessages(again, &all));
    EXPECT_TRUE(again.IsEmpty());
}

} // namespace
} // namespace corvo::shell
