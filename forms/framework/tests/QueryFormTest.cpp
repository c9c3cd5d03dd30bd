// The query form against the real query server: paging, the master/detail reply, the form's
// own conditions, failures on the message line, and the list and lookup dialogs.
#include "AppFormFixture.h"
#include "controls/TSafeEdit.h"
#include "controls/TVelComboBox.h"
#include "entity/EntityHelpers.h"
#include "forms/framework/TFrmList.h"
#include "forms/framework/TFrmQuery.h"
#include "forms/framework/TFrmQueryCondition.h"
#include "forms/framework/TFrmQueryProduct.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/Modal.h"
#include "platform/tests/PdfText.h"
#include "shell/TFrmQVDialog.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <set>

namespace corvo::forms::test {
namespace {

/// A query form on one table, its message line visible to the test.
class QueryFormTest : public AppFormTest {
protected:
    template <typename Form = TFrmQuery> std::unique_ptr<Form> query(const char* table)
    {
        auto form = std::make_unique<Form>(&LoginSession::instance().login());
        form->registry().BuildEntity(table, "TMaster");
        form->registry().SelectTableFields(table);
        form->setHost(nullptr, &line, nullptr);
        return form;
    }
    std::string message() const { return line.text().toStdString(); }
    static std::vector<std::string> codes(TCustomEntity& rows)
    {
        std::vector<std::string> out;
        for (rows.First(); !rows.Eof(); rows.Next())
            out.push_back(rows.FieldByName("Code").AsString());
        return out;
    }
    QLabel line;
};

TEST_F(QueryFormTest, SingleTablePagingAsksForAllRowsThenBeyondTheLastKey)
{
    auto form = query("TProduct");
    TCustomEntity& master = form->registry().EntityByName("TMaster");
    form->QueryFirstPage();
    const int all = master.RecordCount();
    ASSERT_GT(all, 20) << message();
    EXPECT_EQ(message(), "查询完成，本次查询到[" + std::to_string(all) + "]条记录。");
    EXPECT_EQ(form->paging().page, 1);
    const std::vector<std::string> shown = codes(master);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(form->paging().maxKey, shown.back());

    form->QueryNextPage();
    EXPECT_EQ(message(), "当前条件下没有数据。");
    EXPECT_TRUE(master.IsEmpty());
    EXPECT_EQ(form->paging().page, 2);
    // Text keys: no way back until a new query.
    form->QueryPreviousPage();
    EXPECT_EQ(form->paging().page, 2);

    form->QueryAllPages();
    EXPECT_EQ(master.RecordCount(), all);
    form->QueryNextPage();
    EXPECT_EQ(master.RecordCount(), all) << "after all pages, next does nothing";
    EXPECT_EQ(form->paging().page, 0);
}

TEST_F(QueryFormTest, MasterDetailPagesForwardAndBackByTheSortKey)
{
    auto form = query("TStockOut");
    form->registry().BuildEntity("TStockOutList", "TDetailQuery");
    form->registry().SelectTableFields("TStockOut");
    TCustomEntity& master = form->registry().EntityByName("TMaster");
    form->QueryFirstPageMD();
    const std::vector<std::string> first = codes(master);
    ASSERT_EQ(first.size(), 20u) << message();
    TCustomEntity& lines = form->registry().EntityByName("TDetailQuery");
    ASSERT_GT(lines.RecordCount(), 0);
    for (lines.First(); !lines.Eof(); lines.Next())
        EXPECT_TRUE(master.Locate("ObjID", Variant(lines.FieldByName("ParentID").AsString())));
    EXPECT_GT(form->registry().EntityByName("TDetail").RecordCount(), 0)
        << "the reply's lines also fill TDetail";

    form->QueryNextPageMD();
    const std::vector<std::string> second = codes(master);
    ASSERT_FALSE(second.empty());
    EXPECT_GT(second.front(), first.back());
    EXPECT_EQ(form->paging().page, 2);
    form->QueryPreviousPageMD();
    EXPECT_EQ(codes(master), first);
    EXPECT_EQ(form->paging().page, 1);

    EXPECT_GT(form->registry().EntityByName("TDetailList").RecordCount(), 0) << "size rows";

    // Page to the end: every document exactly once, as all pages at once list them.
    std::vector<std::string> paged = first;
    for (int guard = 0; guard < 1000; ++guard) {
        form->QueryNextPageMD();
        if (master.IsEmpty()) break;
        const std::vector<std::string> page = codes(master);
        EXPECT_GT(page.front(), paged.back()) << "no overlap";
        paged.insert(paged.end(), page.begin(), page.end());
    }
    EXPECT_EQ(message(), "当前条件下没有数据。");
    form->QueryAllPagesMD();
    EXPECT_EQ(codes(master), paged) << "no gap";

    form->ResetQuery();
    EXPECT_TRUE(master.IsEmpty());
    EXPECT_EQ(form->paging().page, 0);
    form->QueryNextPageMD();
    EXPECT_TRUE(master.IsEmpty()) << "next is refused after a reset";
}

/// A form with a condition of its own.
class NamedQuery : public TFrmQuery {
public:
    using TFrmQuery::TFrmQuery;
    std::string where;
    void BuildWhere() override
    {
        if (!where.empty()) clauses().AddClause("where", where);
    }
};

TEST_F(QueryFormTest, TheFormsOwnConditionsAndItsFailures)
{
    auto form = query<NamedQuery>("TProduct");
    TCustomEntity& master = form->registry().EntityByName("TMaster");
    form->where = gbk::fromUtf8("(TProduct.Name like '%羽绒%')");
    form->QueryFirstPage();
    ASSERT_GT(master.RecordCount(), 0) << message();
    for (master.First(); !master.Eof(); master.Next())
        EXPECT_NE(gbk::display(master.FieldByName("Name").AsString()).find("羽绒"),
                  std::string::npos);
    const int found = master.RecordCount();

    // The server refuses a condition: its message on the line, the rows shown stay.
    form->where = "(TProduct.Name like 'x' union select 1)";
    form->QueryFirstPage();
    EXPECT_FALSE(message().empty());
    EXPECT_NE(message(), "请稍候，正在查询数据……");
    EXPECT_EQ(master.RecordCount(), found);
}

TEST_F(QueryFormTest, AFailedPageLeavesTheCounterOnThePageShown)
{
    auto form = query<NamedQuery>("TStockOut");
    form->registry().BuildEntity("TStockOutList", "TDetailQuery");
    form->registry().SelectTableFields("TStockOut");
    TCustomEntity& master = form->registry().EntityByName("TMaster");
    form->QueryFirstPageMD();
    form->QueryNextPageMD();
    ASSERT_EQ(form->paging().page, 2) << message();
    const std::vector<std::string> second = codes(master);
    const QueryPaging shown = form->paging();

    // The server refuses the next query, whichever way it goes.
    form->where = "(TStockOut.Code like 'x' union select 1)";
    form->QueryNextPageMD();
    EXPECT_NE(message().rfind("查询完成", 0), 0u) << message();
    EXPECT_EQ(form->paging().page, 2);
    EXPECT_EQ(form->paging().maxKey, shown.maxKey);
    form->QueryPreviousPageMD();
    EXPECT_EQ(form->paging().page, 2);
    EXPECT_EQ(form->paging().minKey, shown.minKey);
    EXPECT_EQ(codes(master), second) << "the page shown stays";

    // Once the server answers again, the steps go on from the page shown.
    form->where.clear();
    form->QueryPreviousPageMD();
    EXPECT_EQ(form->paging().page, 1) << message();
    EXPECT_LT(codes(master).back(), second.front());
}

/// A query the server answers false. The real server never answers a query false (it
/// refuses with an error, tried above), so the form's call answers in its place.
class AnsweredFalse : public TFrmQuery {
public:
    using TFrmQuery::TFrmQuery;
    bool CallQuery1() override { return false; }
    bool CallQuery3() override { return false; }
};

TEST_F(QueryFormTest, AQueryAnsweredFalseIsReported)
{
    auto form = query<AnsweredFalse>("TProduct");
    form->QueryFirstPage();
    EXPECT_EQ(message(), "数据查询失败，请稍后重试。");
    EXPECT_FALSE(form->RunQuery());
    form->QueryFirstPageMD();
    EXPECT_EQ(message(), "数据查询失败，请稍后重试。");
    EXPECT_TRUE(form->registry().EntityByName("TMaster").IsEmpty());
}

/// A form whose conditions come from its query panel, as the collated queries build them.
class PanelQuery : public TFrmQuery {
public:
    using TFrmQuery::TFrmQuery;
    void BuildWhere() override
    {
        BuildBaseCondition();
        TSQLAdder conditions;
        conditions.CopyFrom(clauses());
        // BuildBaseCondition emptied the clause set: build the query again, then add them.
        clauses().BuildQuery(&registry().EntityByName("TDictField"), paging().mode, paging().maxKey,
                             paging().minKey);
        for (conditions.First(); !conditions.Eof(); conditions.Next())
            clauses().AddClause("where", conditions.FieldByName("SQLClause").AsString());
    }
};

TEST_F(QueryFormTest, QueryPanelConditionsAndTheirErrors)
{
    auto form = query<PanelQuery>("TWarehouse");
    QFrame panel(&form->pnlClient());
    panel.resize(900, 100);
    form->BuildQueryControls(form->registry().EntityByName("TDictField"), panel);
    controls::TQueryControl& code = form->queryControls()->ControlByName("Code");
    code.setChecked(true);
    form->QueryFirstPage();
    EXPECT_EQ(message(), "请填入[仓库代码]对应的条件或者不选中该条件！");

    auto cachedWarehouses = cached("TWarehouse");
    cachedWarehouses->First();
    const std::string wanted = cachedWarehouses->FieldByName("Code").AsString();
    qobject_cast<QLineEdit*>(code.Editor())->setText(platform::fromGbk(wanted));
    form->BuildBaseCondition();
    ASSERT_EQ(form->clauses().RecordCount(), 1);
    EXPECT_EQ(form->clauses().FieldByName("SQLClause").AsString(),
              "(TWarehouse.Code like '%" + wanted + "%')");
    form->QueryFirstPage();
    TCustomEntity& master = form->registry().EntityByName("TMaster");
    ASSERT_GE(master.RecordCount(), 1) << message();
    for (const std::string& c : codes(master))
        EXPECT_NE(c.find(wanted), std::string::npos);
}

TEST_F(QueryFormTest, ConditionDialogHandsItsClausesToTheCaller)
{
    auto caller = query("TWarehouse");
    std::vector<std::string> errors;
    enum class Answer { TickEmpty, TickCode, Close } answer = Answer::TickCode;
    platform::setModalInterceptor([&](QDialog& d) {
        if (auto* message = qobject_cast<shell::TFrmQVDialog*>(&d)) {
            errors.push_back(message->memo().toPlainText().toStdString());
            return 0;
        }
        auto* dialog = qobject_cast<TFrmQueryCondition*>(&d);
        if (!dialog) return 0;
        EXPECT_EQ(utf8(dialog->lblTitle().text()), "请选定您想要的查询条件……");
        controls::TQueryControl& code = dialog->queryControls()->ControlByName("Code");
        if (answer == Answer::Close) {
            QTest::mouseClick(&dialog->mbtClose(), Qt::LeftButton);
            return 0;
        }
        code.setChecked(true);
        if (answer == Answer::TickEmpty) {
            QTest::mouseClick(&dialog->mbtOK(), Qt::LeftButton);
            EXPECT_EQ(dialog->resultFlag(), 0) << "the dialog stays open";
            QTest::mouseClick(&dialog->mbtClear(), Qt::LeftButton);
            EXPECT_FALSE(code.isChecked());
            code.setChecked(true);
        }
        qobject_cast<QLineEdit*>(code.Editor())->setText(QStringLiteral("WH"));
        QTest::mouseClick(&dialog->mbtOK(), Qt::LeftButton);
        return dialog->resultFlag();
    });
    TSQLAdder into;
    ChooseQueryConditions(*caller, "TWarehouse", into);
    ASSERT_EQ(into.RecordCount(), 1);
    EXPECT_EQ(into.FieldByName("SQLClause").AsString(), "(TWarehouse.Code like '%WH%')");

    answer = Answer::TickEmpty;
    ChooseQueryConditions(*caller, "TWarehouse", into);
    EXPECT_EQ(errors, std::vector<std::string>{"请填入[仓库代码]对应的条件或者不选中该条件！"});
    EXPECT_EQ(into.RecordCount(), 2);

    answer = Answer::Close;
    std::string refused;
    try {
        ChooseQueryConditions(*caller, "TWarehouse", into);
    } catch (const std::exception& e) {
        refused = e.what();
    }
    platform::setModalInterceptor({});
    EXPECT_EQ(refused, "查询操作被用户取消。");
}

TEST_F(QueryFormTest, ListDialogShowsOneFieldAndConfirms)
{
    auto owner = query("TWarehouse");
    TFrmList list(owner.get());
    list.LoadRows(cached("TWarehouse")->Data());
    list.show();
    EXPECT_GT(list.dgeMaster().gridModel().columnCount(), 1);
    EXPECT_EQ(list.dgeMaster().gridModel().rowCount(), cached("TWarehouse")->RecordCount());
    list.ShowOnlyField("Name");
    EXPECT_EQ(list.dgeMaster().gridModel().columnCount(), 1);
    list.ShowOnlyField("NoSuchField");
    EXPECT_EQ(list.dgeMaster().gridModel().columnCount(), 0);
    QTest::mouseClick(&list.mbtConfirm(), Qt::LeftButton);
    EXPECT_EQ(list.resultFlag(), 1);

    TFrmFormList narrow(owner.get());
    EXPECT_EQ(narrow.size(), QSize(250, 484));
}

TEST_F(QueryFormTest, ProductPickerFiltersWhileTyping)
{
    auto owner = query("TStockOut");
    TFrmQueryProduct picker(owner.get());
    TCustomEntity& products = picker.registry().EntityByName("TMaster");
    const int all = cached("TProduct")->RecordCount();
    ASSERT_EQ(products.RecordCount(), all);
    EXPECT_GT(picker.scbTProductTypeID().ItemCount(), 0);

    products.First();
    const std::string name = products.FieldByName("Name").AsString();
    const std::string firstChar = name.substr(0, 2); // one GBK character
    picker.sedName().setText(platform::fromGbk(firstChar));
    ASSERT_GT(products.RecordCount(), 0);
    for (products.First(); !products.Eof(); products.Next())
        EXPECT_EQ(products.FieldByName("Name").AsString().rfind(firstChar, 0), 0u);
    EXPECT_EQ(picker.dgeProduct().markedRows().size(), 1u) << "the focused product is marked";

    picker.sedCode().setText(QStringLiteral("ZZZ-none"));
    EXPECT_EQ(products.RecordCount(), 0);
    picker.sedCode().clear();
    picker.sedName().clear();
    EXPECT_EQ(products.RecordCount(), all);

    QTest::mouseClick(&picker.mbtOK(), Qt::LeftButton);
    EXPECT_EQ(picker.resultFlag(), 1);
    TCustomEntity last;
    last.SetData(picker.lastProduct());
    EXPECT_EQ(last.RecordCount(), 1);
}

TEST_F(QueryFormTest, TheProductTypeFilterFollowsTheTypedText)
{
    auto owner = query("TStockOut");
    TFrmQueryProduct picker(owner.get());
    picker.show();
    TCustomEntity& products = picker.registry().EntityByName("TMaster");
    const int all = products.RecordCount();
    controls::TVelComboBox& type = picker.scbTProductTypeID();
    // A type some products have and others not.
    std::string typeId;
    QString typeName;
    controls::TItemField item;
    for (int i = 0; i < type.ItemCount() && typeId.empty(); ++i) {
        type.GetItem(i, item);
        const std::string id = platform::toGbk(item.InnerCode);
        int of = 0;
        for (products.First(); !products.Eof(); products.Next())
            if (products.FieldByName("TProductTypeID").AsString() == id) ++of;
        if (of > 0 && of < all) {
            typeId = id;
            typeName = item.DisplayText;
        }
    }
    ASSERT_FALSE(typeId.empty());
    const auto onlyOfType = [&] {
        for (products.First(); !products.Eof(); products.Next())
            if (products.FieldByName("TProductTypeID").AsString() != typeId) return false;
        return products.RecordCount() > 0;
    };

    // The exact name typed (through the input method, as Chinese is typed) applies the type.
    type.setFocus();
    QInputMethodEvent typed;
    typed.setCommitString(typeName);
    QApplication::sendEvent(&type, &typed);
    ASSERT_EQ(type.text(), typeName);
    EXPECT_LT(products.RecordCount(), all);
    EXPECT_TRUE(onlyOfType());

    // Emptied, the box takes its term away.
    type.selectAll();
    QTest::keyClick(&type, Qt::Key_Backspace);
    EXPECT_EQ(type.text(), QString());
    EXPECT_EQ(products.RecordCount(), all);

    // Chosen by its code, then emptied the same way.
    type.SetInnerCode(platform::fromGbk(typeId));
    EXPECT_TRUE(onlyOfType());
    type.selectAll();
    QTest::keyClick(&type, Qt::Key_Delete);
    EXPECT_EQ(products.RecordCount(), all);
}

TEST_F(QueryFormTest, PickedProductsBecomeDetailLines)
{
    auto form = query("TStockOut");
    form->registry().BuildEntity("TStockOutList", "TDetail");
    form->registry().SelectTableFields("TStockOut");
    std::set<std::string> picked;
    platform::setModalInterceptor([&](QDialog& d) {
        auto* picker = qobject_cast<TFrmQueryProduct*>(&d);
        if (!picker) return 0;
        for (int row : {0, 2, 4})
            picker->dgeProduct().setRowMarked(row, true);
        TClientDataSet& products = *picker->dgeProduct().dataSet();
        for (const Bookmark& b : picker->dgeProduct().markedRows()) {
            products.GotoBookmark(b);
            picked.insert(products.FieldByName("ObjID").AsString());
        }
        QTest::mouseClick(&picker->mbtOK(), Qt::LeftButton);
        return 1;
    });
    form->PickDetailProducts();
    platform::setModalInterceptor({});
    TCustomEntity& detail = form->registry().EntityByName("TDetail");
    ASSERT_EQ(detail.RecordCount(), 3);
    std::set<std::string> lines, products;
    for (detail.First(); !detail.Eof(); detail.Next()) {
        lines.insert(detail.FieldByName("ObjID").AsString());
        products.insert(detail.FieldByName("TProductID").AsString());
        EXPECT_FALSE(detail.FieldByName("TProductCode").AsString().empty());
        EXPECT_FALSE(detail.FieldByName("TProductName").AsString().empty());
    }
    EXPECT_EQ(products, picked);
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines.count(*picked.begin()), 0u) << "lines get ObjIDs of their own";

