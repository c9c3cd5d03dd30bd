#include "TFrmQuery.h"

#include "TFrmQueryProduct.h"
#include "TMainDetailPn.h"
#include "controls/TQueryControlList.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/QueryPacket.h"
#include "platform/DataGrid.h"
#include "platform/Modal.h"
#include "remote/AppServers.h"
#include "remote/Tvelwebconnection.h"

#include <QScopeGuard>

namespace corvo::forms {
namespace {

constexpr int WideGridWidth = 700;

} // namespace

TFrmQuery::TFrmQuery(QWidget* owner)
    : TFrmApp(owner), m_clauses(std::make_unique<TSQLAdder>(&registry())),
      m_printer(std::make_unique<TMainDetailPn>(this))
{
    registry().AddEntities({"TOrgan", "TOrganLink", "TProduct", "TProductTypeSize", "TOtherParam"});
    for (const char* name : {"TOrgan", "TOrganLink", "TOtherParam"})
        LoadLocalFile(name, registry().EntityByName(name));
}

TFrmQuery::~TFrmQuery() = default;

void TFrmQuery::QueryFirstPage()
{
    m_paging.firstPage();
    {
        // The master's grids hear of a page once it is complete.
        const ControlsDisabled held(registry().EntityByName(param::TMaster));
        RunQuery();
        UpdatePageKeys();
    }
}

void TFrmQuery::QueryAllPages()
{
    m_paging.allPages();
    {
        // The master's grids hear of a page once it is complete.
        const ControlsDisabled held(registry().EntityByName(param::TMaster));
        RunQuery();
        UpdatePageKeys();
    }
    m_paging.allPagesDone();
}

void TFrmQuery::QueryNextPage()
{
    if (!m_paging.canNext()) return;
    stepPage([this] { m_paging.next(); }, false);
}

void TFrmQuery::QueryPreviousPage()
{
    if (!m_paging.canPrevious()) return;
    stepPage([this] { m_paging.previous(); }, false);
}

void TFrmQuery::QueryFirstPageMD()
{
    m_paging.firstPageMD();
    {
        // The master's grids hear of a page once it is complete.
        const ControlsDisabled held(registry().EntityByName(param::TMaster));
        RunQueryMD();
        UpdatePageKeys();
    }
}

void TFrmQuery::QueryAllPagesMD()
{
    m_paging.allPages();
    {
        // The master's grids hear of a page once it is complete.
        const ControlsDisabled held(registry().EntityByName(param::TMaster));
        RunQueryMD();
        UpdatePageKeys();
    }
    m_paging.allPagesDone();
}

void TFrmQuery::QueryNextPageMD()
{
    if (!m_paging.canNext()) return;
    const bool rows = registry().HasRows(param::TMaster);
    stepPage([this, rows] { m_paging.next(rows); }, true);
}

void TFrmQuery::QueryPreviousPageMD()
{
    if (!m_paging.canPrevious()) return;
    stepPage([this] { m_paging.previous(); }, true);
}

void TFrmQuery::stepPage(const std::function<void()>& step, bool masterDetail)
{
    // A page that did not arrive leaves the counter and the keys on the page shown.
    const QueryPaging shown = m_paging;
    step();
    // The master's grids hear of a page once it is complete.
    const ControlsDisabled held(registry().EntityByName(param::TMaster));
    if (masterDetail ? RunQueryMD() : RunQuery())
        UpdatePageKeys();
    else
        m_paging = shown;
}

void TFrmQuery::ResetQuery()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.Active()) master.EmptyDataSet();
    UncheckQueryControls();
    m_paging.reset();
}

void TFrmQuery::UpdatePageKeys()
{
    const std::vector<DictColumn> columns =
        selectedColumns(registry().EntityByName(param::TDictField), registry().LanguageColumn);
    m_paging.takePage(registry().EntityByName(param::TMaster), SortFieldOf(columns));
}

void TFrmQuery::PickDetailProducts()
{
    TCustomEntity& detail = registry().EntityByName(param::TDetail);
    const std::string table = PickedTable(detail);
    if (gbk::upper(table).find("TPRODUCT") == std::string::npos) return;
    TFrmQueryProduct picker(this);
    platform::execModal(picker);
    if (picker.resultFlag() != 1) return;
    TClientDataSet& products = *picker.dgeProduct().dataSet();
    std::vector<Bookmark> rows = picker.dgeProduct().markedRows();
    if (rows.empty() && !products.IsEmpty()) rows.push_back(products.GetBookmark());
    for (const Bookmark& row : rows) {
        products.GotoBookmark(row);
        AddPickedRow(detail, products, table);
        DetailLinePicked();
    }
}

void TFrmQuery::DetailLinePicked() {}

bool TFrmQuery::RecordDetailInsert()
{
    registry().AddEntity(param::TDetailInsert);
    TCustomEntity& inserts = registry().EntityByName(param::TDetailInsert);
    TCustomEntity& detail = registry().EntityByName(param::TDetail);
    if (!inserts.Active()) inserts.CopyStructure(detail);
    inserts.UpsertRecord(detail);
    return true;
}

