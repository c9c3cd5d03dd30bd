// The query form's own cost per page beside the bare server call on the same connection.
#include "FormBenchMain.h"
#include "entity/TCustomEntityList.h"
#include "forms/framework/TFrmQuery.h"
#include "forms/framework/tests/LoginSession.h"
#include "platform/DataGrid.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

using namespace corvo;

constexpr const char* Table = "TStockOut";

struct PageSetup {
    std::unique_ptr<forms::TFrmQuery> form;
    platform::DataGrid* grid = nullptr;
};

PageSetup& pageSetup()
{
    static PageSetup* s = [] {
        auto* made = new PageSetup;
        made->form =
            std::make_unique<forms::TFrmQuery>(&forms::test::LoginSession::instance().login());
        made->form->registry().BuildEntity(Table, "TMaster");
        made->form->registry().SelectTableFields(Table);
        made->grid = new platform::DataGrid(&made->form->pnlClient());
        made->grid->resize(900, 500);
        made->form->registry().BindGrid("TMaster", *made->grid);
        made->form->resize(920, 600);
        made->form->show();
        return made;
    }();
    return *s;
}

// One first page as the query button asks for it: the clause set from the dictionary, the
// call, the reply into TMaster and its grid, the keys, the grid painted.
void BM_QueryForm_Page(benchmark::State& state)
{
    PageSetup& s = pageSetup();
    TCustomEntity& master = s.form->registry().EntityByName("TMaster");
    for (auto _ : state) {
        // As the paging operations do: the grid follows the page once it is complete.
        s.form->paging().firstPageMD();
        master.DisableControls();
        s.form->RunQuery();
        s.form->UpdatePageKeys();
        master.EnableControls();
        s.grid->viewport()->repaint();
    }
    state.counters["rows"] = s.form->registry().EntityByName("TMaster").RecordCount();
}
BENCHMARK(BM_QueryForm_Page)->Unit(benchmark::kMillisecond);

// The same packet sent as it is, the reply left undecoded.
void BM_QueryForm_BareCall(benchmark::State& state)
{
    PageSetup& s = pageSetup();
    s.form->paging().firstPageMD();
    s.form->FillQueryPacket();
    const Variant packet = s.form->submitPacket().Data();
    TParamData sent(paramkind::Data);
    for (auto _ : state) {
        sent.SetData(packet);
        benchmark::DoNotOptimize(remote::CallServer(*s.form->connection(), remote::appserver::Query,
                                                    remote::appserver::query::SingleTable, sent));
    }
}
BENCHMARK(BM_QueryForm_BareCall)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return corvo::bench::runFormBenchmarks(argc, argv, [] { pageSetup().form.reset(); });
}
