#include "DocumentData.h"

#include "entity/Decimal.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/TClientDataSet.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <random>

namespace corvo::bench {

namespace {

std::string randomGuidText(std::mt19937_64& rng)
{
    Guid g;
    for (std::size_t i = 0; i < 16; i += 8) {
        uint64_t r = rng();
        for (std::size_t b = 0; b < 8; ++b)
            g.bytes[i + b] = static_cast<uint8_t>(r >> (8 * b));
    }
    g.bytes[6] = static_cast<uint8_t>((g.bytes[6] & 0x0F) | 0x40);
    g.bytes[8] = static_cast<uint8_t>((g.bytes[8] & 0x3F) | 0x80);
    return g.toString();
}

std::string codeText(std::size_t number)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "C%07zu", number);
    return buf;
}

/// Product names as a retail chain writes them: material, cut, article, colour, size.
class NamePool {
public:
    NamePool()
    {
        for (const char* s : {"纯棉", "真丝", "加厚", "修身", "休闲", "羊毛", "亚麻", "弹力"})
            m_material.push_back(gbk::fromUtf8(s));
        for (const char* s : {"男式", "女式", "儿童", "中性"})
            m_cut.push_back(gbk::fromUtf8(s));
        for (const char* s : {"长袖衬衫", "连衣裙", "运动鞋", "牛仔裤", "羽绒服", "针织衫", "T恤",
                              "风衣", "短裤", "毛衣"})
            m_article.push_back(gbk::fromUtf8(s));
        for (const char* s : {"黑色", "白色", "藏青", "酒红", "卡其", "浅灰"})
            m_colour.push_back(gbk::fromUtf8(s));
    }

    std::string pick(std::mt19937_64& rng) const
    {
        static constexpr std::array<const char*, 5> sizes{" S", " M", " L", " XL", " XXL"};
        auto any = [&rng](const std::vector<std::string>& v) -> const std::string& {
            return v[rng() % v.size()];
        };
        std::string name = any(m_material);
        name += any(m_cut);
        name += any(m_article);
        name += any(m_colour);
        name += sizes[rng() % sizes.size()];
        return name;
    }

private:
    std::vector<std::string> m_material, m_cut, m_article, m_colour;
};

void setAmounts(DocumentRow& row, std::mt19937_64& rng)
{
    row.qty = static_cast<int32_t>(1 + rng() % 100);
    row.priceCents = static_cast<int64_t>(100 + rng() % 99900);
    row.amountCents = row.qty * row.priceCents;
}

} // namespace

DocumentData makeDocumentRows(std::size_t n, uint64_t seed)
{
    std::mt19937_64 rng(seed);
    const NamePool names;
    DocumentData data;
    data.parentIds.resize(std::max<std::size_t>(1, n / 10));
    for (std::string& id : data.parentIds)
        id = randomGuidText(rng);

    std::vector<std::size_t> codes(n);
    std::iota(codes.begin(), codes.end(), std::size_t{0});
    std::shuffle(codes.begin(), codes.end(), rng);

    data.rows.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        DocumentRow& row = data.rows[i];
        row.objId = randomGuidText(rng);
        row.parentId = data.parentIds[rng() % data.parentIds.size()];
        row.code = codeText(codes[i]);
        row.name = names.pick(rng);
        setAmounts(row, rng);
    }
    return data;
}

std::vector<DocumentRow> makeUpsertRows(const DocumentData& base, std::size_t count, uint64_t seed)
{
    std::mt19937_64 rng(seed);
    const NamePool names;
    const std::size_t existing = std::min(count / 2, base.rows.size());
    std::vector<std::size_t> picks(base.rows.size());
    std::iota(picks.begin(), picks.end(), std::size_t{0});
    std::shuffle(picks.begin(), picks.end(), rng);

    std::vector<DocumentRow> rows;
    rows.reserve(count);
    for (std::size_t i = 0; i < existing; ++i) {
        DocumentRow row = base.rows[picks[i]];
        row.name = names.pick(rng);
        setAmounts(row, rng);
        rows.push_back(std::move(row));
    }
    for (std::size_t i = existing; i < count; ++i) {
        DocumentRow row;
        row.objId = randomGuidText(rng);
        row.parentId = base.parentIds[rng() % base.parentIds.size()];
        row.code = codeText(base.rows.size() + i);
        row.name = names.pick(rng);
        setAmounts(row, rng);
        rows.push_back(std::move(row));
    }
    return rows;
}

void createDocumentTable(TClientDataSet& dataSet)
{
    corvo::FieldDefs& defs = dataSet.FieldDefs();
    defs.Clear();
    defs.Add("ObjID", FieldType::Guid, 38);
    defs.Add("ParentID", FieldType::Guid, 38);
    defs.Add("Code", FieldType::String, 20);
    defs.Add("Name", FieldType::String, 40);
    defs.Add("Qty", FieldType::Integer);
    defs.Add("Amount", FieldType::BCD, 2);
    defs.Add("Price", FieldType::BCD, 2);
    dataSet.CreateDataSet();
}

void appendDocumentRows(TClientDataSet& dataSet, const std::vector<DocumentRow>& rows)
{
    TField& objId = dataSet.FieldByName("ObjID");
    TField& parentId = dataSet.FieldByName("ParentID");
    TField& code = dataSet.FieldByName("Code");
    TField& name = dataSet.FieldByName("Name");
    TField& qty = dataSet.FieldByName("Qty");
    TField& amount = dataSet.FieldByName("Amount");
    TField& price = dataSet.FieldByName("Price");
    dataSet.DisableControls();
    for (const DocumentRow& row : rows) {
        dataSet.Append();
        objId.SetAsString(row.objId);
        parentId.SetAsString(row.parentId);
        code.SetAsString(row.code);
        name.SetAsString(row.name);
        qty.SetAsInteger(row.qty);
        amount.SetAsVariant(Decimal{row.amountCents, 2});
        price.SetAsVariant(Decimal{row.priceCents, 2});
        dataSet.Post();
    }
    dataSet.EnableControls();
    dataSet.First();
}

double rawBytesPerRow(const std::vector<DocumentRow>& rows)
{
    if (rows.empty()) return 0;
    double total = 0;
    for (const DocumentRow& row : rows)
        total += static_cast<double>(row.objId.size() + row.parentId.size() + row.code.size() +
                                     row.name.size() + 4 + 8 + 8);
    return total / static_cast<double>(rows.size());
}

} // namespace corvo::bench
