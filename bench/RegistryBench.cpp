// The entity registry over dictionaries of growing size: loading the dictionary from a reply
// packet and building the structure of every table, and the clause set of one wide table.
// Generating the dictionary and decoding the reply packet are outside the timed region.
#include "entity/GridBinding.h"
#include "entity/MemoryTuning.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "entity/tests/DictionaryFixture.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace corvo::bench {
namespace {

using test::DictField;

constexpr int ColumnsPerTable = 20;

std::string tableCode(int table)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "TTable%05d", table);
    return buf;
}

std::string tableObjId(int table)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-0000-4000-8000-00000000D1C7}", table + 1);
    return buf;
}

/// The columns of one table, from the last ColOrder to the first (the sort has work to do):
/// key columns, paging code, plain columns of the common types, references with their joined
/// names and other-parameter columns.
std::vector<DictField> tableColumns(int table, int columns)
{
    const std::string parent = tableObjId(table);
    std::vector<DictField> out;
    auto add = [&](std::string code, const char* type, int prec, int scale) -> DictField& {
        DictField f;
        f.parentId = parent;
        f.code = std::move(code);
        f.colOrder = static_cast<int>(out.size()) + 1;
        f.dataType = type;
        f.prec = prec;
        f.scale = scale;
        f.name = f.code;
        f.nameEn = f.code;
        return out.emplace_back(std::move(f));
    };
    add(tableCode(table), "uniqueidentifier", 0, 0).isVisible = 0;
    add("ObjID", "uniqueidentifier", 0, 0).isVisible = 0;
    add("Code", "varchar", 20, 0).isSort = 1;
    add("Name", "varchar", 60, 0).isQuery = 1;
    for (int i = 0; static_cast<int>(out.size()) < columns; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 6) {
        case 0:
            add("Qty" + n, "int", 0, 0);
            break;
        case 1:
            add("Amount" + n, "decimal", 18, 2);
            break;
        case 2:
            add("Date" + n, "datetime", 0, 0);
            break;
        case 3: {
            add("TRef" + n + "ID", "uniqueidentifier", 0, 0).isVisible = 0;
            DictField& name = add("TRef" + n + "Name", "varchar", 60, 0);
            name.isJoined = 1;
            name.joinedTable = "TRef" + n;
            name.joinedField = "Name";
            name.joinedType = "left";
            break;
        }
        case 4: {
            DictField& param = add("TKind" + n, "varchar", 40, 0);
            param.isJoined = 1;
            param.isOtherParam = 1;
            param.joinedTable = "TKind" + n;
            param.joinedField = "Name";
            param.joinedType = "left";
            break;
        }
        default:
            add("Remark" + n, "varchar", 200, 0);
        }
    }
    out.resize(static_cast<std::size_t>(columns));
    return {out.rbegin(), out.rend()};
}

/// A login reply's packet holding TDictTable and TDictField of that many tables; the first
/// table has firstColumns columns, the others ColumnsPerTable.
Bytes dictionaryReply(int tables, int firstColumns = ColumnsPerTable)
{
    TClientDataSet dictTable;
    TClientDataSet dictField;
    test::declareDictTable(dictTable);
    test::declareDictField(dictField);
    for (int t = 0; t < tables; ++t) {
        test::addDictTable(dictTable, {tableObjId(t), tableCode(t), tableCode(t), t % 2, 0});
        for (const DictField& f : tableColumns(t, t == 0 ? firstColumns : ColumnsPerTable))
            test::addDictField(dictField, f);
    }
    TParamData reply(paramkind::Data);
    reply.SetParamValue("AppName", "Corvo");
    reply.SetParamData("TDictTable", dictTable.Data());
    reply.SetParamData("TDictField", dictField.Data());
    return reply.Data().asBytes();
}

enum class Work { Load, Build, LoadAndBuild };

