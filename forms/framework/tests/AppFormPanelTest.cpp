// Entry and query panels built from the demo company's dictionary as the login delivers it.
#include "AppFormFixture.h"
#include "controls/TSafeEdit.h"
#include "controls/TVelComboBox.h"

#include <QDir>
#include <QImage>
#include <map>
#include <set>

namespace corvo::forms::test {
namespace {

using controls::TInputControl;
using controls::TSubType;

struct Expected {
    const char* code;
    TSubType editor;
    const char* caption;
    bool required;
};

TEST_F(AppFormTest, EntryPanelHoldsOneControlPerEntryColumn)
{
    using S = TSubType;
    struct Case {
        const char* table;
        std::vector<Expected> controls;
        std::vector<const char*> without;
    };
    for (const Case& c : {
             Case{"TStockOut",
                  {{"Code", S::stSafeEdit, "单据编号", false},
                   {"HappenDate", S::stDateTimePicker, "单据日期", true},
                   {"TStockOutTypeID", S::stVelCombobox, "出库类型", true},
                   {"TOrganID", S::stVelCombobox, "客户", true},
                   {"TWarehouseID", S::stVelCombobox, "出库仓库", true},
                   {"TEmployeeID", S::stVelCombobox, "经手人", true},
                   {"TSaleTypeID", S::stVelCombobox, "销售方式", true},
                   {"SaleDiscount", S::stFloatEdit, "折扣", false},
                   {"TotalQuantity", S::stIntegerEdit, "数量合计", false},
                   {"TotalAmount", S::stFloatEdit, "金额合计", false},
                   {"TotalProfit", S::stFloatEdit, "毛利合计", false},
                   {"Remark", S::stMemo, "备注", false}},
                  {"TStockOut", "ObjID", "TOrganName", "TStockOutTypeName", "StatusID",
                   "StatusName", "TOwnerID", "TUserID", "CreateDate", "StatusTStockOutID"}},
             Case{"TWarehouse",
                  {{"Code", S::stSafeEdit, "仓库代码", true},
                   {"Name", S::stSafeEdit, "仓库名称", true},
                   {"HelpIndex", S::stSafeEdit, "助记码", false},
                   {"TOrganID", S::stVelCombobox, "所属门店", true},
                   {"Address", S::stSafeEdit, "地址", false},
                   {"Phone", S::stSafeEdit, "电话", false}},
                  {"TWarehouse", "TOrganName", "TOwnerName", "StatusName"}},
             Case{"TUser",
                  {{"Code", S::stSafeEdit, "用户代码", true},
                   {"Name", S::stSafeEdit, "用户名称", true},
                   {"PassWord", S::stSafeEdit, "密码", false},
                   {"LastLogin", S::stIntegerEdit, "登录标志", false},
                   {"TOrganID", S::stVelCombobox, "所属企业", true}},
                  {"TOrganCode", "TOwnerID", "StatusID"}},
         }) {
        auto form = open(c.table);
        form->BuildInputControls(form->registry().EntityByName("TDictField"), *entryPanel);
        controls::TInputControlList& list = *form->inputControls();
        EXPECT_EQ(list.Count(), static_cast<int>(c.controls.size())) << c.table;
        for (const Expected& e : c.controls) {
            ASSERT_TRUE(list.HasControl(e.code)) << c.table << "." << e.code;
            TInputControl& control = list.ControlByName(e.code);
            EXPECT_EQ(control.SubType(), e.editor) << c.table << "." << e.code;
            EXPECT_EQ(utf8(control.Caption()), e.caption) << c.table << "." << e.code;
            EXPECT_EQ(control.parentWidget(), entryPanel);
            EXPECT_EQ(control.palette().color(QPalette::WindowText),
                      e.required ? QColor(255, 0, 0) : QColor(0, 0, 255))
                << c.table << "." << e.code;
            ASSERT_NE(control.Editor(), nullptr);
            EXPECT_EQ(utf8(control.Editor()->accessibleName()), e.caption);
        }
        for (const char* code : c.without)
            EXPECT_FALSE(list.HasControl(code)) << c.table << "." << code;
    }
}

TEST_F(AppFormTest, PasswordIsMaskedAndShowsNoHint)
{
    auto form = open("TUser");
    form->BuildInputControls(form->registry().EntityByName("TDictField"), *entryPanel);
    auto* password =
        qobject_cast<QLineEdit*>(form->inputControls()->ControlByName("PassWord").Editor());
    auto* name = qobject_cast<QLineEdit*>(form->inputControls()->ControlByName("Name").Editor());
    ASSERT_TRUE(password && name);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    password->setText(QStringLiteral("secret"));
    name->setText(QStringLiteral("李娜"));
    EXPECT_TRUE(password->toolTip().isEmpty());
    EXPECT_EQ(utf8(name->toolTip()), "李娜");
    EXPECT_FALSE(name->inputMethodHints() & Qt::ImhPreferLatin);
}

TEST_F(AppFormTest, LayoutRightAlignsCaptionsInColumnsThatFit)
{
    for (int width : {980, 700, 360}) {
        auto form = open("TStockOut", width);
        form->BuildInputControls(form->registry().EntityByName("TDictField"), *entryPanel);
        controls::TInputControlList& list = *form->inputControls();
        form->LayoutInputPanel(*entryPanel, list);

        std::map<int, std::vector<QRect>> editorsByEdge; // caption right edge -> editors
        for (int i = 0; i < list.Count(); ++i) {
            TInputControl* control = list.Items(i);
            const int edge = control->x() + control->width();
            editorsByEdge[edge].push_back(control->Editor()->geometry());
            EXPECT_EQ(control->Editor()->x(), edge + 3);
            EXPECT_GE(control->x(), 5);
            EXPECT_EQ(control->y() % 30, 0) << "rows are 30 pixels apart";
        }
        const int columns = static_cast<int>(editorsByEdge.size());
        EXPECT_GE(columns, 1);
        EXPECT_LE(columns, 4);
        int widest = 0;
        for (int i = 0; i < list.Count(); ++i)
            widest = std::max(widest, list.Items(i)->width());
        EXPECT_EQ(columns, std::min(4, std::max(1, width / (121 + widest + 10)))) << width;
        for (auto& [edge, editors] : editorsByEdge)
            for (std::size_t a = 0; a < editors.size(); ++a)
                for (std::size_t b = a + 1; b < editors.size(); ++b)
                    EXPECT_FALSE(editors[a].intersects(editors[b])) << width;
        // The memo stands alone at the top of the last column.
        TInputControl& remark = list.ControlByName("Remark");
        EXPECT_EQ(remark.y(), 30);
        EXPECT_EQ(remark.x() + remark.width(), editorsByEdge.rbegin()->first);
        EXPECT_GE(entryPanel->height(), remark.y() + 90);
    }
}

TEST_F(AppFormTest, QueryPanelOffersTheQueryColumnsRangesInWideColumns)
{
    auto form = open("TStockOut");
    form->BuildQueryControls(form->registry().EntityByName("TDictField"), *queryPanel);
    controls::TQueryControlList& list = *form->queryControls();
    using Q = controls::TQuSubType;
    const std::vector<std::pair<const char*, Q>> expected = {
        {"Code", Q::stQuSafeEdit},
        {"HappenDate", Q::stQuDateTimePicker},
        {"TStockOutTypeID", Q::stQuVelCombobox},
        {"TOrganID", Q::stQuVelCombobox},
        {"TWarehouseID", Q::stQuVelCombobox},
        {"TEmployeeID", Q::stQuVelCombobox},
        {"StatusTStockOutID", Q::stQuVelCombobox}};
    EXPECT_EQ(list.Count(), static_cast<int>(expected.size()));
    for (auto [code, sub] : expected) {
        ASSERT_TRUE(list.HasControl(code)) << code;
        EXPECT_EQ(list.ControlByName(code).SubType(), sub) << code;
    }
    EXPECT_EQ(list.ControlByName("Code").OpChar(), controls::TOpChar::opLike);
    EXPECT_EQ(list.ControlByName("TOrganID").OpChar(), controls::TOpChar::opEqual);

    form->LayoutQueryPanel(*queryPanel, list);
    int lowest = 0;
    for (int i = 0; i < list.Count(); ++i) {
        controls::TQueryControl* control = list.Items(i);
        EXPECT_EQ(control->y() % 30, 0);
        EXPECT_GE(control->y(), 30);
        lowest = std::max(lowest, control->y());
        // No control reaches into the next one of its row, and none leaves the panel.
        for (int j = 0; j < list.Count(); ++j) {
            controls::TQueryControl* other = list.Items(j);
            if (other == control || other->y() != control->y() || other->x() <= control->x())
                continue;
            EXPECT_LE(control->x() + control->width() + 3 + control->CheckLength(), other->x())
                << i << " " << j;
        }
        EXPECT_LE(control->x() + control->width() + 3 + control->CheckLength(),
                  queryPanel->width());
    }
    EXPECT_EQ(queryPanel->height(), lowest + 40);
}

TEST_F(AppFormTest, LookupListsComeFromTheCachedTables)
{
    auto form = open("TStockOut");
    form->BuildInputControls(form->registry().EntityByName("TDictField"), *entryPanel);
    auto box = [&](const char* code) {
        return qobject_cast<controls::TVelComboBox*>(
            form->inputControls()->ControlByName(code).Editor());
    };
    auto paramsOwner = cached("TOtherParam");
    TCustomEntity& params = *paramsOwner;
    params.FilterEqual("Type", "TStockOutTypeID");
    EXPECT_EQ(box("TStockOutTypeID")->ItemCount(), params.RecordCount());
    EXPECT_GT(params.RecordCount(), 0);
    EXPECT_EQ(box("TWarehouseID")->ItemCount(), cached("TWarehouse")->RecordCount());

    // Customers only: the organisations whose role is the parameter of DispOrder 4.
    params.ClearFilter();
    params.FilterEqual("Type", "TOrganTypeID");
    ASSERT_TRUE(params.Locate("DispOrder", Variant(4)));
    const std::string customer = params.FieldByName("ObjID").AsString();
    auto rolesOwner = cached("TOrganRole");
    TCustomEntity& roles = *rolesOwner;
    std::set<std::string> customers;
    for (roles.First(); !roles.Eof(); roles.Next())
        if (roles.FieldByName("TOrganTypeID").AsString() == customer)
            customers.insert(roles.FieldByName("TOrganID").AsString());
    controls::TVelComboBox& organs = *box("TOrganID");
    ASSERT_EQ(organs.ItemCount(), static_cast<int>(customers.size()));
    EXPECT_GT(organs.ItemCount(), 0);
    for (int i = 0; i < organs.ItemCount(); ++i) {
        controls::TItemField item;
        organs.GetItem(i, item);
        EXPECT_TRUE(customers.count(item.InnerCode.toStdString())) << i;
    }
    EXPECT_LT(organs.ItemCount(), cached("TOrgan")->RecordCount());
}

TEST_F(AppFormTest, BothPanelsOfADocumentTableAsAPicture)
{
    auto form = open("TStockOut");
    form->SetFormTitle("出库单");
    buildPanels(*form);
    queryPanel->move(0, entryPanel->height() + 10);
    const QImage picture = form->grab().toImage();
    ASSERT_FALSE(picture.isNull());
    QDir().mkpath(QStringLiteral(CORVO_SCREENSHOT_DIR));
    EXPECT_TRUE(picture.save(QStringLiteral(CORVO_SCREENSHOT_DIR "/app-form-TStockOut.png")));
    // The title band carries the title in white on its blue.
    EXPECT_TRUE(form->pnlTitle().isVisible());
    EXPECT_EQ(utf8(form->lblTitle().text()), "出库单");
    EXPECT_EQ(picture.pixelColor(form->pnlTitle().width() - 3, 3), QColor(114, 155, 250));
    form->SetFormTitle("");
    EXPECT_FALSE(form->pnlTitle().isVisible());
}

} // namespace
} // namespace corvo::forms::test
