// The entity registry: members by name, loading, structures and captions from the dictionary,
// grid binding.
#include "DemoDictionary.h"
#include "EntityFixture.h"
#include "TestTables.h"
#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/GridBinding.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"

#include <functional>
#include <gtest/gtest.h>

using namespace corvo;
using namespace corvo::test;

namespace {

/// What a bound grid shows: "Field=Caption" for the visible fields, in field order.
Texts shownColumns(const TClientDataSet& ds)
{
    Texts out;
    for (int i = 0; i < ds.FieldCount(); ++i)
        if (ds.Fields(i).Visible())
            out.push_back(ds.Fields(i).FieldName() + "=" + ds.Fields(i).DisplayLabel());
    return out;
}

/// The same from the demo dictionary's rows of a table, in the caption language given.
Texts expectedColumns(const char* tableId, std::string DictField::*caption)
{
    Texts out;
    for (const DictField& f : demo::columnsOf(tableId))
        if (f.isVisible == 1) out.push_back(f.code + "=" + f.*caption);
    return out;
}

/// prefix + number (GCC 12 at -O3 warns wrongly about "literal" + std::to_string).
std::string numbered(const char* prefix, int n)
{
    std::string out = prefix;
    out += std::to_string(n);
    return out;
}

Texts fieldNames(const TClientDataSet& ds)
{
    Texts out;
    for (int i = 0; i < ds.FieldCount(); ++i)
        out.push_back(ds.Fields(i).FieldName());
    return out;
}

class FakeGrid : public EntityGrid {
public:
    explicit FakeGrid(std::string name = "dgeMaster", int ownColumns = 0)
        : m_name(std::move(name)), m_ownColumns(ownColumns)
    {
    }
    void bindDataSet(TClientDataSet* dataSet) override { m_shown = dataSet; }
    TClientDataSet* dataSet() const override { return m_shown; }
    bool hasColumns() const override { return m_ownColumns > 0; }
    void dropColumns() override { m_ownColumns = 0; }
    std::string componentName() const override { return m_name; }

    int ownColumns() const { return m_ownColumns; }

private:
    std::string m_name;
    int m_ownColumns;
    TClientDataSet* m_shown = nullptr;
};

void loadDemo(TCustomEntityList& list)
{
    TParamData packet(paramkind::Data);
    demo::addDictionaryRows(packet);
    list.LoadDictionary(packet);
}

Bytes packetOf(TClientDataSet& ds)
{
    return ds.Data().asBytes();
}

/// A one-column table holding the given keys.
Bytes keysPacket(std::initializer_list<const char*> keys)
{
    TClientDataSet t;
    build(t, {{"Key", FieldType::String, 10}});
    for (const char* k : keys)
        addRow(t, {k});
    return packetOf(t);
}

const Bytes Garbage = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'a', 'c', 'k', 'e', 't'};

std::string packetErrorOf(const Bytes& bytes)
{
    TClientDataSet scratch;
    return errorOf([&] { scratch.SetData(Variant(bytes)); });
}

// ---------------------------------------------------------------------------------------
// Members

TEST(EntityListMembers, NamesMatchIgnoringCaseAndKeepTheirPositions)
{
    TCustomEntityList list;
    EXPECT_TRUE(list.AddEntities({"TMaster", "TDetail"}));
    EXPECT_TRUE(list.AddEntity("tmaster"));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(&list.EntityByName("TMASTER"), &list.EntityAt(0));
    EXPECT_EQ(&list.EntityByName("tDetail"), &list.EntityAt(1));
    EXPECT_TRUE(list.HasEntity("TDETAIL"));
    EXPECT_FALSE(list.HasEntity("TDetailQuery"));
    EXPECT_EQ(list.EntityAt(1).EntityList, &list);
    EXPECT_FALSE(list.EntityAt(0).Active());
    EXPECT_THROW(list.EntityAt(2), Error);
}

