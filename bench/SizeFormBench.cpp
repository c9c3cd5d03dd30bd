// The size documents' entry and update forms, each against the floor of the same arithmetic
// on a bare dataset of the same structure in the same run: 50 products added through the
// entry form (lines made, priced, sized and the totals recalculated) and a 200-line report
// recalculated; a typed quantity in a 1,000-line report (the keystroke the user waits for);
// the update form's commit check of one line in reports of 10, 100 and 1,000 lines.
#include "FormBenchMain.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TField.h"
#include "forms/documents/TFrmInsertSize.h"
#include "forms/documents/TFrmUpdateSize.h"
#include "forms/framework/tests/LoginSession.h"
#include "forms/rules/SizeAmounts.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "shell/LocalFiles.h"

#include <QApplication>
#include <QLabel>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

using namespace corvo;

/// `count` products of one type, repeated as needed.
TCustomEntity& productsOfOneType(int count)
{
    static std::map<int, std::unique_ptr<TCustomEntity>> made;
    auto& rows = made[count];
    if (rows) return *rows;
    forms::test::LoginSession::instance(); // the cached tables come with the login
    TCustomEntity all;
    shell::loadDataSetFile(shell::dataDir() + "TProduct", all);
    all.First();
    const std::string type = all.FieldByName("TProductTypeID").AsString();
    all.FilterEqual("TProductTypeID", type);
    rows = std::make_unique<TCustomEntity>();
    rows->CopyStructure(all);
    for (int i = 0; i < count; ++i) {
        all.SetRecNo(i % all.RecordCount() + 1);
        rows->Append();
        for (int f = 0; f < all.FieldCount(); ++f)
            rows->Fields(f).SetAsVariant(all.Fields(f).AsVariant());
        rows->Post();
    }
    return *rows;
}

/// The floor's line: what adding a sold product writes, on a bare dataset.
void addLine(TCustomEntity& lines, TClientDataSet& product)
{
    lines.Append();
    lines.Post();
    lines.AssignRecord(product);
    AssignNewObjID(lines);
    lines.Edit();
    lines.FieldByName("TProductID").SetAsString(GetObjID(product));
    lines.FieldByName("TProductCode").SetAsString(GetCode(product));
    lines.FieldByName("TProductName").SetAsString(GetName(product));
    lines.FieldByName("Quantity").SetAsInteger(1);
    lines.FieldByName("UnitPrice").SetAsFloat(product.FieldByName("UnitPrice").AsFloat());
    lines.FieldByName("InPrice").SetAsFloat(product.FieldByName("InPrice").AsFloat());
    lines.Post();
}

int columnOf(platform::DataGrid& grid, const char* field)
{
    for (int c = 0; c < grid.gridModel().columnCount(); ++c)
        if (grid.gridModel().fieldName(c) == field) return c;
    throw std::runtime_error(std::string("no column ") + field);
}

std::string typeOf(TCustomEntity& products)
{
    products.First();
    return products.FieldByName("TProductTypeID").AsString();
}

template <typename Form> std::unique_ptr<Form> openForm(const char* module, QLabel& line)
{
    auto form = std::make_unique<Form>(&forms::test::LoginSession::instance().login());
    form->registry().SelectTableFields("TStockOut");
    form->registry().BuildEntity("TStockOut", "TMaster");
    form->setModuleName(gbk::fromUtf8(module));
    form->setHost(nullptr, &line, nullptr);
    form->resize(1000, 640);
    form->show();
    QApplication::processEvents();
    return form;
}

QLabel& messageLine()
{
    static QLabel line;
    return line;
}

std::unique_ptr<forms::TFrmInsertSize>& entryForm()
{
    static std::unique_ptr<forms::TFrmInsertSize> form;
    if (!form) form = openForm<forms::TFrmInsertSize>("新增销售出库", messageLine());
    return form;
}

TCustomEntity& entryLines()
{
    return entryForm()->registry().EntityByName(param::TDetail);
}

/// The entry form holding exactly `lines` lines.
void fillEntry(int lines)
{
    TCustomEntity& detail = entryLines();
    {
        const ControlsDisabled held(detail);
        detail.EmptyDataSet();
    }
    if (lines > 0) {
        TCustomEntity& products = productsOfOneType(lines);
        entryForm()->AddProducts(products, typeOf(products));
    }
}

/// A bare dataset of the lines' structure holding `lines` lines of the same products.
std::unique_ptr<TCustomEntity> bareLines(int lines)
{
    auto bare = std::make_unique<TCustomEntity>();
    bare->CopyStructure(entryLines());
    TCustomEntity& products = productsOfOneType(lines);
    for (products.First(); !products.Eof(); products.Next())
        addLine(*bare, products);
    return bare;
}

