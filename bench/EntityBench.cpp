// The entity operations on a document table against SQLite :memory: doing the same work.
// Each pair runs on the same rows; building the source tables is outside the timed region,
// index builds needed by an operation are inside it.
#include "DocumentData.h"
#include "Smoke.h"
#include "SqliteDb.h"
#include "entity/MemoryTuning.h"
#include "entity/TCustomEntity.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace corvo::bench {
namespace {

constexpr std::size_t LocateCount = 100'000;
constexpr std::size_t UpsertCount = 100'000;

constexpr const char* DocumentColumns =
    "(ObjID TEXT, ParentID TEXT, Code TEXT, Name TEXT, Qty INTEGER, Amount INTEGER, "
    "Price INTEGER)";

void createSqliteTable(SqliteDb& db, const std::string& table)
{
    db.exec(("CREATE TABLE " + table + DocumentColumns).c_str());
}

/// The bulk insert an application does: one prepared statement in one transaction.
void insertSqliteRows(SqliteDb& db, const std::string& table, const std::vector<DocumentRow>& rows)
{
    db.exec("BEGIN");
    SqliteStatement insert(db, ("INSERT INTO " + table + " VALUES(?1,?2,?3,?4,?5,?6,?7)").c_str());
    for (const DocumentRow& row : rows) {
        insert.bindText(1, row.objId);
        insert.bindText(2, row.parentId);
        insert.bindText(3, row.code);
        insert.bindText(4, row.name);
        insert.bindInt(5, row.qty);
        insert.bindInt(6, row.amountCents);
        insert.bindInt(7, row.priceCents);
        insert.step();
        insert.reset();
    }
    db.exec("COMMIT");
}

/// Everything both sides start from at one table size.
struct Workload {
    explicit Workload(std::size_t rows)
        : data(makeDocumentRows(rows, 20240601 + rows)),
          upsertRows(makeUpsertRows(data, std::min(UpsertCount, rows), 7 + rows))
    {
        TClientDataSet source;
        createDocumentTable(source);
        appendDocumentRows(source, data.rows);
        packet = source.Data();
        loaded.SetData(packet);

        createDocumentTable(upsertSource);
        appendDocumentRows(upsertSource, upsertRows);

        std::mt19937_64 rng(99 + rows);
        locateIds.reserve(std::min(LocateCount, rows));
        for (std::size_t i = 0; i < std::min(LocateCount, rows); ++i)
            locateIds.emplace_back(data.rows[rng() % rows].objId);

        createSqliteTable(sqlite, "doc");
        insertSqliteRows(sqlite, "doc", data.rows);
        createSqliteTable(sqlite, "upd");
        insertSqliteRows(sqlite, "upd", upsertRows);
    }

    std::unique_ptr<TCustomEntity> freshTable() const
    {
        auto table = std::make_unique<TCustomEntity>();
        table->SetData(packet);
        return table;
    }

