#include "TSQLAdder.h"

#include "Error.h"
#include "Gbk.h"

#include <string>

namespace corvo {
namespace {

constexpr int SQLKeySize = 20;
constexpr int SQLClauseSize = 500;

bool isPagedMode(std::string_view mode)
{
    return mode == pagemode::FirstPage || mode == pagemode::NextPage ||
           mode == pagemode::PreviousPage;
}

bool isWordByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_' ||
           b >= 0x80;
}

// Some occurrence of the target, ignoring letter case, that is not followed by more of the
// same word: "TWarehouse as TWarehouseIn" must not count as "TWarehouse as TWarehouse".
bool containsEndingAtWord(std::string_view text, std::string_view target)
{
    const std::string hay = gbk::upper(text);
    const std::string needle = gbk::upper(target);
    if (needle.empty()) return false;
    for (auto pos = hay.find(needle); pos != std::string::npos; pos = hay.find(needle, pos + 1)) {
        const std::size_t end = pos + needle.size();
        if (end == hay.size() || !isWordByte(hay[end])) return true;
    }
    return false;
}

// The alias a joined column is selected through; the two renamed ones let a table be joined
// twice (a second warehouse, the owner organisation).
std::string joinAlias(std::string_view column, std::string joinedTable)
{
    if (column == "TWarehouseInName") return "TWarehouseIn";
    if (gbk::equalsIgnoreCase(column, "TOwnerName")) return "TOwner";
    return joinedTable;
}

class ClearFilterOnExit {
public:
    explicit ClearFilterOnExit(TCustomEntity& entity) : m_entity(entity) {}
    ~ClearFilterOnExit() { m_entity.ClearFilter(); }
    ClearFilterOnExit(const ClearFilterOnExit&) = delete;
    ClearFilterOnExit& operator=(const ClearFilterOnExit&) = delete;

private:
    TCustomEntity& m_entity;
};

} // namespace

TSQLAdder::TSQLAdder(EntityRegistry* entityList) : TCustomEntity(entityList)
{
    FieldDefs().Add("SQLKey", FieldType::String, SQLKeySize);
    FieldDefs().Add("SQLClause", FieldType::String, SQLClauseSize);
    CreateDataSet();
}

bool TSQLAdder::AddClause(std::string_view kind, std::string_view text)
{
    try {
        Append();
        FieldByName("SQLKey").SetAsString(kind);
        FieldByName("SQLClause").SetAsString(text);
        Post();
    } catch (const std::exception&) {
        // A half-written row must not be posted by the next operation.
        if (State() == DataSetState::Insert) Delete();
        throw Error("在将SQL子句加入到数据集时出错！");
    }
    return true;
}

bool TSQLAdder::BuildQuery(TCustomEntity* fields, std::string_view pageMode,
                           std::string_view nextKey, std::string_view previousKey)
{
    if (fields == nullptr) throw Error("无效的输入变量--未分配内存");
    if (fields->RecordCount() == 0) throw Error("无效的输入变量--为空");
    if (fields->FieldCount() == 0) throw Error("无效的输入变量--字段数为零");

    // Data is Null exactly when there is no structure; AddClause reports that case.
    if (Active()) EmptyDataSet();

    bool first = true;
    fields->ClearSort();
    fields->SortAsc("ColOrder", "");
    fields->First();

    const std::string table = fields->FieldByName("Code").AsString();
    AddClause(clause::From, table);

    const std::string prefix = "top " + std::to_string(QueryPageSize) + " ";
    for (; !fields->Eof(); fields->Next()) {
        const std::string column = fields->FieldByName("Code").AsString();
        const std::string qualified = table + "." + column;

        if (fields->FieldByName("IsSort").AsInteger() == 1) {
            if (pageMode == pagemode::FirstPage || pageMode == pagemode::AllPage) {
                AddClause(clause::Order, qualified);
            } else if (pageMode == pagemode::PreviousPage) {
                if (!previousKey.empty())
                    AddClause(clause::Where, qualified + "<" + QuotedFilterValue(previousKey));
                AddClause(clause::Order, qualified + " desc");
            } else if (pageMode == pagemode::NextPage) {
                if (!nextKey.empty())
                    AddClause(clause::Where, qualified + ">" + QuotedFilterValue(nextKey));
                AddClause(clause::Order, qualified);
            }
        }

        const std::string top = first && isPagedMode(pageMode) ? prefix : std::string();
        const bool wasFirst = first;
        first = false;

        if (fields->FieldByName("IsJoined").AsInteger() == 0) {
            AddClause(clause::Select, top + qualified);
            continue;
        }
        const std::string joinedTable = fields->FieldByName("JoinedTable").AsString();
        const std::string joinedField = fields->FieldByName("JoinedField").AsString();
        const std::string joinType = fields->FieldByName("JoinedType").AsString();
        const std::string alias = joinAlias(column, joinedTable);
        if (fields->FieldByName("IsOtherParam").AsInteger() == 0) {
            AddClause(clause::Select, top + alias + "." + joinedField + " as " + column);
            if (!HasJoinAs(alias))
                AddClause(clause::Join, joinType + " join " + joinedTable + " as " + alias +
                                            " on " + table + "." + alias + "ID = " + alias +
                                            ".ObjID");
        } else {
            AddClause(clause::Select, top + joinedTable + "." + joinedField + " as " + column);
            // The first column names the table itself; it is never joined.
            if (!wasFirst && !HasOtherParamJoin(alias))
                AddClause(clause::Join, joinType + " join TOtherParam as " + joinedTable + " on " +
                                            table + "." + joinedTable + " = " + joinedTable +
                                            ".ObjID");
        }
    }
    return true;
}

bool TSQLAdder::hasJoinText(std::string_view target)
{
    ClearFilterOnExit clearFilter(*this);
    FilterEqual("SQLKey", clause::Join);
    TField& text = FieldByName("SQLClause");
    for (First(); !Eof(); Next())
        if (containsEndingAtWord(text.AsString(), target)) return true;
    return false;
}

bool TSQLAdder::HasJoinAs(std::string_view alias)
{
    // The alias as a whole word after " as ": a table joined under a renamed alias
    // ("TOrgan as TOwner") is found too, so it is never joined twice under one alias.
    return hasJoinText(" as " + std::string(alias));
}

bool TSQLAdder::HasOtherParamJoin(std::string_view alias)
{
    return hasJoinText("TOtherParam as " + std::string(alias));
}

} // namespace corvo
