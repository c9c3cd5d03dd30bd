#pragma once

#include "TFrmApp.h"
#include "entity/TSQLAdder.h"
#include "forms/rules/QueryPaging.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

namespace corvo::platform {
class DataGrid;
}

namespace corvo::forms {

class TMainDetailPn;

/// The application form that fetches rows from the query server: the query packet (the
/// clause set built from the dictionary, the form's own conditions, the owner), key paging by
/// 20 rows forward and backward on the dictionary's sort column, the master/detail reply, the
/// change sets of detail lines, the product picker and the print operations. Every business
/// form derives from it.
class TFrmQuery : public TFrmApp {
    Q_OBJECT
public:
    explicit TFrmQuery(QWidget* owner = nullptr);
    ~TFrmQuery() override;

    TSQLAdder& clauses() noexcept { return *m_clauses; }
    QueryPaging& paging() noexcept { return m_paging; }
    TMainDetailPn& printer() noexcept { return *m_printer; }
    /// The caption of the form's page in the main window (the module's name, GBK): decides
    /// whether the condition dialog restricts to the owner.
    const std::string& moduleName() const noexcept { return m_moduleName; }
    void setModuleName(std::string name) { m_moduleName = std::move(name); }

    // Operations, in slot order.
    virtual void QueryFirstPage();
    virtual void QueryAllPages();
    virtual void QueryNextPage();
    virtual void QueryPreviousPage();
    virtual void QueryFirstPageMD();
    virtual void QueryAllPagesMD();
    virtual void QueryNextPageMD();
    virtual void QueryPreviousPageMD();
    virtual void ResetQuery();
    virtual void UpdatePageKeys();
    /// Each chosen product becomes a TDetail row, followed by DetailLinePicked on it.
    virtual void PickDetailProducts();
    /// The current TDetail row was just made from a picked product; the base does nothing.
    virtual void DetailLinePicked();
    virtual bool RecordDetailInsert();
    virtual bool RecordDetailChange();
    virtual bool RecordDetailDelete();
    virtual void ClearDetailChanges();
    virtual void ClearDetailListChanges();
    /// False when the query failed (a false answer or an error, its message shown).
    virtual bool RunQuery();
    virtual bool RunQueryMD();
    virtual bool FillQueryPacket();
    virtual void BuildWhere();
    virtual void AfterQuery();
    virtual void AfterQueryMD();
    virtual bool CallQuery1();
    virtual bool CallQuery3();

    /// The condition dialog's clauses from this form's ticked query controls.
    void BuildBaseCondition() override;

    // Printing; the preparer is the logged-in user's name. Texts UTF-8.
    void PrintWideGrid(const std::string& title, const std::string& subtitle,
                       platform::DataGrid& grid);
    void PrintResult(const std::string& title, TClientDataSet& dataSource, const std::string& text);
    void PrintMaster(const std::string& title, TClientDataSet& master, const std::string& extraText,
                     TClientDataSet& detail);

private:
    bool run(bool masterDetail);
    void stepPage(const std::function<void()>& step, bool masterDetail);
    bool callQuery(int32_t method);
    void emptyWhereRegistered(std::initializer_list<std::string_view> names);
    std::string userName();
    bool ownerConditionApplies();

    std::unique_ptr<TSQLAdder> m_clauses;
    std::unique_ptr<TMainDetailPn> m_printer;
    QueryPaging m_paging;
    std::string m_moduleName;
};

} // namespace corvo::forms