    DocumentData data;
    std::vector<DocumentRow> upsertRows;
    Variant packet;
    TCustomEntity loaded; ///< for the operations that leave the rows as they are
    TClientDataSet upsertSource;
    std::vector<Variant> locateIds;
    SqliteDb sqlite; ///< doc: the rows; upd: the upsert rows
};

/// Built on first use, kept for every benchmark of that size.
class Workloads {
public:
    Workload& get(std::size_t rows)
    {
        auto& slot = m_byRows[rows];
        if (!slot) slot = std::make_unique<Workload>(rows);
        return *slot;
    }

private:
    std::map<std::size_t, std::unique_ptr<Workload>> m_byRows;
};

using Body = void (*)(benchmark::State&, Workload&);

// ----------------------------------------------------------------------------------------
// Load

void entityLoad(benchmark::State& state, Workload& w)
{
    std::unique_ptr<TCustomEntity> table;
    for (auto _ : state) {
        state.PauseTiming();
        table = std::make_unique<TCustomEntity>();
        state.ResumeTiming();
        table->SetData(w.packet);
    }
    const double rows = static_cast<double>(table->RecordCount());
    state.counters["bytes_per_row"] = static_cast<double>(table->memoryBytes()) / rows;
    state.counters["raw_bytes_per_row"] = rawBytesPerRow(w.data.rows);
}

void sqliteLoad(benchmark::State& state, Workload& w)
{
    std::optional<SqliteDb> db;
    for (auto _ : state) {
        state.PauseTiming();
        db.reset();
        db.emplace();
        createSqliteTable(*db, "doc");
        state.ResumeTiming();
        insertSqliteRows(*db, "doc", w.data.rows);
    }
}

// ----------------------------------------------------------------------------------------
// Filters

void entityFilterEqual(benchmark::State& state, Workload& w)
{
    std::size_t next = 0;
    int64_t matched = 0;
    for (auto _ : state) {
        w.loaded.FilterEqual("ParentID", w.data.parentIds[next++ % w.data.parentIds.size()]);
        matched += w.loaded.RecordCount();
    }
    w.loaded.ClearFilter();
    state.counters["rows_out"] = static_cast<double>(matched);
}

void sqliteFilterEqual(benchmark::State& state, Workload& w)
{
    SqliteStatement count(w.sqlite, "SELECT count(*) FROM doc WHERE ParentID=?1");
    std::size_t next = 0;
    int64_t matched = 0;
    for (auto _ : state) {
        count.bindText(1, w.data.parentIds[next++ % w.data.parentIds.size()]);
        count.step();
        matched += count.columnInt(0);
        count.reset();
    }
    state.counters["rows_out"] = static_cast<double>(matched);
}

void entityFilterLikePrefix(benchmark::State& state, Workload& w)
{
    int64_t matched = 0;
    for (auto _ : state) {
        w.loaded.FilterLike("Code", "C0012%");
        matched = w.loaded.RecordCount();
    }
    w.loaded.ClearFilter();
    state.counters["rows_out"] = static_cast<double>(matched);
}

// The range form matches case-sensitively as the entity does; on a full scan LIKE costs the same.
void sqliteFilterLikePrefix(benchmark::State& state, Workload& w)
{
    SqliteStatement count(w.sqlite,
                          "SELECT count(*) FROM doc WHERE Code>='C0012' AND Code<'C0013'");
    int64_t matched = 0;
    for (auto _ : state) {
        count.step();
        matched = count.columnInt(0);
        count.reset();
    }
    state.counters["rows_out"] = static_cast<double>(matched);
}

// ----------------------------------------------------------------------------------------
// Sort

void entitySortAsc(benchmark::State& state, Workload& w)
{
    std::unique_ptr<TCustomEntity> table;
    std::string first, last;
    for (auto _ : state) {
        state.PauseTiming();
        table = w.freshTable();
        state.ResumeTiming();
        table->SortAsc("Code", "");
        table->First();
        first = table->FieldByName("Code").AsString();
        table->Last();
        last = table->FieldByName("Code").AsString();
    }
    benchmark::DoNotOptimize(first);
    benchmark::DoNotOptimize(last);
}

void sqliteSortAsc(benchmark::State& state, Workload& w)
{
    std::string first, last;
    for (auto _ : state) {
        state.PauseTiming();
        w.sqlite.exec("DROP INDEX IF EXISTS doc_code");
        state.ResumeTiming();
        w.sqlite.exec("CREATE INDEX doc_code ON doc(Code)");
        SqliteStatement low(w.sqlite, "SELECT Code FROM doc ORDER BY Code LIMIT 1");
        SqliteStatement high(w.sqlite, "SELECT Code FROM doc ORDER BY Code DESC LIMIT 1");
        low.step();
        first = low.columnText(0);
        high.step();
        last = high.columnText(0);
    }
    w.sqlite.exec("DROP INDEX IF EXISTS doc_code");
    benchmark::DoNotOptimize(first);
    benchmark::DoNotOptimize(last);
}

// ----------------------------------------------------------------------------------------
// Locate

void entityLocate(benchmark::State& state, Workload& w)
{
    std::unique_ptr<TCustomEntity> table;
    int64_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        table = w.freshTable();
        found = 0;
        state.ResumeTiming();
        for (const Variant& id : w.locateIds)
            found += table->Locate("ObjID", id, 0);
    }
    state.counters["rows_out"] = static_cast<double>(found);
}