// 50 products added to an empty report: lines made and priced, sized, totals recalculated.
void BM_SizeEntry_Add50Products(benchmark::State& state)
{
    TCustomEntity& products = productsOfOneType(50);
    const std::string type = typeOf(products);
    for (auto _ : state) {
        state.PauseTiming();
        fillEntry(0);
        state.ResumeTiming();
        entryForm()->AddProducts(products, type);
    }
    state.counters["lines"] = entryLines().RecordCount();
}
BENCHMARK(BM_SizeEntry_Add50Products)->Unit(benchmark::kMillisecond);

// Floor: the same 50 lines made and priced on a bare dataset, and their totals.
void BM_Floor_Add50Products(benchmark::State& state)
{
    TCustomEntity& products = productsOfOneType(50);
    TCustomEntity bare;
    bare.CopyStructure(entryLines());
    for (auto _ : state) {
        bare.EmptyDataSet();
        for (products.First(); !products.Eof(); products.Next())
            addLine(bare, products);
        benchmark::DoNotOptimize(forms::RecalculateLines(bare));
    }
}
BENCHMARK(BM_Floor_Add50Products)->Unit(benchmark::kMillisecond);

// "重新计算" on a 200-line report shown in the grid.
void BM_SizeEntry_Recalculate200(benchmark::State& state)
{
    fillEntry(200);
    for (auto _ : state)
        entryForm()->Recalculate();
    state.counters["lines"] = entryLines().RecordCount();
}
BENCHMARK(BM_SizeEntry_Recalculate200)->Unit(benchmark::kMicrosecond);

// Floor: the same recalculation on a bare 200-line dataset.
void BM_Floor_Recalculate200(benchmark::State& state)
{
    auto bare = bareLines(200);
    for (auto _ : state)
        benchmark::DoNotOptimize(forms::RecalculateLines(*bare));
}
BENCHMARK(BM_Floor_Recalculate200)->Unit(benchmark::kMicrosecond);

// A quantity typed into the middle line of a 1,000-line report, as the grid's editor posts
// it: the line written, every amount and the totals recalculated, the grid told.
void BM_SizeEntry_TypedQuantity1000(benchmark::State& state)
{
    fillEntry(1000);
    platform::DataGrid& grid = entryForm()->dgeDetail();
    const int column = columnOf(grid, "Quantity");
    const QModelIndex cell = grid.model()->index(500, column);
    int value = 1;
    for (auto _ : state)
        grid.model()->setData(cell, QString::number(1 + (++value % 5)), Qt::EditRole);
    state.counters["lines"] = entryLines().RecordCount();
}
BENCHMARK(BM_SizeEntry_TypedQuantity1000)->Unit(benchmark::kMillisecond);

// The update form with `lines` lines of a picked document (lines added to it, all committed).
struct Update {
    std::unique_ptr<forms::TFrmUpdateSize> form;
    int changes = 0;
};

std::map<int, Update>& updates()
{
    static std::map<int, Update> forms;
    return forms;
}

Update& update(int lines)
{
    Update& u = updates()[lines];
    if (u.form) return u;
    u.form = openForm<forms::TFrmUpdateSize>("修改销售出库", messageLine());
    TCustomEntityList& registry = u.form->registry();
    TCustomEntity& master = registry.EntityByName(param::TMaster);
    if (!master.Active()) throw std::runtime_error("no master table");
    master.Append();
    master.FieldByName("ObjID").SetAsString(NewGUIDString());
    master.Post();
    TCustomEntity& products = productsOfOneType(lines);
    u.form->AddProducts(products, typeOf(products));
    registry.EntityByName(param::TDetail).MergeChangeLog();
    return u;
}

void flipQuantity(TClientDataSet& lines, int& changes)
{
    lines.SetRecNo(lines.RecordCount() / 2 + 1);
    lines.Edit();
    lines.FieldByName("Quantity").SetAsInteger(2 + (++changes % 7));
    lines.Post();
}

// The commit check of one changed line: the totals moved and the line recorded as changed.
void BM_SizeUpdate_CommitCheck(benchmark::State& state)
{
    Update& u = update(static_cast<int>(state.range(0)));
    TCustomEntity& lines = u.form->registry().EntityByName(param::TDetail);
    for (auto _ : state) {
        flipQuantity(lines, u.changes);
        if (!u.form->CommitCurrentLine()) state.SkipWithError("no change seen");
    }
    state.counters["lines"] = lines.RecordCount();
}
BENCHMARK(BM_SizeUpdate_CommitCheck)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Floor: the same commit check on bare datasets of that many lines.
void BM_Floor_CommitCheck(benchmark::State& state)
{
    auto lines = bareLines(static_cast<int>(state.range(0)));
    TCustomEntity committed;
    committed.CopyFrom(*lines);
    forms::SizeTotals totals = forms::RecalculateLines(*lines);
    int changes = 0;
    for (auto _ : state) {
        flipQuantity(*lines, changes);
        if (!forms::CommitLineCheck(*lines, committed, totals)) state.SkipWithError("no change");
    }
    state.counters["lines"] = lines->RecordCount();
}
BENCHMARK(BM_Floor_CommitCheck)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return corvo::bench::runFormBenchmarks(argc, argv, [] {
        entryForm().reset();
        updates().clear();
    });
}