void registryWork(benchmark::State& state, Work work)
{
    const int tables = static_cast<int>(state.range(0));
    const Variant reply(dictionaryReply(tables));
    std::vector<std::string> codes;
    for (int t = 0; t < tables; ++t)
        codes.push_back(tableCode(t));

    std::chrono::duration<double, std::micro> timed{0};
    for (auto _ : state) {
        state.PauseTiming();
        TParamData packet(paramkind::Data);
        packet.SetData(reply);
        TCustomEntityList list;
        if (work == Work::Build) list.LoadDictionary(packet);
        state.ResumeTiming();

        const auto start = std::chrono::steady_clock::now();
        if (work != Work::Build) list.LoadDictionary(packet);
        if (work != Work::Load)
            for (const std::string& code : codes)
                benchmark::DoNotOptimize(&list.BuildEntity(code, code));
        timed += std::chrono::steady_clock::now() - start;

        state.PauseTiming();
        if (work != Work::Load && list.EntityByName(codes.back()).FieldCount() != ColumnsPerTable)
            state.SkipWithError("a structure was built wrongly");
        state.ResumeTiming();
    }
    state.counters["tables"] = tables;
    state.counters["us_per_table"] =
        timed.count() / (static_cast<double>(state.iterations()) * tables);
}

void BM_Registry_LoadDictionary(benchmark::State& state)
{
    registryWork(state, Work::Load);
}

void BM_Registry_BuildEntity(benchmark::State& state)
{
    registryWork(state, Work::Build);
}

void BM_Registry_LoadAndBuild(benchmark::State& state)
{
    registryWork(state, Work::LoadAndBuild);
}

class NullGrid : public EntityGrid {
public:
    void bindDataSet(TClientDataSet* dataSet) override { m_shown = dataSet; }
    TClientDataSet* dataSet() const override { return m_shown; }
    bool hasColumns() const override { return false; }
    void dropColumns() override {}
    std::string componentName() const override { return "dgeBench"; }

private:
    TClientDataSet* m_shown = nullptr;
};

/// BuildGridEntity of ten tables, as a form binds its grids, in a dictionary of n tables.
void BM_Registry_BuildGridEntity(benchmark::State& state)
{
    constexpr int Grids = 10;
    const int tables = static_cast<int>(state.range(0));
    TParamData packet(paramkind::Data);
    packet.SetData(Variant(dictionaryReply(tables)));
    TCustomEntityList list;
    list.LoadDictionary(packet);
    NullGrid grid;
    std::chrono::duration<double, std::micro> timed{0};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int g = 0; g < Grids; ++g) {
            const std::string code = tableCode(g * tables / Grids);
            benchmark::DoNotOptimize(&list.BuildGridEntity(code, code, grid));
        }
        timed += std::chrono::steady_clock::now() - start;
    }
    state.counters["us_per_grid"] =
        timed.count() / (static_cast<double>(state.iterations()) * Grids);
}

/// The clause set of the first table (state.range(0) columns) of a dictionary of
/// state.range(1) tables, selected as a query form selects it.
void BM_SqlAdder_BuildQuery(benchmark::State& state)
{
    const int columns = static_cast<int>(state.range(0));
    const int tables = static_cast<int>(state.range(1));
    TParamData packet(paramkind::Data);
    packet.SetData(Variant(dictionaryReply(tables, columns)));
    TCustomEntityList list;
    list.LoadDictionary(packet);
    list.SelectTableFields(tableCode(0));
    TCustomEntity& fields = list.EntityByName("TDictField");
    TSQLAdder clauses;
    for (auto _ : state)
        clauses.BuildQuery(&fields, pagemode::FirstPage, "", "");
    state.counters["clauses"] = clauses.RecordCount();
}

BENCHMARK(BM_Registry_LoadDictionary)->Arg(30)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Registry_BuildEntity)->Arg(30)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Registry_LoadAndBuild)->Arg(30)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Registry_BuildGridEntity)->Arg(30)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqlAdder_BuildQuery)->Args({60, 1})->Args({60, 300})->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace corvo::bench

int main(int argc, char** argv)
{
    // As the programs do: big tables reuse freed memory instead of faulting in fresh pages.
    corvo::configureAllocatorForLargeTables();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