void sqliteLocate(benchmark::State& state, Workload& w)
{
    int64_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.sqlite.exec("DROP INDEX IF EXISTS doc_objid");
        found = 0;
        state.ResumeTiming();
        w.sqlite.exec("CREATE INDEX doc_objid ON doc(ObjID)");
        SqliteStatement select(w.sqlite, "SELECT rowid FROM doc WHERE ObjID=?1");
        for (const Variant& id : w.locateIds) {
            select.bindText(1, id.asString());
            found += select.step();
            select.reset();
        }
    }
    w.sqlite.exec("DROP INDEX IF EXISTS doc_objid");
    state.counters["rows_out"] = static_cast<double>(found);
}

// ----------------------------------------------------------------------------------------
// UpsertAll

void entityUpsertAll(benchmark::State& state, Workload& w)
{
    std::unique_ptr<TCustomEntity> table;
    for (auto _ : state) {
        state.PauseTiming();
        table = w.freshTable();
        state.ResumeTiming();
        table->UpsertAll(w.upsertSource);
    }
    state.counters["rows_out"] = table->RecordCount();
}

void sqliteUpsertAll(benchmark::State& state, Workload& w)
{
    std::optional<SqliteDb> db;
    for (auto _ : state) {
        state.PauseTiming();
        db.reset();
        db.emplace();
        db->copyFrom(w.sqlite);
        state.ResumeTiming();
        db->exec("BEGIN");
        db->exec("CREATE UNIQUE INDEX doc_objid ON doc(ObjID)");
        db->exec("INSERT INTO doc SELECT * FROM upd WHERE true ON CONFLICT(ObjID) DO UPDATE SET "
                 "ParentID=excluded.ParentID, Code=excluded.Code, Name=excluded.Name, "
                 "Qty=excluded.Qty, Amount=excluded.Amount, Price=excluded.Price");
        db->exec("COMMIT");
    }
    state.counters["rows_out"] = static_cast<double>(db->queryInt("SELECT count(*) FROM doc"));
}

// ----------------------------------------------------------------------------------------
// Aggregates

void entitySumByKey(benchmark::State& state, Workload& w)
{
    std::unique_ptr<TCustomEntity> table;
    for (auto _ : state) {
        state.PauseTiming();
        table = w.freshTable();
        state.ResumeTiming();
        table->SumByKey("ParentID", "Amount");
    }
    state.counters["rows_out"] = table->RecordCount();
}

/// A GROUP BY over every column, kept as a table as the entity keeps its rows.
void sqliteGroupInto(benchmark::State& state, Workload& w, const char* select)
{
    for (auto _ : state) {
        state.PauseTiming();
        w.sqlite.exec("DROP TABLE IF EXISTS grouped");
        state.ResumeTiming();
        w.sqlite.exec((std::string("CREATE TABLE grouped AS ") + select).c_str());
    }
    state.counters["rows_out"] =
        static_cast<double>(w.sqlite.queryInt("SELECT count(*) FROM grouped"));
    w.sqlite.exec("DROP TABLE IF EXISTS grouped");
}

void sqliteSumByKey(benchmark::State& state, Workload& w)
{
    sqliteGroupInto(state, w,
                    "SELECT ObjID, ParentID, Code, Name, Qty, sum(Amount) AS Amount, Price "
                    "FROM doc GROUP BY ParentID");
}

void entityMergeDuplicateKeys(benchmark::State& state, Workload& w)
{
    std::unique_ptr<TCustomEntity> table;
    for (auto _ : state) {
        state.PauseTiming();
        table = w.freshTable();
        state.ResumeTiming();
        table->MergeDuplicateKeys("ParentID");
    }
    state.counters["rows_out"] = table->RecordCount();
}

void sqliteMergeDuplicateKeys(benchmark::State& state, Workload& w)
{
    sqliteGroupInto(state, w,
                    "SELECT ObjID, ParentID, Code, Name, Qty, sum(Amount) AS Amount, "
                    "sum(Price) AS Price FROM doc GROUP BY ParentID");
}

