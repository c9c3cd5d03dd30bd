#include "GroupPage.h"

namespace corvo::shell {
namespace {

// Whole group names: "销售发票" stays as it is, only the purchase side is renamed.
std::string renamed(const std::string& name)
{
    for (auto [from, to] : {std::pair{"发票", "供应商发票"}, std::pair{"付款", "付款单"},
                            std::pair{"收款", "收款单"}})
        if (name == from) return to;
    return name;
}

bool isOneOf(const std::string& g, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (g == n) return true;
    return false;
}

} // namespace

GroupPage groupPageFor(const std::string& name,
                       const std::function<bool(const std::string&)>& moduleExists)
{
    GroupPage p;
    const std::string g = renamed(name);
    p.group = g;
    p.title = g + "管理";
    const bool account = isOneOf(g, {"应收款", "应付款"});
    // The purchase invoices are registered like the other bills, under their new name too.
    if (isOneOf(g, {"采购发票", "供应商发票", "付款单", "销售发票", "收款单"})) {
        p.newCaption = "登记" + g;
    } else if (account) {
        p.newCaption = "当月" + g;
    } else if (g == "物料") {
        p.newCaption = "新增物料";
    } else {
        p.newCaption = "新增" + g;
        if (moduleExists("审核" + g)) {
            p.verifyShown = true;
            p.verifyCaption = "审核" + g;
        }
    }
    if (account) {
        p.editCaption = "历史" + g;
        p.editShown = true;
    } else if (moduleExists("修改" + g)) {
        p.editCaption = "修改" + g;
        p.editShown = p.editPictureShown = true;
    }
    if (moduleExists("查询" + g)) {
        p.queryCaption = "查询" + g;
        p.queryShown = p.queryPictureShown = true;
    }
    if (moduleExists("作废" + g)) {
        p.invalidCaption = "作废" + g;
        p.invalidShown = true;
    }
    if (g == "对帐单") {
        p.newShown = false;
        p.queryPictureShown = false;
    }
    return p;
}

int messageFontSize(std::size_t characters) noexcept
{
    return characters < 37 ? 18 : 12;
}

} // namespace corvo::shell