TEST(EntityListMembers, NameIndexHoldsPositionsOrderedAsText)
{
    TCustomEntityList list;
    for (int i = 0; i < 12; ++i)
        list.AddEntity(numbered("E", i));
    EXPECT_EQ(column(list.NameIndex(), "Value"),
              (Texts{"0", "1", "10", "11", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(column(list.NameIndex(), "Name"),
              (Texts{"E0", "E1", "E10", "E11", "E2", "E3", "E4", "E5", "E6", "E7", "E8", "E9"}));
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(&list.EntityByName(numbered("e", i)), &list.EntityAt(i));
}

TEST(EntityListMembers, NamesTheIndexCannotHoldAreRefused)
{
    struct Case {
        std::vector<std::string> names;
        bool result;
        int count;
    };
    const std::string thirty(30, 'N');
    const std::vector<Case> cases = {
        {{""}, false, 0},           {{thirty + "X"}, false, 0},
        {{thirty}, true, 1},        {{"TMaster", ""}, false, 1},
        {{"", "TMaster"}, true, 1}, {{}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.names));
        TCustomEntityList list;
        EXPECT_EQ(list.AddEntities(c.names), c.result);
        EXPECT_EQ(list.Count(), c.count);
        EXPECT_FALSE(list.HasEntity(""));
    }
}

TEST(EntityListMembers, UnregisteredNameRaisesItsMessage)
{
    TCustomEntityList list;
    list.AddEntity("TMaster");
    EXPECT_EQ(errorOf([&] { list.EntityByName("TDetail"); }),
              "实体对象列表中不存在实体[TDetail]，请检查！");
    EXPECT_EQ(errorOf([&] { list.EntityByName(G("单据")); }),
              "实体对象列表中不存在实体[单据]，请检查！");
}

TEST(EntityListMembers, HasRowsNeedsVisibleRows)
{
    TCustomEntityList list;
    list.AddEntities({"TNoStructure", "TEmpty", "TRows", "TFilteredOut"});
    build(list.EntityByName("TEmpty"), {{"Key", FieldType::String, 10}});
    list.EntityByName("TRows").SetData(Variant(keysPacket({"a"})));
    list.EntityByName("TFilteredOut").SetData(Variant(keysPacket({"a"})));
    list.EntityByName("TFilteredOut").FilterEqual("Key", "b");
    EXPECT_FALSE(list.HasRows("TUnknown"));
    EXPECT_FALSE(list.HasRows("TNoStructure"));
    EXPECT_FALSE(list.HasRows("TEmpty"));
    EXPECT_TRUE(list.HasRows("trows"));
    EXPECT_FALSE(list.HasRows("TFilteredOut"));
}

TEST(EntityListMembers, TakeDataFromCopiesOnlyTheNamesBothHold)
{
    TCustomEntityList form;
    form.AddEntities({"TModule", "TDictTable", "TDictField"});
    TCustomEntityList login;
    loadDemo(login);
    login.AddEntity("TUser");
    login.EntityByName("TUser").SetData(Variant(keysPacket({"u1"})));

    form.TakeDataFrom(login);
    EXPECT_FALSE(form.EntityByName("TModule").Active());
    EXPECT_FALSE(form.HasEntity("TUser"));
    EXPECT_EQ(form.EntityByName("TDictField").RecordCount(),
              static_cast<int>(demo::fields().size()));
    EXPECT_EQ(packetOf(form.EntityByName("TDictTable")),
              packetOf(login.EntityByName("TDictTable")));

    // A copy: the source changing later does not reach it.
    login.EntityByName("TDictTable").EmptyDataSet();
    EXPECT_EQ(form.EntityByName("TDictTable").RecordCount(),
              static_cast<int>(demo::tables().size()));
}

// ---------------------------------------------------------------------------------------
// Loading a reply

TEST(EntityListLoad, LoadDictionaryTakesOnlyTheDictionaryRows)
{
    TParamData packet(paramkind::Data);
    demo::addDictionaryRows(packet);
    packet.SetParamValue("AppName", "Corvo");
    packet.SetParamData("TProduct", Variant(keysPacket({"p1"})));

    TCustomEntityList list;
    list.LoadDictionary(packet);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.EntityByName("TDictTable").RecordCount(),
              static_cast<int>(demo::tables().size()));
    EXPECT_EQ(list.EntityByName("TDictField").RecordCount(),
              static_cast<int>(demo::fields().size()));

    // A second load replaces the data of the same members.
    TParamData smaller(paramkind::Data);
    smaller.SetParamData("tdictfield", Variant(keysPacket({"k"})));
    list.LoadDictionary(smaller);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(column(list.EntityByName("TDictField"), "Key"), Texts{"k"});
}

TEST(EntityListLoad, LoadDictionaryRaisesThePacketErrorAndKeepsTheOldData)
{
    TCustomEntityList list;
    loadDemo(list);
    TParamData packet(paramkind::Data);
    packet.SetParamData("TDictField", Variant(Garbage));
    EXPECT_EQ(errorOf([&] { list.LoadDictionary(packet); }), packetErrorOf(Garbage));
    EXPECT_EQ(list.EntityByName("TDictField").RecordCount(),
              static_cast<int>(demo::fields().size()));
}

TEST(EntityListLoad, LoadOtherEntitiesTakesTheOtherTablesAndSkipsValues)
{
    TParamData packet(paramkind::Data);
    demo::addDictionaryRows(packet);
    packet.SetParamValue("AppName", "Corvo");
    packet.SetParamData("TMessage", Variant(keysPacket({"m1", "m2"})));
    packet.SetParamData("TUser", Variant(keysPacket({"u1"})));

    TCustomEntityList list;
    list.LoadOtherEntities(packet);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(column(list.EntityByName("TMessage"), "Key"), (Texts{"m1", "m2"}));
    EXPECT_EQ(column(list.EntityByName("TUser"), "Key"), Texts{"u1"});
}

TEST(EntityListLoad, LoadOtherEntitiesStopsSilentlyAtTheFirstBadTable)
{
    TCustomEntityList list;
    list.AddEntity("TB");
    list.EntityByName("TB").SetData(Variant(keysPacket({"old"})));
    TParamData packet(paramkind::Data); // rows in Name order: TA, TB, TC
    packet.SetParamData("TC", Variant(keysPacket({"c"})));
    packet.SetParamData("TB", Variant(Garbage));
    packet.SetParamData("TA", Variant(keysPacket({"a"})));

    EXPECT_NO_THROW(list.LoadOtherEntities(packet));
    EXPECT_EQ(column(list.EntityByName("TA"), "Key"), Texts{"a"});
    EXPECT_EQ(column(list.EntityByName("TB"), "Key"), Texts{"old"});
    EXPECT_FALSE(list.HasEntity("TC"));
}

// ---------------------------------------------------------------------------------------
// Tables and selections

class EntityListDictionary : public ::testing::Test {
protected:
    void SetUp() override { loadDemo(list); }
    TCustomEntity& dictField() { return list.EntityByName("TDictField"); }

    TCustomEntityList list;
};

TEST_F(EntityListDictionary, TableObjIDFindsTheCodeInAnyCase)
{
    EXPECT_EQ(list.TableObjID("tsale"), demo::SaleID);
    EXPECT_EQ(list.TableObjID("TOrgan"), demo::OrganID);
}

TEST(EntityListTables, TableObjIDOfAMissingTableRaisesItsMessage)
{
    struct Case {
        const char* what;
        std::function<void(TCustomEntityList&)> dictField;
    };
    const std::vector<Case> cases = {
        {"empty TDictField",
         [](TCustomEntityList& l) {
             l.AddEntity("TDictField");
             declareDictField(l.EntityByName("TDictField"));
         }},
        {"no TDictField", [](TCustomEntityList&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TCustomEntityList list;
        list.AddEntity("TDictTable");
        declareDictTable(list.EntityByName("TDictTable"));
        addDictTable(list.EntityByName("TDictTable"), {demo::SaleID, "TSale"});
        c.dictField(list);
        EXPECT_EQ(errorOf([&] { list.TableObjID("TNone"); }), "表名[TNone]在表字典中不存在 ！");
        EXPECT_EQ(errorOf([&] { list.SelectTableFields("TNone"); }),
                  "表名[TNone]在表字典中不存在 ！");
    }
    TCustomEntityList empty;
    EXPECT_EQ(errorOf([&] { empty.TableObjID("TSale"); }),
              "实体对象列表中不存在实体[TDictTable]，请检查！");
}

TEST_F(EntityListDictionary, SelectTableFieldsFiltersAndSortsByColOrderAlone)
{
    dictField().SortAsc("Code", "");
    list.SelectTableFields("TSale");
    EXPECT_EQ(dictField().Filter(), std::string("(ParentID='") + demo::SaleID + "')");
    EXPECT_TRUE(dictField().Filtered());
    ASSERT_EQ(dictField().IndexDefs().Count(), 1);
    EXPECT_EQ(dictField().IndexName(), "ColOrderASC");
    Texts codes;
    for (const DictField& f : demo::columnsOf(demo::SaleID))
        codes.push_back(f.code);
    EXPECT_EQ(column(dictField(), "Code"), codes);
}

TEST_F(EntityListDictionary, SelectMasterFieldsSelectsTheTableOfTMastersFirstField)
{
    list.AddEntity("TMaster");
    build(list.EntityByName("TMaster"), {{"TSaleDetail", FieldType::Guid, 38}});
    list.SelectMasterFields();
    EXPECT_EQ(column(dictField(), "ParentID"),
              Texts(demo::columnsOf(demo::SaleDetailID).size(), demo::SaleDetailID));
}

// ---------------------------------------------------------------------------------------
// Building structures

struct TypeCase {
    const char* sqlType;
    int prec;
    int scale;
    const char* field; ///< "Type Size" expected
};

TEST(EntityListBuild, SqlTypesGiveFieldTypesAndSizesInColOrder)
{
    const std::vector<TypeCase> cases = {
        {"varchar", 50, 4, "String 50"},
        {"char", 10, 0, "String 10"},
        {"uniqueidentifier", 0, 0, "Guid 38"},
        {"int", 10, 2, "Integer 0"},
        {"smallint", 5, 0, "Smallint 0"},
        {"bigint", 19, 0, "Largeint 0"},
        {"bit", 1, 0, "Boolean 0"},
        {"decimal", 18, 2, "BCD 2"},
        {"numeric", 18, 4, "BCD 4"},
        {"money", 19, 4, "BCD 4"},
        {"smallmoney", 10, 2, "BCD 2"},
        {"float", 15, 3, "Float 3"},
        {"real", 7, 1, "Float 1"},
        {"datetime", 23, 3, "DateTime 0"},
        {"smalldatetime", 16, 0, "DateTime 0"},
        {"text", 16, 0, "Memo 16"},
        {"ntext", 16, 0, "Memo 16"},
        {"nvarchar", 40, 0, "WideString 40"},
        {"image", 16, 0, "Blob 0"},
        {"VARCHAR", 8, 0, "String 8"},
    };
    TCustomEntityList list;
    list.AddEntities({"TDictTable", "TDictField"});
    declareDictTable(list.EntityByName("TDictTable"));
    addDictTable(list.EntityByName("TDictTable"), {DictTableID, "TTypes"});
    TCustomEntity& dict = list.EntityByName("TDictField");
    declareDictField(dict);
    // Stored from the last column to the first.
    Texts expected(cases.size());
    for (int i = static_cast<int>(cases.size()) - 1; i >= 0; --i) {
        const TypeCase& c = cases[static_cast<std::size_t>(i)];
        const std::string name = numbered("F", i + 10);
        addDictField(dict, {.code = name,
                            .colOrder = i + 1,
                            .dataType = c.sqlType,
                            .prec = c.prec,
                            .scale = c.scale,
                            .isNullAble = 0});
        expected[static_cast<std::size_t>(i)] = name + " " + c.field;
    }
    TCustomEntity& built = list.BuildEntity("TTypes", "TMaster");
    EXPECT_EQ(describeFields(built), expected);
    for (const FieldDef& d : built.FieldDefs().list())
        EXPECT_FALSE(d.Required) << d.Name;
    EXPECT_TRUE(built.Active());
    EXPECT_TRUE(built.IsEmpty());
}

TEST_F(EntityListDictionary, BuildEntityLeavesTheTableSelectedKeepingOtherSorts)
{
    dictField().SortAsc("Code", "");
    TCustomEntity& master = list.BuildEntity("TSale", "TMaster");
    Texts codes;
    for (const DictField& f : demo::columnsOf(demo::SaleID))
        codes.push_back(f.code);
    EXPECT_EQ(fieldNames(master), codes);
    EXPECT_EQ(&master, &list.EntityByName("TMaster"));

    EXPECT_EQ(dictField().Filter(), std::string("(ParentID='") + demo::SaleID + "')");
    EXPECT_TRUE(dictField().Filtered());
    ASSERT_EQ(dictField().IndexDefs().Count(), 2);
    EXPECT_EQ(dictField().IndexDefs().Items(0).Name, "CodeASC");
    EXPECT_EQ(dictField().IndexName(), "ColOrderASC");
    EXPECT_EQ(column(dictField(), "Code"), codes);
}

TEST_F(EntityListDictionary, BuildEntityKeepsAStructureBuildGridEntityRebuilds)
{
    TCustomEntity& master = list.BuildEntity("TSale", "TMaster");
    AppendNewRecord(master);
    const Texts before = describeFields(master);
    addDictField(dictField(), {.code = "Discount", .colOrder = 12, .parentId = demo::SaleID});

    EXPECT_EQ(&list.BuildEntity("TSale", "TMaster"), &master);
    EXPECT_EQ(describeFields(master), before);
    EXPECT_EQ(master.RecordCount(), 1);

    FakeGrid grid;
    list.BuildGridEntity("TSale", "TMaster", grid);
    EXPECT_EQ(fieldNames(master).back(), "Discount");
    EXPECT_EQ(master.RecordCount(), 0);
}

TEST_F(EntityListDictionary, NewRowsOfABuiltEntityCarryTheirTableObjID)
{
    TCustomEntity& product = list.BuildEntity("TProduct", "TProduct");
    AppendNewRecord(product);
    EXPECT_EQ(product.Fields(0).AsString(), demo::ProductID);
}

struct BuildFailure {
    const char* what;
    std::function<void(TCustomEntityList&)> setup;
    const char* table;
    const char* buildMessage;
    const char* gridMessage;
    bool gridKeepsStructure = false; ///< the grid build fails before it closes the entity
};

TEST(EntityListBuild, FailuresRaiseTheirMessagesAndLeaveNoStructure)
{
    const char* conversion = "SQL数据类型“geometry”不能转换为客户端字段类型！";
    auto demoDictionary = [](TCustomEntityList& l) { loadDemo(l); };
    const std::vector<BuildFailure> cases = {
        {"no dictionary", [](TCustomEntityList&) {}, "TSale",
         "无数据字典不能创建实体[TMaster]空结构！", "无数据字典不能创建实体[TMaster]空结构！",
         true},
        {"TDictField registered without a structure",
         [](TCustomEntityList& l) {
             loadDemo(l);
             l.EntityByName("TDictField").Close();
         },
         "TSale", "无数据字典不能创建实体[TMaster]空结构！",
         "无数据字典不能创建实体[TMaster]空结构！", true},
        {"unknown table", demoDictionary, "TNone",
         "实体列表中不存在实体[TNone]，因此不能创建该实体的结构！",
         "不存在表[TNone]，因此不能创建实体[TMaster]的结构！"},
        {"unknown SQL type",
         [](TCustomEntityList& l) {
             loadDemo(l);
             addDictField(l.EntityByName("TDictField"), {.code = "Shape",
                                                         .colOrder = 12,
                                                         .dataType = "geometry",
                                                         .parentId = demo::SaleID});
         },
         "TSale", conversion, conversion},
        {"two columns of one name",
         [](TCustomEntityList& l) {
             loadDemo(l);
             addDictField(l.EntityByName("TDictField"),
                          {.code = "code", .colOrder = 12, .parentId = demo::SaleID});
         },
         "TSale", "字段“code”重复定义", "字段“code”重复定义"},
    };
    for (const BuildFailure& c : cases) {
        SCOPED_TRACE(c.what);
        TCustomEntityList list;
        c.setup(list);
        EXPECT_EQ(errorOf([&] { list.BuildEntity(c.table, "TMaster"); }), c.buildMessage);
        ASSERT_TRUE(list.HasEntity("TMaster"));
        EXPECT_FALSE(list.EntityByName("TMaster").Active());
        EXPECT_EQ(list.EntityByName("TMaster").FieldDefs().Count(), 0);

        // Once past the dictionary check the grid build has discarded the old structure.
        build(list.EntityByName("TMaster"), {{"Key", FieldType::String, 10}});
        FakeGrid grid;
        EXPECT_EQ(errorOf([&] { list.BuildGridEntity(c.table, "TMaster", grid); }), c.gridMessage);
        EXPECT_EQ(list.EntityByName("TMaster").Active(), c.gridKeepsStructure);
        EXPECT_EQ(list.EntityByName("TMaster").FieldDefs().Count(), c.gridKeepsStructure ? 1 : 0);
        EXPECT_EQ(grid.dataSet(), nullptr);
    }
}

TEST_F(EntityListDictionary, AFailedBuildCanBeRepeatedOnceTheDictionaryIsMended)
{
    addDictField(
        dictField(),
        {.code = "Shape", .colOrder = 12, .dataType = "geometry", .parentId = demo::SaleID});
    EXPECT_THROW(list.BuildEntity("TSale", "TMaster"), Error);
    dictField().Locate("Code", Variant("Shape"));
    SetFieldString(dictField(), "DataType", "varchar");
    EXPECT_EQ(fieldNames(list.BuildEntity("TSale", "TMaster")).back(), "Shape");
}

// ---------------------------------------------------------------------------------------
// Captions and grids

struct LanguageCase {
    const char* column;
    std::string DictField::*caption;
};

const std::vector<LanguageCase> Languages = {
    {"Name", &DictField::name},
    {"NameEn", &DictField::nameEn},
    {"NameJP", &DictField::nameJp},
};

TEST_F(EntityListDictionary, BuildGridEntityBindsAndCaptionsWithoutTouchingTheSelection)
{
    for (const LanguageCase& language : Languages) {
        for (int ownColumns : {0, 3}) {
            SCOPED_TRACE(std::string(language.column) + " grid columns " +
                         std::to_string(ownColumns));
            list.LanguageColumn = language.column;
            list.SelectTableFields("TOrgan");
            FakeGrid grid("dgeMaster", ownColumns);
            TCustomEntity& master = list.BuildGridEntity("TSale", "TMaster", grid);
            EXPECT_EQ(grid.dataSet(), &master);
            EXPECT_EQ(grid.ownColumns(), 0);
            EXPECT_EQ(shownColumns(master), expectedColumns(demo::SaleID, language.caption));
            EXPECT_EQ(dictField().Filter(), std::string("(ParentID='") + demo::OrganID + "')");
            EXPECT_EQ(dictField().RecordCount(),
                      static_cast<int>(demo::columnsOf(demo::OrganID).size()));
        }
    }
}

TEST_F(EntityListDictionary, MasterCaptionsComeFromTheSelectedRows)
{
    list.LanguageColumn = "NameEn";
    list.BuildEntity("TSale", "TMaster");
    TCustomEntity& master = list.ApplyMasterCaptions();
    EXPECT_EQ(&master, &list.EntityByName("TMaster"));
    EXPECT_EQ(shownColumns(master), expectedColumns(demo::SaleID, &DictField::nameEn));
    EXPECT_FALSE(master.FieldByName("ObjID").Visible());
    EXPECT_EQ(master.FieldByName("ObjID").DisplayLabel(), "ObjID");
    EXPECT_EQ(master.FieldByName("Code").DisplayLabel(), "Code");
    EXPECT_EQ(master.FieldByName("BillDate").DisplayLabel(), "Date");

    // Rows of another table name fields TMaster does not have.
    list.SelectTableFields("TOrgan");
    EXPECT_EQ(errorOf([&] { list.ApplyMasterCaptions(); }), "字段“TOrgan”不存在");
}

TEST(EntityListCaptions, MasterCaptionsNeedTheDictionary)
{
    TCustomEntityList list;
    list.AddEntities({"TMaster", "TDictTable"});
    EXPECT_EQ(errorOf([&] { list.ApplyMasterCaptions(); }), "无数据字典不能生成主单据标题！");
}

TEST_F(EntityListDictionary, BindGridSelectedAppliesOnlyTheSelectedRows)
{
    list.BuildEntity("TSale", "TMaster");
    dictField().AndFilterEqual("Code", "Amount");
    FakeGrid grid;
    list.BindGridSelected("TMaster", grid);
    TCustomEntity& master = list.EntityByName("TMaster");
    EXPECT_EQ(grid.dataSet(), &master);
    EXPECT_EQ(master.FieldByName("Amount").DisplayLabel(), G("金额"));
    EXPECT_EQ(master.FieldByName("Code").DisplayLabel(), "Code");
    EXPECT_TRUE(master.FieldByName("ObjID").Visible());
}

TEST_F(EntityListDictionary, BindGridFindsTheTableFromTheFirstField)
{
    list.BuildEntity("TProduct", "TDetail");
    list.SelectTableFields("TSale");
    FakeGrid grid("dgeDetail");
    list.BindGrid("TDetail", grid);
    TCustomEntity& detail = list.EntityByName("TDetail");
    EXPECT_EQ(grid.dataSet(), &detail);
    EXPECT_EQ(shownColumns(detail), expectedColumns(demo::ProductID, &DictField::name));
    EXPECT_EQ(dictField().Filter(), std::string("(ParentID='") + demo::SaleID + "')");

    list.AddEntity("TOther");
    build(list.EntityByName("TOther"), {{"TFoo", FieldType::Guid, 38}});
    EXPECT_EQ(errorOf([&] { list.BindGrid("TOther", grid); }),
              "不存在表[TFoo]，因此不能创建GRID[dgeDetail]的结构！");
    EXPECT_EQ(grid.dataSet(), &detail);
}

TEST_F(EntityListDictionary, ApplyGridCaptionsWorksOnWhatTheGridShows)
{
    TClientDataSet shown;
    build(shown, {{"TOrgan", FieldType::Guid, 38},
                  {"Code", FieldType::String, 20},
                  {"Name", FieldType::String, 60},
                  {"TOrganType", FieldType::Guid, 38},
                  {"TOrganTypeName", FieldType::String, 30},
                  {"Telephone", FieldType::String, 30},
                  {"StatusID", FieldType::Guid, 38},
                  {"StatusName", FieldType::String, 30},
                  {"ObjID", FieldType::Guid, 38}});
    FakeGrid grid("dgeOrgan");
    grid.bindDataSet(&shown);
    list.LanguageColumn = "NameJP";
    list.ApplyGridCaptions(grid);
    EXPECT_EQ(shownColumns(shown),
              (Texts{"Code=" + G("コード"), "Name=" + G("名称"), "TOrganTypeName=" + G("種類"),
                     "Telephone=" + G("電話"), "StatusName=" + G("状態")}));

    FakeGrid empty("dgeEmpty");
    EXPECT_EQ(errorOf([&] { list.ApplyGridCaptions(empty); }),
              "不存在表[]，因此不能创建GRID[dgeEmpty]的结构！");
}

} // namespace
