#include "DemoDictionary.h"

#include "entity/Gbk.h"
#include "entity/TParamData.h"

#include <algorithm>

namespace corvo::test::demo {
namespace {

/// Captions in the three language columns, given in UTF-8.
struct Captions {
    const char* zh;
    const char* en;
    const char* jp;
};

DictField column(const char* parent, const char* code, int order, const char* type, int prec,
                 int scale, Captions captions)
{
    DictField f;
    f.parentId = parent;
    f.code = code;
    f.colOrder = order;
    f.dataType = type;
    f.prec = prec;
    f.scale = scale;
    f.name = gbk::fromUtf8(captions.zh);
    f.nameEn = gbk::fromUtf8(captions.en);
    f.nameJp = gbk::fromUtf8(captions.jp);
    return f;
}

DictField hidden(DictField f)
{
    f.isVisible = 0;
    return f;
}

DictField required(DictField f)
{
    f.isNullAble = 0;
    return f;
}

DictField queried(DictField f, int hasGrid = 0)
{
    f.isQuery = 1;
    f.hasGrid = hasGrid;
    return f;
}

/// The table's own column, its row key and its code (paged by code).
void addKeyColumns(std::vector<DictField>& out, const char* parent, const char* table, int codePrec)
{
    out.push_back(hidden(
        column(parent, table, 1, "uniqueidentifier", 0, 0, {"表标识", "Table", "テーブル"})));
    out.push_back(hidden(
        column(parent, "ObjID", 2, "uniqueidentifier", 0, 0, {"标识", "Identifier", "識別子"})));
    DictField code = column(parent, "Code", 3, "varchar", codePrec, 0, {"编号", "Code", "コード"});
    code.isSort = 1;
    code.isUnique = 1;
    out.push_back(queried(required(code)));
}

/// A display column taken from another table.
DictField joinedFrom(DictField f, const char* table, const char* field)
{
    f.isJoined = 1;
    f.joinedTable = table;
    f.joinedField = field;
    f.joinedType = "left";
    return f;
}

/// A reference column whose values are other-parameter rows of one type, and its name.
void addOtherParam(std::vector<DictField>& out, const char* parent, const char* code,
                   const char* nameCode, int order, const char* paramType, Captions captions,
                   bool status)
{
    DictField ref = hidden(column(parent, code, order, "uniqueidentifier", 0, 0, captions));
    ref.isOtherParam = 1;
    ref.joinedField = paramType;
    ref.isStatus = status ? 1 : 0;
    out.push_back(status ? ref : queried(ref, 1));
    DictField name =
        joinedFrom(column(parent, nameCode, order + 1, "varchar", 30, 0, captions), code, "Name");
    name.isOtherParam = 1;
    out.push_back(name);
}

std::vector<DictField> organColumns()
{
    std::vector<DictField> out;
    addKeyColumns(out, OrganID, "TOrgan", 20);
    out.push_back(
        queried(required(column(OrganID, "Name", 4, "varchar", 60, 0, {"名称", "Name", "名称"}))));
    addOtherParam(out, OrganID, "TOrganType", "TOrganTypeName", 5, "OrganType",
                  {"机构类型", "Type", "種類"}, false);
    out.push_back(column(OrganID, "Telephone", 7, "varchar", 30, 0, {"电话", "Telephone", "電話"}));
    addOtherParam(out, OrganID, "StatusID", "StatusName", 8, "Status", {"状态", "Status", "状態"},
                  true);
    return out;
}

std::vector<DictField> productColumns()
{
    std::vector<DictField> out;
    addKeyColumns(out, ProductID, "TProduct", 20);
    out.push_back(queried(
        required(column(ProductID, "Name", 4, "varchar", 60, 0, {"品名", "Product", "品名"}))));
    DictField type = hidden(column(ProductID, "TProductTypeID", 5, "uniqueidentifier", 0, 0,
                                   {"商品类别", "Category", "カテゴリ"}));
    type.joinedTable = "TProductType";
    out.push_back(queried(type, 1));
    out.push_back(joinedFrom(column(ProductID, "TProductTypeName", 6, "varchar", 40, 0,
                                    {"商品类别", "Category", "カテゴリ"}),
                             "TProductType", "Name"));
    out.push_back(column(ProductID, "UnitPrice", 7, "money", 19, 2, {"单价", "Price", "単価"}));
    out.push_back(column(ProductID, "Weight", 8, "float", 15, 3, {"重量", "Weight", "重量"}));
    out.push_back(column(ProductID, "Remark", 9, "text", 0, 0, {"备注", "Remark", "備考"}));
    out.push_back(column(ProductID, "Photo", 10, "image", 0, 0, {"图片", "Photo", "写真"}));
    addOtherParam(out, ProductID, "StatusID", "StatusName", 11, "Status",
                  {"状态", "Status", "状態"}, true);
    return out;
}

std::vector<DictField> saleColumns()
{
    std::vector<DictField> out;
    addKeyColumns(out, SaleID, "TSale", 30);
    out.push_back(queried(
        required(column(SaleID, "BillDate", 4, "datetime", 0, 0, {"单据日期", "Date", "日付"}))));
    out.push_back(hidden(
        column(SaleID, "TOwnerID", 5, "uniqueidentifier", 0, 0, {"所属机构", "Owner", "所属"})));
    out.push_back(
        joinedFrom(column(SaleID, "TOwnerName", 6, "varchar", 60, 0, {"所属机构", "Owner", "所属"}),
                   "TOrgan", "Name"));
    DictField customer = hidden(required(
        column(SaleID, "TOrganID", 7, "uniqueidentifier", 0, 0, {"客户", "Customer", "顧客"})));
    customer.joinedTable = "TOrgan";
    customer.value = "1";
    out.push_back(queried(customer, 1));
    out.push_back(
        joinedFrom(column(SaleID, "TOrganName", 8, "varchar", 60, 0, {"客户", "Customer", "顧客"}),
                   "TOrgan", "Name"));
    out.push_back(column(SaleID, "Amount", 9, "decimal", 18, 2, {"金额", "Amount", "金額"}));
    out.push_back(column(SaleID, "Remark", 10, "nvarchar", 100, 0, {"备注", "Remark", "備考"}));
    addOtherParam(out, SaleID, "StatusID", "StatusName", 11, "Status", {"状态", "Status", "状態"},
                  true);
    std::reverse(out.begin(), out.end());
    return out;
}

std::vector<DictField> saleDetailColumns()
{
    std::vector<DictField> out;
    out.push_back(hidden(column(SaleDetailID, "TSaleDetail", 1, "uniqueidentifier", 0, 0,
                                {"表标识", "Table", "テーブル"})));
    out.push_back(hidden(column(SaleDetailID, "ObjID", 2, "uniqueidentifier", 0, 0,
                                {"标识", "Identifier", "識別子"})));
    out.push_back(hidden(column(SaleDetailID, "ParentID", 3, "uniqueidentifier", 0, 0,
                                {"单据", "Document", "伝票"})));
    DictField product = hidden(required(column(SaleDetailID, "TProductID", 4, "uniqueidentifier", 0,
                                               0, {"商品", "Product", "商品"})));
    product.joinedTable = "TProduct";
    out.push_back(product);
    out.push_back(joinedFrom(column(SaleDetailID, "TProductCode", 5, "varchar", 20, 0,
                                    {"商品编号", "Product code", "商品コード"}),
                             "TProduct", "Code"));
    out.push_back(joinedFrom(
        column(SaleDetailID, "TProductName", 6, "varchar", 60, 0, {"品名", "Product", "品名"}),
        "TProduct", "Name"));
    out.push_back(
        required(column(SaleDetailID, "Qty", 7, "int", 0, 0, {"数量", "Quantity", "数量"})));
    out.push_back(column(SaleDetailID, "UnitPrice", 8, "money", 19, 2, {"单价", "Price", "単価"}));
    out.push_back(column(SaleDetailID, "Amount", 9, "decimal", 18, 2, {"金额", "Amount", "金額"}));
    DictField line =
        hidden(column(SaleDetailID, "DispOrder", 10, "smallint", 0, 0, {"行号", "Line", "行"}));
    line.isSort = 1;
    out.push_back(line);
    return out;
}

} // namespace

const std::vector<DictTable>& tables()
{
    static const std::vector<DictTable> rows = {
        {OrganID, "TOrgan", gbk::fromUtf8("组织机构"), 0, 1},
        {ProductID, "TProduct", gbk::fromUtf8("商品"), 1, 1},
        {SaleID, "TSale", gbk::fromUtf8("销售单"), 1, 0},
        {SaleDetailID, "TSaleDetail", gbk::fromUtf8("销售单明细"), 0, 0},
    };
    return rows;
}

const std::vector<DictField>& fields()
{
    static const std::vector<DictField> rows = [] {
        std::vector<DictField> all;
        for (auto part : {organColumns(), productColumns(), saleColumns(), saleDetailColumns()})
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }();
    return rows;
}

std::vector<DictField> columnsOf(std::string_view tableObjId)
{
    std::vector<DictField> out;
    for (const DictField& f : fields())
        if (f.parentId == tableObjId) out.push_back(f);
    std::stable_sort(out.begin(), out.end(), [](const DictField& a, const DictField& b) {
        return a.colOrder < b.colOrder;
    });
    return out;
}

void fillDictionary(TClientDataSet& dictTable, TClientDataSet& dictField)
{
    declareDictTable(dictTable);
    for (const DictTable& t : tables())
        addDictTable(dictTable, t);
    declareDictField(dictField);
    for (const DictField& f : fields())
        addDictField(dictField, f);
}

void addDictionaryRows(TParamData& packet)
{
    TClientDataSet dictTable;
    TClientDataSet dictField;
    fillDictionary(dictTable, dictField);
    packet.SetParamData("TDictTable", dictTable.Data());
    packet.SetParamData("TDictField", dictField.Data());
}

} // namespace corvo::test::demo
