// Opening an application form on the widest table of the demo company, as the main window
// opens a module: TMaster from the dictionary, its columns selected, the entry and query
// panels built and laid out, lookup lists filled from the cached tables, a grid bound and
// sized, the form shown off screen. The floor, in the same run, builds the same widgets of
// the same kinds at the same places with the same list entries directly: no dictionary, no
// files, no layout rules.
#include "FormBenchMain.h"
#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "controls/TQueryControl.h"
#include "controls/TQueryControlList.h"
#include "controls/TVelComboBox.h"
#include "forms/framework/TFrmApp.h"
#include "forms/framework/tests/LoginSession.h"
#include "forms/rules/DictColumn.h"
#include "platform/DataGrid.h"
#include "platform/Desktop.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QVBoxLayout>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

using namespace corvo;
using corvo::forms::TFrmApp;

constexpr int PanelWidth = 980;

/// The table with the most entry and condition columns together.
std::string widestTable(TCustomEntityList& registry)
{
    TCustomEntity& tables = registry.EntityByName("TDictTable");
    std::string best;
    std::size_t most = 0;
    for (tables.First(); !tables.Eof(); tables.Next()) {
        const std::string code = tables.FieldByName("Code").AsString();
        TCustomEntity& dict = registry.EntityByName("TDictField");
        registry.SelectTableFields(code);
        std::size_t entries = 0;
        for (const forms::DictColumn& c : forms::selectedColumns(dict, "Name"))
            entries += (c.isEntry() ? 1 : 0) + (c.isQueryCandidate() ? 1 : 0);
        if (entries > most) most = entries, best = code;
        tables.FindRecord("Code", code);
    }
    return best;
}

struct Opened {
    std::unique_ptr<TFrmApp> form;
    QFrame* entry = nullptr;
    QFrame* query = nullptr;
    platform::DataGrid* grid = nullptr;
};

Opened openForm(const std::string& table)
{
    Opened o;
    o.form = std::make_unique<TFrmApp>(&forms::test::LoginSession::instance().login());
    TFrmApp& form = *o.form;
    form.resize(PanelWidth + 20, 700);
    form.registry().BuildEntity(table, "TMaster");
    form.registry().SelectTableFields(table);
    auto* column = new QVBoxLayout(&form.pnlClient());
    o.entry = new QFrame(&form.pnlClient());
    o.entry->resize(PanelWidth, 120);
    o.query = new QFrame(&form.pnlClient());
    o.query->resize(PanelWidth, 60);
    o.grid = new platform::DataGrid(&form.pnlClient());
    column->addWidget(o.entry);
    column->addWidget(o.query);
    column->addWidget(o.grid, 1);
    TCustomEntity& dict = form.registry().EntityByName("TDictField");
    form.BuildInputControls(dict, *o.entry);
    form.LayoutInputPanel(*o.entry, *form.inputControls());
    form.BuildQueryControls(dict, *o.query);
    form.LayoutQueryPanel(*o.query, *form.queryControls());
    form.registry().BindGrid("TMaster", *o.grid);
    form.SizeGridColumns(*o.grid);
    form.StripeGrid(*o.grid);
    form.show();
    QApplication::processEvents();
    return o;
}

/// What one opened form holds, to be built again directly.
struct Recipe {
    struct Input {
        controls::TSubType sub;
        QString caption;
        QRect geometry;
        std::vector<controls::TItemField> items;
    };
    struct Query {
        controls::TQuSubType sub;
        QString caption;
        QRect geometry;
        std::vector<controls::TItemField> items;
    };
    std::vector<Input> inputs;
    std::vector<Query> queries;
    std::unique_ptr<TCustomEntity> rows = std::make_unique<TCustomEntity>();
};

std::vector<controls::TItemField> itemsOf(QWidget* editor)
{
    std::vector<controls::TItemField> items;
    if (auto* box = qobject_cast<controls::TVelComboBox*>(editor))
        for (int i = 0; i < box->ItemCount(); ++i)
            box->GetItem(i, items.emplace_back());
    return items;
}

