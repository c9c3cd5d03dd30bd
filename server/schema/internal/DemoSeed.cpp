#include "DemoSeed.h"

#include "../DictionaryBuilder.h"
#include "../Ownership.h"
#include "../SystemIds.h"
#include "entity/DateTime.h"
#include "entity/Decimal.h"
#include "entity/Error.h"
#include "entity/Guid.h"

#include <cmath>
#include <cstdio>

namespace corvo::server::schema::demo {

std::string rowId(std::string_view key)
{
    return stableGuid("demo:" + std::string(key));
}

std::string paramId(std::string_view code)
{
    if (code == "StatusID_Valid") return std::string(ids::StatusValid);
    if (code == "StatusID_Invalid") return std::string(ids::StatusInvalid);
    return rowId("TOtherParam:" + std::string(code));
}

storage::Value money(int64_t cents)
{
    return Decimal{cents, 2};
}

storage::Value day(int64_t oleDay, double fraction)
{
    return DateTime{static_cast<double>(oleDay) + fraction};
}

Ymd civil(int64_t oleDay)
{
    const std::string text = DateTime{static_cast<double>(oleDay)}.toDateString();
    Ymd d;
    if (std::sscanf(text.c_str(), "%d-%d-%d", &d.year, &d.month, &d.day) != 3)
        throw Error("无法换算日期[" + text + "]");
    return d;
}

int64_t oleDay(int year, int month, int day)
{
    auto d = DateTime::fromDate(year, month, day);
    if (!d) throw Error("日期不存在");
    return static_cast<int64_t>(std::llround(d->days));
}

int64_t monthStart(int64_t day, int monthsBack)
{
    Ymd d = civil(day);
    int months = d.year * 12 + (d.month - 1) - monthsBack;
    return oleDay(months / 12, months % 12 + 1, 1);
}

std::string compactDate(int64_t day, bool withDay)
{
    Ymd d = civil(day);
    char text[16];
    if (withDay)
        std::snprintf(text, sizeof text, "%04d%02d%02d", d.year, d.month, d.day);
    else
        std::snprintf(text, sizeof text, "%04d%02d", d.year, d.month);
    return text;
}

int Random::below(int n)
{
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    const uint64_t r = m_state * 0x2545F4914F6CDD1DULL;
    return static_cast<int>((r >> 33) % static_cast<uint64_t>(n));
}

Seeder::Seeder(storage::Transaction& tx, const Dictionary& dictionary, Mode mode,
               std::string company, std::set<std::string> shared)
    : m_tx(tx), m_dictionary(dictionary), m_mode(mode), m_company(std::move(company)),
      m_shared(std::move(shared))
{
}

bool Seeder::isShared(const std::string& table, const Record& record) const
{
    if (isSharedTable(table)) return true;
    if (table != "TOtherParam") return false;
    for (const ColumnValue& v : record)
        if (v.column == "TOwnerID") return false;
    return true;
}

std::string Seeder::idOf(const std::string& id) const
{
    if (m_mode != Mode::Copy) return id;
    const auto guid = Guid::parse(id);
    if (!guid || guid->isNull()) return id;
    const std::string text = guid->toString();
    if (m_shared.count(text)) return id;
    return stableGuid(m_company + ":" + text);
}

void Seeder::keepOnly(Keep keep, bool sharedToo)
{
    m_keep = std::move(keep);
    m_sharedToo = sharedToo;
}

void Seeder::insert(const std::string& table, const Record& given)
{
    Record kept;
    if (m_keep && m_mode != Mode::Collect) {
        kept = given;
        if (!m_keep(table, kept)) return;
    }
    const Record& record = m_keep && m_mode != Mode::Collect ? kept : given;
    if (m_mode == Mode::Collect) {
        if (isShared(table, record))
            for (const ColumnValue& v : record)
                if (v.column == "ObjID")
                    m_shared.insert(Guid::parse(v.value.asString())->toString());
        return;
    }
    auto it = m_layouts.find(table);
    if (it == m_layouts.end())
        it = m_layouts.emplace(table, TableLayout::resolve(m_dictionary, table)).first;
    if (m_mode == Mode::Write) {
        insertRecord(m_tx, it->second, record);
        return;
    }
    if (isShared(table, record)) {
        if (m_sharedToo) insertRecord(m_tx, it->second, record);
        return;
    }
    Record copy = record;
    for (ColumnValue& v : copy) {
        if (v.value.type() != Variant::Type::String) continue;
        const std::string& text = v.value.asString();
        if (table == "TOrgan" && v.column == "Code")
            v.value = text == "DEMO" ? m_company : m_company + "-" + text;
        else if (text.size() == 38 && text.front() == '{')
            v.value = idOf(text);
    }
    insertRecord(m_tx, it->second, copy);
}

} // namespace corvo::server::schema::demo
