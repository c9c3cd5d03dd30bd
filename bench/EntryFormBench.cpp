// The master/detail update form on documents of 10, 100 and 1,000 lines: one line changed and
// the packet built (the form's own work), one line changed and saved (the whole save), one
// line entered. None of them should grow with the document.
#include "FormBenchMain.h"
#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "entity/EntityHelpers.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/documents/TFrmCustomInsertMD.h"
#include "forms/documents/TFrmCustomUpdateMD.h"
#include "forms/framework/tests/LoginSession.h"
#include "forms/rules/QueryPacket.h"
#include "platform/DataGrid.h"
#include "shell/LocalFiles.h"

#include <QApplication>
#include <QLabel>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

using namespace corvo;

std::string cachedId(TCustomEntity& rows, const char* code)
{
    if (!rows.FindRecord("Code", code)) throw std::runtime_error(std::string("no ") + code);
    return GetObjID(rows);
}

TCustomEntity& products()
{
    static TCustomEntity* rows = [] {
        auto* made = new TCustomEntity;
        shell::loadDataSetFile(shell::dataDir() + "TProduct", *made);
        return made;
    }();
    return *rows;
}

/// A sale order of `lines` lines saved through the insert form: its ObjID.
std::string enterOrder(int lines)
{
    forms::TFrmInsertMD form(&forms::test::LoginSession::instance().login());
    QLabel line;
    form.setHost(nullptr, &line, nullptr);
    form.registry().SelectTableFields("TSaleOrder");
    form.registry().BuildEntity("TSaleOrder", "TMaster");
    form.show();
    TCustomEntity organs, warehouses, employees, params;
    shell::loadDataSetFile(shell::dataDir() + "TOrgan", organs);
    shell::loadDataSetFile(shell::dataDir() + "TWarehouse", warehouses);
    shell::loadDataSetFile(shell::dataDir() + "TEmployee", employees);
    shell::loadDataSetFile(shell::dataDir() + "TOtherParam", params);
    params.FilterEqual("Type", "TSaleTypeID");
    controls::TInputControlList& inputs = *form.inputControls();
    inputs.ControlByName("TOrganID").SetText(Variant(cachedId(organs, "KH001")));
    inputs.ControlByName("TWarehouseID").SetText(Variant(cachedId(warehouses, "CK01")));
    inputs.ControlByName("TEmployeeID").SetText(Variant(cachedId(employees, "YG005")));
    inputs.ControlByName("TSaleTypeID").SetText(Variant(cachedId(params, "RETAIL")));
    TCustomEntity& detail = form.registry().EntityByName(param::TDetail);
    TCustomEntity& picked = products();
    {
        const ControlsDisabled held(detail);
        for (int i = 0; i < lines; ++i) {
            picked.SetRecNo(i % picked.RecordCount() + 1);
            forms::AddPickedRow(detail, picked, "TProduct");
            detail.EditField("Quantity", "1");
        }
    }
    const std::string key = form.formKey();
    if (!form.RunSubmit())
        throw std::runtime_error("the order was not saved: " + line.text().toStdString());
    return key;
}

/// The update form with a document of that many lines picked.
struct Opened {
    std::unique_ptr<forms::TFrmUpdateMD> form;
    int changes = 0;
};

std::map<int, Opened>& openedForms()
{
    static std::map<int, Opened> forms;
    return forms;
}

Opened& opened(int lines)
{
    Opened& o = openedForms()[lines];
    if (o.form) return o;
    const std::string id = enterOrder(lines);
    o.form = std::make_unique<forms::TFrmUpdateMD>(&forms::test::LoginSession::instance().login());
    forms::TFrmUpdateMD& form = *o.form;
    form.registry().SelectTableFields("TSaleOrder");
    form.registry().BuildEntity("TSaleOrder", "TMaster");
    form.resize(1000, 640);
    form.show();
    form.QueryClicked();
    TCustomEntity& list = form.registry().EntityByName("TMasterQuery");
    if (!list.FindRecord("ObjID", id)) throw std::runtime_error("the order is not listed");
    form.MasterRowClicked();
    if (form.registry().EntityByName(param::TDetail).RecordCount() != lines)
        throw std::runtime_error("the order's lines are not shown");
    return o;
}

/// A typed quantity on the line in the middle of the document, as the grid posts it.
void changeOneLine(Opened& o)
{
    TCustomEntity& detail = o.form->registry().EntityByName(param::TDetail);
    detail.SetRecNo(detail.RecordCount() / 2 + 1);
    detail.Edit();
    detail.FieldByName("Quantity").SetAsInteger(2 + (++o.changes % 7));
    detail.Post();
    o.form->RecordDetailChange();
}

// The form's own work for a save: the change recorded, the header collected, the packet
// with the header and the one changed line.
void BM_UpdateForm_ChangeAndPack(benchmark::State& state)
{
    Opened& o = opened(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        changeOneLine(o);
        o.form->BeforeSubmit();
        o.form->FillSubmitPacket();
    }
    o.form->ResetSubmitPacket();
    state.counters["lines"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_UpdateForm_ChangeAndPack)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The whole save of one changed line: form, call, the update server's work, the reply.
void BM_UpdateForm_Save(benchmark::State& state)
{
    Opened& o = opened(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        changeOneLine(o);
        if (!o.form->RunSubmit()) state.SkipWithError("the save failed");
    }
    state.counters["lines"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_UpdateForm_Save)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// One product line entered into the shown document and recorded as added, the grid painted;
// the line is taken out again untimed.
void BM_UpdateForm_EnterLine(benchmark::State& state)
{
    Opened& o = opened(static_cast<int>(state.range(0)));
    TCustomEntity& detail = o.form->registry().EntityByName(param::TDetail);
    TCustomEntity& picked = products();
    picked.First();
    for (auto _ : state) {
        forms::AddPickedRow(detail, picked, "TProduct");
        o.form->DetailLinePicked();
        o.form->dgeDetail().viewport()->repaint();
        state.PauseTiming();
        o.form->RecordDetailDelete();
        state.ResumeTiming();
    }
    o.form->ResetSubmitPacket();
    state.counters["lines"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_UpdateForm_EnterLine)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return corvo::bench::runFormBenchmarks(argc, argv, [] { openedForms().clear(); });
}
