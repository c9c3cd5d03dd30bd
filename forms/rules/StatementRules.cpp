#include "StatementRules.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"

#include <algorithm>
#include <cctype>

namespace corvo::forms {
namespace {

bool blank(const std::string& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isspace(c) != 0; });
}

} // namespace

bool IsPartnerSideModule(TClientDataSet& modules, std::string_view moduleName)
{
    if (!modules.Active() || moduleName.empty() || !modules.FindField("Name") ||
        !modules.FindField("TypeNo"))
        return false;
    const Variant type = modules.Lookup("Name", Variant(std::string(moduleName)), "TypeNo");
    return !type.isNull() && type.toText() == "2";
}

PartnerQuery PartnerClauses(const std::vector<DictColumn>& columns,
                            const std::function<std::string(const std::string& code)>& conditionOf,
                            bool partnerSide, bool hasOrganField, const std::string& owner,
                            const std::string& partner, const std::string& missingPartner)
{
    if (blank(partner)) throw Error(missingPartner);
    const std::string table = columns.empty() ? std::string() : columns.front().code;
    PartnerQuery query;
    for (const DictColumn& column : columns) {
        if (column.isQuery != 1) continue;
        if (partnerSide && gbk::equalsIgnoreCase(column.code, "TOrganID")) continue;
        const std::string condition = conditionOf(column.code);
        if (!condition.empty()) query.where.push_back("(" + table + "." + condition + ")");
    }
    if (partnerSide && hasOrganField) {
        query.where.push_back("(" + table + ".TOrganID = " + QuotedFilterValue(owner) + ")");
        query.packetOwner = partner;
    }
    return query;
}

std::string MissingPartnerMessage(bool statement, const std::string& caption)
{
    return statement ? std::string("请先选择对帐企业") : "请先选择" + caption;
}

const char* StatementReplyMessage(int rows)
{
    return rows > 1 ? "对账单生成完成" : "当前条件下没有单据";
}

int PresetPartner(const std::vector<PartnerEntry>& entries, std::string_view ownId, int wantedRole)
{
    int other = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].id.empty() || gbk::equalsIgnoreCase(entries[i].id, ownId)) continue;
        if (entries[i].role == wantedRole) return static_cast<int>(i);
        if (other < 0) other = static_cast<int>(i);
    }
    return other;
}

std::string LockedConditionMessage(const std::string& caption)
{
    return "条件" + caption + "在查询时不可缺少。";
}

bool ExchangeOwnerAndPartner(TCustomEntity& master)
{
    if (!master.Active() || master.IsEmpty()) return false;
    TField* organ = master.FindField("TOrganID");
    TField* owner = master.FindField("TOwnerID");
    if (!organ || !owner) return false;
    const std::string partner = organ->AsString();
    const std::string own = owner->AsString();
    master.Edit();
    organ->SetAsString(own);
    owner->SetAsString(partner);
    master.Post();
    return true;
}

std::array<DiscountColumn, 10> DiscountTitles(TCustomEntity& otherParams)
{
    std::array<DiscountColumn, 10> columns;
    if (!otherParams.Active() || !otherParams.FindField("Type")) return columns;
    otherParams.FilterEqual("Type", "TSaleTypeID");
    const int types = otherParams.RecordCount();
    otherParams.SortAsc("DispOrder", "Clear");
    TField* order = otherParams.FindField("DispOrder");
    TField* name = otherParams.FindField("Name");
    for (int n = 1; n <= 10; ++n) {
        if (n > types) continue;
        columns[n - 1].visible = true;
        if (!order || !name) continue;
        for (otherParams.First(); !otherParams.Eof(); otherParams.Next())
            if (order->AsString() == std::to_string(n)) {
                columns[n - 1].title = name->AsString();
                break;
            }
    }
    otherParams.First();
    return columns;
}

} // namespace corvo::forms
