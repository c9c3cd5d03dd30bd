#include "SizeDocuments.h"

#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"
#include "entity/TField.h"

#include <cmath>
#include <cstdio>

namespace corvo::forms {
namespace {

struct Change {
    const char* code;
    const char* field;
    const char* value; ///< UTF-8 for captions
    bool caption;
    bool forms[6]; ///< Entry, Update, Query, Verify, Invalidate, Summary
};

constexpr Change Changes[] = {
    {"Code", "Name", "日报编号", true, {true, true, true, true, true, true}},
    {"TOrganID", "IsStatus", "1", false, {true, true, true, true, true, true}},
    {"TOrganID", "IsQuery", "0", false, {false, true, true, true, false, true}},
    {"StatusID", "IsQuery", "1", false, {false, false, true, false, false, false}},
    {"TWarehouseID", "Name", "销售门店", true, {true, true, true, true, true, true}},
    {"TEmployeeID", "Name", "销售人员", true, {true, true, true, true, true, true}},
    {"HappenDate", "Name", "销售日期", true, {true, true, true, true, true, true}},
};

void write(TClientDataSet& rows, const char* field, const std::string& value)
{
    if (TField* f = rows.FindField(field)) f->SetAsString(value);
}

} // namespace

bool CaptionHasWord(std::string_view captionGbk, std::string_view wordUtf8)
{
    const std::string word = gbk::fromUtf8(wordUtf8);
    if (word.empty()) return true;
    for (std::size_t i = 0; i + word.size() <= captionGbk.size();) {
        if (captionGbk.compare(i, word.size(), word) == 0) return true;
        i += static_cast<unsigned char>(captionGbk[i]) >= 0x81 ? 2 : 1;
    }
    return false;
}

bool RelabelsDailyReport(SizeForm form, std::string_view captionGbk)
{
    return CaptionHasWord(captionGbk, form == SizeForm::Summary ? "销售商品" : "日报");
}

void RelabelDailyReport(TClientDataSet& dictField, SizeForm form, const std::string& languageColumn)
{
    if (!dictField.Active() || !dictField.FindField("Code")) return;
    for (const Change& change : Changes) {
        if (!change.forms[static_cast<int>(form)]) continue;
        if (!dictField.Locate("Code", Variant(std::string(change.code)))) continue;
        dictField.Edit();
        const std::string value = change.caption ? gbk::fromUtf8(change.value) : change.value;
        write(dictField, change.field, value);
        if (change.caption && languageColumn != change.field)
            write(dictField, languageColumn.c_str(), value);
        dictField.Post();
    }
}

PriceRule PriceRuleFor(std::string_view captionGbk)
{
    if (CaptionHasWord(captionGbk, "销售")) return PriceRule::Sale;
    if (CaptionHasWord(captionGbk, "采购")) return PriceRule::Purchase;
    return PriceRule::None;
}

std::string QueryWindowStart(DateTime today, int months)
{
    const std::string text = DateTime{std::floor(today.days)}.toDateString();
    int year = 0, month = 0, day = 0;
    std::sscanf(text.c_str(), "%d-%d-%d", &year, &month, &day);
    int index = year * 12 + (month - 1) - months;
    year = index / 12;
    month = index % 12 + 1;
    if (index < 0) return text;
    while (day > 28 && !DateTime::fromDate(year, month, day))
        --day;
    return DateTime::fromDate(year, month, day)->toDateString();
}

std::string QueryWindowClause(std::string_view table, DateTime today, int months)
{
    return "(" + std::string(table) + ".HappenDate >= '" + QueryWindowStart(today, months) + "')";
}

std::string FirstStatusClause(TCustomEntity& otherParams, const std::string& table)
{
    const std::string column = "Status" + table + "ID";
    std::string id = "{00000000-0000-0000-0000-000000000000}";
    if (otherParams.Active() && otherParams.FindField("Type") &&
        otherParams.FindField("DispOrder")) {
        otherParams.ClearFilter();
        for (otherParams.First(); !otherParams.Eof(); otherParams.Next())
            if (gbk::equalsIgnoreCase(otherParams.FieldByName("Type").AsString(), column) &&
                gbk::trim(otherParams.FieldByName("DispOrder").AsString()) == "1") {
                id = otherParams.FieldByName("ObjID").AsString();
                break;
            }
    }
    return table + "." + column + " = " + QuotedFilterValue(id);
}

} // namespace corvo::forms