Recipe recipeOf(Opened& o)
{
    Recipe r;
    controls::TInputControlList& inputs = *o.form->inputControls();
    for (int i = 0; i < inputs.Count(); ++i) {
        controls::TInputControl* c = inputs.Items(i);
        r.inputs.push_back({c->SubType(), c->Caption(), c->geometry(), itemsOf(c->Editor())});
    }
    controls::TQueryControlList& queries = *o.form->queryControls();
    for (int i = 0; i < queries.Count(); ++i) {
        controls::TQueryControl* c = queries.Items(i);
        r.queries.push_back({c->SubType(), c->Caption(), c->geometry(), itemsOf(c->Editor())});
    }
    r.rows->CopyFrom(*o.grid->dataSet());
    return r;
}

// Entries go into a box through a dataset, as the form loads them.
void loadItems(QWidget* editor, const std::vector<controls::TItemField>& items,
               TClientDataSet& scratch)
{
    auto* box = qobject_cast<controls::TVelComboBox*>(editor);
    if (!box || items.empty()) return;
    scratch.Close();
    scratch.FieldDefs().Clear();
    for (const char* f : {"ObjID", "C1", "C2", "Name"})
        scratch.FieldDefs().Add(f, FieldType::String, 100);
    scratch.CreateDataSet();
    for (const controls::TItemField& item : items) {
        const Variant values[] = {platform::toGbk(item.InnerCode), platform::toGbk(item.Ime1Text),
                                  platform::toGbk(item.Ime2Text),
                                  platform::toGbk(item.DisplayText)};
        scratch.AppendRecord(values);
    }
    box->LoadFromDataSet(&scratch, "ObjID", "C1", "C2", "Name");
}

void buildDirectly(const Recipe& r)
{
    QDialog dialog;
    dialog.resize(PanelWidth + 20, 700);
    auto* outer = new QVBoxLayout(&dialog);
    auto* client = new QFrame(&dialog);
    outer->addWidget(client);
    auto* column = new QVBoxLayout(client);
    auto* entry = new QFrame(client);
    auto* query = new QFrame(client);
    auto* grid = new platform::DataGrid(client);
    column->addWidget(entry);
    column->addWidget(query);
    column->addWidget(grid, 1);
    TClientDataSet scratch;
    controls::TInputControlList inputs;
    for (const Recipe::Input& in : r.inputs) {
        auto* c = new controls::TInputControl(nullptr, in.sub);
        c->SetCaption(in.caption);
        c->setParent(entry);
        c->setGeometry(in.geometry);
        loadItems(c->Editor(), in.items, scratch);
    }
    for (const Recipe::Query& q : r.queries) {
        auto* c = new controls::TQueryControl(query, "F", controls::TQuCheckFieldType::ctString,
                                              q.sub, controls::TOpChar::opEqual);
        c->SetCaption(q.caption);
        c->setGeometry(q.geometry);
        loadItems(c->Editor(), q.items, scratch);
    }
    grid->bindDataSet(r.rows.get());
    dialog.show();
    QApplication::processEvents();
    grid->bindDataSet(nullptr);
}

struct Setup {
    std::string table;
    Recipe recipe;
};

Setup& setup()
{
    static Setup* s = [] {
        auto* made = new Setup;
        auto probe = std::make_unique<TFrmApp>(&forms::test::LoginSession::instance().login());
        made->table = widestTable(probe->registry());
        Opened o = openForm(made->table);
        made->recipe = recipeOf(o);
        return made;
    }();
    return *s;
}

void BM_OpenAppForm(benchmark::State& state)
{
    const std::string& table = setup().table;
    for (auto _ : state) {
        Opened o = openForm(table);
        benchmark::DoNotOptimize(o.form.get());
    }
    state.SetLabel(table + ", " + std::to_string(setup().recipe.inputs.size()) + " inputs, " +
                   std::to_string(setup().recipe.queries.size()) + " conditions");
}
BENCHMARK(BM_OpenAppForm)->Unit(benchmark::kMillisecond);

void BM_OpenAppForm_Floor(benchmark::State& state)
{
    const Recipe& r = setup().recipe;
    for (auto _ : state)
        buildDirectly(r);
}
BENCHMARK(BM_OpenAppForm_Floor)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return corvo::bench::runFormBenchmarks(argc, argv);
}
