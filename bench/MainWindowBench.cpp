// Opening a collated query module from the main window until its first page is shown, on the
// demo module with the widest table, in its parts: the page with its form, then the query
// and the grid. A real login to a real corvo-server over the demo company.
#include "FormBenchMain.h"
#include "app/ModuleFormRegistry.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntityList.h"
#include "forms/framework/tests/LoginSession.h"
#include "forms/reports/TFrmQueryCollate.h"
#include "shell/TFrmMain.h"

#include <QApplication>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

using namespace corvo;

struct Setup {
    app::ModuleFormRegistry registry;
    std::unique_ptr<shell::TFrmMain> window;
    std::string module; ///< GBK
    std::string table;
};

Setup& setup()
{
    static Setup* s = [] {
        auto* made = new Setup;
        shell::TFrmLogin& login = forms::test::LoginSession::instance().login();
        made->window = std::make_unique<shell::TFrmMain>(nullptr, &made->registry);
        made->window->InheritFrom(login);
        made->window->resize(1280, 800);
        made->window->show();
        QApplication::processEvents();
        // The collated module whose table has the most columns.
        TCustomEntityList& registry = made->window->registry();
        TCustomEntity& modules = registry.EntityByName("TModule");
        modules.ClearFilter();
        TCustomEntity& fields = registry.EntityByName("TDictField");
        int most = 0;
        for (modules.First(); !modules.Eof(); modules.Next()) {
            const std::string code = modules.FieldByName("Code").AsString();
            if (code != "TFrmQueryCollate" && code != "TFrmQueryMDCollate") continue;
            const std::string table = modules.FieldByName("TMasterName").AsString();
            registry.SelectTableFields(table);
            if (fields.RecordCount() > most) {
                most = fields.RecordCount();
                made->module = modules.FieldByName("Name").AsString();
                made->table = table;
            }
        }
        return made;
    }();
    return *s;
}

forms::TFrmQueryCollate* open(Setup& s)
{
    s.window->SelectModuleOrGroup(s.module);
    return qobject_cast<forms::TFrmQueryCollate*>(s.window->moduleForm(s.module));
}

void label(benchmark::State& state, Setup& s)
{
    state.SetLabel(gbk::toUtf8(s.module) + " (" + s.table + ")");
}

void BM_OpenModule_Page(benchmark::State& state)
{
    Setup& s = setup();
    for (auto _ : state) {
        forms::TFrmQueryCollate* form = open(s);
        QApplication::processEvents();
        benchmark::DoNotOptimize(form);
        state.PauseTiming();
        s.window->CloseModule(s.module);
        state.ResumeTiming();
    }
    label(state, s);
}
BENCHMARK(BM_OpenModule_Page)->Unit(benchmark::kMillisecond);

void BM_OpenModule_FirstPageShown(benchmark::State& state)
{
    Setup& s = setup();
    int rows = 0;
    for (auto _ : state) {
        forms::TFrmQueryCollate* form = open(s);
        if (!form) {
            state.SkipWithError("the module did not open");
            break;
        }
        form->mbtQuery().click();
        QApplication::processEvents();
        rows = form->registry().EntityByName("TMaster").RecordCount();
        state.PauseTiming();
        s.window->CloseModule(s.module);
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    label(state, s);
}
BENCHMARK(BM_OpenModule_FirstPageShown)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return corvo::bench::runFormBenchmarks(argc, argv, [] { setup().window.reset(); });
}