    // The change sets: a recorded insert, then cleared.
    detail.First();
    form->RecordDetailInsert();
    EXPECT_EQ(form->registry().EntityByName("TDetailInsert").RecordCount(), 1);
    form->ClearDetailListChanges();
    EXPECT_EQ(form->registry().EntityByName("TDetailInsert").RecordCount(), 0);
}

TEST_F(QueryFormTest, PrintsNameTheUserAndWidenANarrowGrid)
{
    auto form = query("TWarehouse");
    form->QueryFirstPage();
    TCustomEntity& master = form->registry().EntityByName("TMaster");
    ASSERT_GT(master.RecordCount(), 0);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("result.pdf"));
    int widthWhilePrinting = 0;
    platform::DataGrid grid(&form->pnlClient());
    platform::setModalInterceptor([&](QDialog& d) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(&d);
        if (!preview) return 0;
        widthWhilePrinting = grid.width();
        preview->printer()->setOutputFormat(QPrinter::PdfFormat);
        preview->printer()->setOutputFileName(pdf);
        if (auto* pages = preview->findChild<QPrintPreviewWidget*>()) pages->print();
        return 1;
    });
    form->PrintResult("仓库一览", master, "");
    const QStringList pages = platform::test::pdfPages(pdf);
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages.front().contains(QStringLiteral("制表人：系统管理员")));
    EXPECT_TRUE(pages.front().contains(QStringLiteral("仓库一览")));

    form->registry().BindGrid("TMaster", grid);
    grid.resize(300, 200);
    form->PrintWideGrid("仓库", "2026年12月", grid);
    platform::setModalInterceptor({});
    EXPECT_GE(widthWhilePrinting, 700);
    EXPECT_EQ(grid.width(), 300) << "the grid returns to its place";
}

} // namespace
} // namespace corvo::forms::test