// ----------------------------------------------------------------------------------------
// Packet round trip

void entityPacketRoundTrip(benchmark::State& state, Workload& w)
{
    std::unique_ptr<TCustomEntity> copy;
    Variant packet;
    for (auto _ : state) {
        state.PauseTiming();
        packet = Variant();
        copy = std::make_unique<TCustomEntity>();
        state.ResumeTiming();
        packet = w.loaded.Data();
        copy->SetData(packet);
    }
    state.counters["packet_bytes_per_row"] =
        static_cast<double>(packet.asBytes().size()) / copy->RecordCount();
}

void sqlitePacketRoundTrip(benchmark::State& state, Workload& w)
{
    std::optional<SqliteDb> copy;
    for (auto _ : state) {
        state.PauseTiming();
        copy.reset();
        copy.emplace();
        createSqliteTable(*copy, "doc");
        state.ResumeTiming();
        copy->exec("BEGIN");
        SqliteStatement select(w.sqlite, "SELECT * FROM doc");
        SqliteStatement insert(*copy, "INSERT INTO doc VALUES(?1,?2,?3,?4,?5,?6,?7)");
        while (select.step()) {
            for (int c = 0; c < 4; ++c)
                insert.bindText(c + 1, select.columnText(c));
            for (int c = 4; c < 7; ++c)
                insert.bindInt(c + 1, select.columnInt(c));
            insert.step();
            insert.reset();
        }
        copy->exec("COMMIT");
    }
}

// ----------------------------------------------------------------------------------------

struct Operation {
    const char* name;
    Body entity;
    Body sqlite;
    int iterations100k;
    int iterations1m;
};

constexpr Operation Operations[] = {
    {"Load", entityLoad, sqliteLoad, 10, 5},
    {"FilterEqual", entityFilterEqual, sqliteFilterEqual, 100, 20},
    {"FilterLikePrefix", entityFilterLikePrefix, sqliteFilterLikePrefix, 100, 20},
    {"SortAsc", entitySortAsc, sqliteSortAsc, 10, 5},
    {"Locate", entityLocate, sqliteLocate, 5, 3},
    {"UpsertAll", entityUpsertAll, sqliteUpsertAll, 5, 3},
    {"SumByKey", entitySumByKey, sqliteSumByKey, 5, 3},
    {"MergeDuplicateKeys", entityMergeDuplicateKeys, sqliteMergeDuplicateKeys, 5, 3},
    {"PacketRoundTrip", entityPacketRoundTrip, sqlitePacketRoundTrip, 10, 5},
};

void registerBenchmark(Workloads& workloads, const std::string& name, Body body, std::size_t rows,
                       int iterations)
{
    benchmark::RegisterBenchmark(
        name.c_str(),
        [&workloads, body](benchmark::State& state) {
            try {
                body(state, workloads.get(static_cast<std::size_t>(state.range(0))));
            } catch (const std::exception& e) {
                state.SkipWithError(e.what());
            }
        })
        ->Arg(static_cast<int64_t>(rows))
        ->Iterations(iterations)
        ->Unit(benchmark::kMillisecond);
}

} // namespace
} // namespace corvo::bench

int main(int argc, char** argv)
{
    // As the programs do: big tables reuse freed memory instead of faulting in fresh pages.
    corvo::configureAllocatorForLargeTables();
    using namespace corvo::bench;
    Workloads workloads;
    const std::vector<std::size_t> sizes = smokeRun()
                                               ? std::vector<std::size_t>{10'000}
                                               : std::vector<std::size_t>{100'000, 1'000'000};
    for (std::size_t rows : sizes) {
        for (const Operation& op : Operations) {
            const int iterations = smokeRun()        ? 1
                                   : rows == 100'000 ? op.iterations100k
                                                     : op.iterations1m;
            registerBenchmark(workloads, std::string("BM_Entity_") + op.name, op.entity, rows,
                              iterations);
            registerBenchmark(workloads, std::string("BM_Sqlite_") + op.name, op.sqlite, rows,
                              iterations);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
