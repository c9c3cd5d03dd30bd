// The stock query and the sales summary over the large demo company (1,000,000 sales lines
// on SQLite), from the query button to the filled grid, beside their floor: the statement the
// server builds from the same clause set, run directly on the database in the same run.
// CORVO_REPORT_BENCH_DB names the large company's file (made there when missing, kept).
#include "FormBenchMain.h"
#include "SqliteDb.h"
#include "controls/TQueryControlList.h"
#include "controls/TTimeSpan.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntityList.h"
#include "forms/framework/tests/LoginSession.h"
#include "forms/reports/TFrmQueryStock.h"
#include "forms/reports/TFrmSummary.h"
#include "platform/DataGrid.h"
#include "server/schema/Schema.h"
#include "server/sql/StatementBuilder.h"
#include "server/storage/Database.h"
#include "server/tests/ServerProcess.h"

#include <QApplication>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

using namespace corvo;

const std::string& databaseFile()
{
    static const std::string file = [] {
        std::string path;
        if (const char* given = std::getenv("CORVO_REPORT_BENCH_DB"); given && *given)
            path = given;
        else
            path = (std::filesystem::temp_directory_path() /
                    ("corvo-report-bench-" + std::to_string(::getpid()) + ".db"))
                       .string();
        if (!std::filesystem::exists(path)) {
            std::cerr << "making the large demo company in " << path << " ...\n";
            std::string out;
            if (server::test::runServerCommand({"init-demo", "--db", "sqlite:" + path, "--large"},
                                               &out) != 0)
                throw Error("init-demo --large failed: " + out);
        }
        return path;
    }();
    return file;
}

template <typename Form> std::unique_ptr<Form> openModule(const char* table, const char* module)
{
    auto form = std::make_unique<Form>(&forms::test::LoginSession::instance().login());
    form->registry().SelectTableFields(table);
    form->registry().BuildEntity(table, "TMaster");
    form->SetFormTitle(module);
    form->setModuleName(gbk::fromUtf8(module));
    form->resize(1100, 680);
    form->show();
    QApplication::processEvents();
    return form;
}

struct Forms {
    std::unique_ptr<forms::TFrmQueryStock> stock;
    std::unique_ptr<forms::TFrmSummary> summary;
};

Forms& theForms()
{
    static Forms* made = [] {
        forms::test::LoginSession::useDatabase("sqlite:" + databaseFile());
        auto* f = new Forms;
        f->stock = openModule<forms::TFrmQueryStock>("TStock", "库存查询");
        f->summary = openModule<forms::TFrmSummary>("TStockOut", "销售金额汇总");
        // A year of daily reports, by store.
        controls::TQueryControlList& list = *f->summary->queryControls();
        auto* span = dynamic_cast<controls::TTimeSpan*>(list.ControlByName("HappenDate").Editor());
        span->EndPicker()->setDate(QDate::currentDate());
        span->setDate(QDate::currentDate().addYears(-1));
        list.ControlByName("TWarehouseID").setChecked(true);
        return f;
    }();
    return *made;
}

/// The button, then the grid painted with the rows.
void clickAndPaint(forms::TFrmQueryCollate& form)
{
    form.mbtQuery().click();
    form.dgeMaster().viewport()->repaint();
}

/// The statement the server builds from the form's last clause set.
server::sql::Statement statementOf(forms::TFrmQuery& form)
{
    auto db = server::storage::Database::open("sqlite:" + databaseFile());
    auto tx = db->begin(server::storage::TransactionMode::Read);
    const server::schema::Dictionary dictionary = server::schema::loadDictionary(*tx);
    tx->commit();
    TClientDataSet clauses;
    clauses.SetData(form.clauses().Data());
    return server::sql::buildStatement(dictionary, server::sql::clausesOf(clauses),
                                       {server::storage::Dialect::Sqlite, form.owner()});
}

void floorOf(benchmark::State& state, forms::TFrmQueryCollate& form)
{
    clickAndPaint(form);
    const server::sql::Statement statement = statementOf(form);
    bench::SqliteDb db = bench::SqliteDb::readOnly(databaseFile());
    int rows = 0;
    for (auto _ : state)
        rows = db.readAll(statement.sql, statement.params);
    state.counters["rows"] = rows;
}

void buttonOf(benchmark::State& state, forms::TFrmQueryCollate& form)
{
    for (auto _ : state)
        clickAndPaint(form);
    state.counters["rows"] = form.registry().EntityByName("TMaster").RecordCount();
}

void BM_StockQuery_Button(benchmark::State& state)
{
    buttonOf(state, *theForms().stock);
}
BENCHMARK(BM_StockQuery_Button)->Unit(benchmark::kMillisecond);

void BM_StockQuery_Floor(benchmark::State& state)
{
    floorOf(state, *theForms().stock);
}
BENCHMARK(BM_StockQuery_Floor)->Unit(benchmark::kMillisecond);

void BM_SalesSummary_Button(benchmark::State& state)
{
    buttonOf(state, *theForms().summary);
}
BENCHMARK(BM_SalesSummary_Button)->Unit(benchmark::kMillisecond);

void BM_SalesSummary_Floor(benchmark::State& state)
{
    floorOf(state, *theForms().summary);
}
BENCHMARK(BM_SalesSummary_Floor)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return corvo::bench::runFormBenchmarks(argc, argv, [] {
        theForms().stock.reset();
        theForms().summary.reset();
    });
}