bool TFrmQuery::RecordDetailChange()
{
    return true;
}

bool TFrmQuery::RecordDetailDelete()
{
    return true;
}

void TFrmQuery::emptyWhereRegistered(std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names)
        if (registry().HasEntity(name)) {
            TCustomEntity& changes = registry().EntityByName(name);
            if (changes.Active()) changes.EmptyDataSet();
        }
}

void TFrmQuery::ClearDetailChanges()
{
    emptyWhereRegistered({param::TDetailInsert, param::TDetailUpdate, param::TDetailDelete});
}

void TFrmQuery::ClearDetailListChanges()
{
    emptyWhereRegistered({"TDetailListInsert", "TDetailListUpdate", "TDetailListDelete"});
    ClearDetailChanges();
}

bool TFrmQuery::run(bool masterDetail)
{
    ShowWaitCursor();
    const auto restore = qScopeGuard([this] { ShowDefaultCursor(); });
    ShowStatusText("请稍候，正在查询数据……");
    try {
        if (!FillQueryPacket()) return true;
        if (!(masterDetail ? CallQuery3() : CallQuery1())) {
            ShowStatusText("数据查询失败，请稍后重试。");
            return false;
        }
        if (masterDetail)
            AfterQueryMD();
        else
            AfterQuery();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
        return false;
    }
    return true;
}

bool TFrmQuery::RunQuery()
{
    return run(false);
}

bool TFrmQuery::RunQueryMD()
{
    return run(true);
}

bool TFrmQuery::FillQueryPacket()
{
    forms::FillQueryPacket(submitPacket(), *m_clauses, registry(), m_paging, owner(),
                           [this] { BuildWhere(); });
    return true;
}

void TFrmQuery::BuildWhere() {}

namespace {

void reportRows(TFrmQuery& form, int rows)
{
    form.ShowStatusText(rows > 0 ? "查询完成，本次查询到[" + std::to_string(rows) + "]条记录。"
                                 : std::string("当前条件下没有数据。"));
}

} // namespace

void TFrmQuery::AfterQuery()
{
    reportRows(*this, ReadQueryReply(submitPacket(), registry(), ReplyKind::Master));
}

void TFrmQuery::AfterQueryMD()
{
    reportRows(*this, ReadQueryReply(submitPacket(), registry(), ReplyKind::MasterDetail));
}

bool TFrmQuery::CallQuery1()
{
    return CallAppServer(remote::appserver::Query, remote::appserver::query::SingleTable);
}

bool TFrmQuery::CallQuery3()
{
    return CallAppServer(remote::appserver::Query, remote::appserver::query::MasterDetail);
}

bool TFrmQuery::ownerConditionApplies()
{
    TCustomEntity& modules = registry().EntityByName("TModule");
    if (!modules.Active() || m_moduleName.empty() || !modules.FindRecordCase("Name", m_moduleName))
        return false;
    TField* type = modules.FindField("TypeNo");
    return type && type->AsString() != "2";
}

void TFrmQuery::BuildBaseCondition()
{
    const std::vector<DictColumn> columns =
        selectedColumns(registry().EntityByName(param::TDictField), registry().LanguageColumn);
    controls::TQueryControlList* list = queryControls();
    BuildBaseConditions(
        *m_clauses, columns,
        [list](const std::string& code) {
            return list && list->HasControl(code) ? list->ControlByName(code).GetCondition()
                                                  : std::string();
        },
        ownerConditionApplies());
}

std::string TFrmQuery::userName()
{
    TCustomEntity* user = userRecord();
    return user && user->Active() && user->FindField("Name") ? gbk::display(GetName(*user)) : "";
}

void TFrmQuery::PrintWideGrid(const std::string& title, const std::string& subtitle,
                              platform::DataGrid& grid)
{
    // A narrow grid prints 700 pixels wide, then fills its place again, also after an error.
    const bool widen = grid.width() < WideGridWidth;
    const QSize size = grid.size();
    const QSize minimum = grid.minimumSize();
    const auto restore = qScopeGuard([&] {
        if (!widen) return;
        grid.setMinimumSize(minimum);
        grid.resize(size);
        if (QWidget* parent = grid.parentWidget()) parent->updateGeometry();
        SizeGridColumns(grid);
    });
    if (widen) {
        grid.setMinimumWidth(WideGridWidth);
        grid.resize(WideGridWidth, grid.height());
        SizeGridColumns(grid);
    }
    m_printer->PrintGrid(title, userName() + " " + subtitle, grid);
}

void TFrmQuery::PrintResult(const std::string& title, TClientDataSet& dataSource,
                            const std::string& text)
{
    m_printer->PrintDataSource(title, userName(), text, dataSource);
}

void TFrmQuery::PrintMaster(const std::string& title, TClientDataSet& master,
                            const std::string& extraText, TClientDataSet& detail)
{
    m_printer->PrintMasterDetail(title, userName(), extraText, detail, master);
}

} // namespace corvo::forms
