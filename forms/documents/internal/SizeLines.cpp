#include "SizeLines.h"

#include "EntryForms.h"
#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "controls/TVelComboBox.h"
#include "controls/skin/TQVButton.h"
#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "forms/framework/TFrmQuery.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "remote/AppServers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <optional>

namespace corvo::forms::internal {

bool hasProduct(TClientDataSet& lines)
{
    return lines.Active() && !lines.IsEmpty() && lines.FindField("TProductID") &&
           !gbk::trim(lines.FieldByName("TProductID").AsString()).empty();
}

bool isSizeField(const std::string& field)
{
    return field.size() > 4 && gbk::startsWithIgnoreCase(field, "Size");
}

QPushButton* addSumButton(QWidget& band, QPushButton& detailAdd, QPushButton& detailDel)
{
    QPushButton* sum = makeButton(&band, "mbtSum", "重新计算");
    if (auto* row = qobject_cast<QHBoxLayout*>(band.layout()))
        row->insertWidget(row->indexOf(&detailDel) + 1, sum);
    QWidget::setTabOrder(&detailAdd, sum);
    QWidget::setTabOrder(sum, &detailDel);
    return sum;
}
namespace {

controls::TInputControl* inputOf(TFrmApp& form, std::string_view name)
{
    controls::TInputControlList* list = form.inputControls();
    return list && list->HasControl(name) ? &list->ControlByName(name) : nullptr;
}

void setIfPresent(TClientDataSet& rows, const char* field, const std::string& value)
{
    if (rows.FindField(field)) SetFieldString(rows, field, value);
}

void setNumberIfPresent(TClientDataSet& rows, const char* field, double value)
{
    if (rows.FindField(field)) SetFieldFloat(rows, field, value);
}

std::string number(double value)
{
    Variant v(value);
    return v.toText();
}

} // namespace

Variant StockedProducts(TFrmQuery& form, const std::string& warehouseId)
{
    TParamData& packet = form.submitPacket();
    packet.EmptyDataSet();
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    if (!packet.ParamExists(param::TOwnerID))
        packet.SetParamValue(param::TOwnerID, Variant(form.owner()));
    TCustomEntityList& registry = form.registry();
    registry.SelectTableFields("TProduct");
    TSQLAdder clauses;
    clauses.BuildQuery(&registry.EntityByName(param::TDictField), "AllPage", "", "");
    clauses.AddClause("where", "(TProduct.ObjID in (select TProductID from TStock where "
                               "TWarehouseID = " +
                                   QuotedFilterValue(warehouseId) + "))");
    packet.SetParamData(param::TMaster, clauses.Data());
    registry.SelectMasterFields();
    Variant products;
    if (form.CallAppServer(remote::appserver::Query, remote::appserver::query::SingleTable) &&
        packet.ParamExists(param::TMaster))
        products = packet.GetParamData(param::TMaster);
    packet.EmptyDataSet();
    return products;
}

std::string ChosenWarehouse(TFrmApp& form)
{
    controls::TInputControlList* list = form.inputControls();
    if (!list) throw Error("控件对象列表中不存在控件[TWarehouseID]，请检查！");
    controls::TInputControl& control = list->ControlByName("TWarehouseID");
    if (auto* box = dynamic_cast<controls::TVelComboBox*>(control.Editor()))
        return platform::toGbk(box->InnerCode());
    return control.Text().toText();
}

void AddProductLine(TCustomEntity& lines, TClientDataSet& product, PriceRule rule,
                    const std::string* parentId)
{
    AppendNewRecord(lines);
    lines.AssignRecord(product);
    AssignNewObjID(lines);
    if (parentId) setIfPresent(lines, "ParentID", *parentId);
    setIfPresent(lines, "TProductID", GetObjID(product));
    setIfPresent(lines, "TProductCode", product.FindField("Code") ? GetCode(product) : "");
    setIfPresent(lines, "TProductName", product.FindField("Name") ? GetName(product) : "");
    const auto field = [&](const char* name) {
        TField* f = product.FindField(name);
        return f && !f->IsNull() ? f->AsFloat() : 0.0;
    };
    double price = 0, cost = 0;
    if (rule == PriceRule::Sale) {
        price = field("UnitPrice");
        cost = field("InPrice");
        setNumberIfPresent(lines, "Quantity", 1);
    } else if (rule == PriceRule::Purchase) {
        price = field("InPrice");
    }
    setNumberIfPresent(lines, "UnitPrice", price);
    setNumberIfPresent(lines, "InPrice", cost);
}

SizeTotals ShownTotals(TFrmApp& form)
{
    const auto read = [&](const char* name) {
        controls::TInputControl* control = inputOf(form, name);
        if (!control) return 0.0;
        const std::string text(gbk::trim(control->Text().toText()));
        return text.empty() ? 0.0 : std::strtod(text.c_str(), nullptr);
    };
    return {read("TotalQuantity"), read("TotalAmount"), read("TotalProfit")};
}

void ShowTotals(TFrmApp& form, const SizeTotals& totals)
{
    const auto write = [&](const char* name, double value) {
        if (controls::TInputControl* control = inputOf(form, name))
            control->SetText(Variant(number(value)));
    };
    write("TotalQuantity", totals.quantity);
    write("TotalAmount", totals.amount);
    write("TotalProfit", totals.profit);
}

void MakeTotalsReadOnly(TFrmApp& form)
{
    for (const char* name : {"TotalQuantity", "TotalAmount", "TotalProfit"})
        if (controls::TInputControl* control = inputOf(form, name))
            if (auto* edit = qobject_cast<QLineEdit*>(control->Editor())) edit->setReadOnly(true);
}

void WireSaleDiscount(TFrmApp& form, const std::function<void()>& changed,
                      const std::function<std::string()>& documentOrgan)
{
    controls::TInputControl* saleType = inputOf(form, "TSaleTypeID");
    controls::TInputControl* organ = inputOf(form, "TOrganID");
    controls::TInputControl* discount = inputOf(form, "SaleDiscount");
    if (!saleType || !discount) return;
    auto* typeBox = dynamic_cast<controls::TVelComboBox*>(saleType->Editor());
    auto* organBox = organ ? dynamic_cast<controls::TVelComboBox*>(organ->Editor()) : nullptr;
    if (!typeBox || (organ && !organBox) || (!organ && !documentOrgan)) return;
    const auto update = [&form, typeBox, organBox, discount, documentOrgan] {
        std::string value = "100";
        TCustomEntity& links = form.registry().EntityByName("TOrganLink");
        // Without its box the organisation is the document's own (a daily report's store).
        const std::string organId = organBox ? (organBox->text().trimmed().isEmpty()
                                                    ? std::string()
                                                    : platform::toGbk(organBox->InnerCode()))
                                             : documentOrgan();
        if (!typeBox->text().trimmed().isEmpty() && links.Active() && !organId.empty()) {
            links.ClearFilter();
            const std::string field = "Discount" + platform::toGbk(typeBox->Ime1Text());
            // A partner without a link row, or a sale type without its column, sells at 100.
            if (links.Locate("TOrganID", Variant(organId)) && links.FindField(field) &&
                !links.FieldByName(field).IsNull())
                value = links.FieldByName(field).AsString();
        }
        discount->SetText(Variant(value));
    };
    QObject::connect(typeBox, &QLineEdit::textChanged, &form, update);
    if (organBox) QObject::connect(organBox, &QLineEdit::textChanged, &form, update);
    if (auto* edit = qobject_cast<QLineEdit*>(discount->Editor()))
        QObject::connect(edit, &QLineEdit::textChanged, &form, [changed] { changed(); });
}

void CheckLines(TCustomEntity& lines)
{
    if (!lines.Active()) return;
    const auto zero = [&](const char* name) {
        TField* f = lines.FindField(name);
        return f && (f->IsNull() || f->AsFloat() == 0);
    };
    for (lines.First(); !lines.Eof(); lines.Next()) {
        const std::string code = lines.FindField("TProductCode")
                                     ? gbk::display(GetFieldString(lines, "TProductCode"))
                                     : std::string();
        if (zero("Quantity")) throw Error("请输入商品“" + code + "”的数量");
        if (zero("UnitPrice")) throw Error("请输入商品“" + code + "”的价格");
    }
}

std::string ColumnField(platform::DataGrid& grid, int column)
{
    return grid.gridModel().fieldName(column);
}

int ColumnOf(platform::DataGrid& grid, std::string_view field)
{
    const int columns = grid.gridModel().columnCount();
    for (int c = 0; c < columns; ++c)
        if (gbk::equalsIgnoreCase(grid.gridModel().fieldName(c), field)) return c;
    return -1;
}

// ---------------------------------------------------------------------------------------

DetailWalk::DetailWalk(platform::DataGrid& grid, TClientDataSet& lines,
                       std::function<bool()> active, std::function<void()> priced)
    : QObject(&grid), m_grid(grid), m_lines(lines), m_active(std::move(active)),
      m_priced(std::move(priced))
{
    connect(grid.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) entered(current.row(), current.column());
            });
}

void DetailWalk::SelectQuantity()
{
    const int column = ColumnOf(m_grid, "Quantity");
    const int row = m_grid.gridModel().currentRow();
    if (column >= 0 && row >= 0) m_grid.setCurrentIndex(m_grid.model()->index(row, column));
}

void DetailWalk::entered(int row, int column)
{
    if (m_walking || !m_active() || !m_lines.Active() || m_lines.IsEmpty()) return;
    m_walking = true;
    const struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_walking};
    const std::string field = ColumnField(m_grid, column);
    const int quantity = ColumnOf(m_grid, "Quantity");
    if (!m_lines.FindField("TProductID") ||
        gbk::trim(m_lines.FieldByName("TProductID").AsString()).empty()) {
        if (quantity >= 0 && column != quantity)
            m_grid.setCurrentIndex(m_grid.model()->index(row, quantity));
        return;
    }
    if (gbk::equalsIgnoreCase(field, "Quantity") || gbk::equalsIgnoreCase(field, "UnitPrice")) {
        m_priced();
        return;
    }
    // Passed over: on to the next column, or from the last to the next line's second; the
    // column entered then decides again.
    const int columns = m_grid.model()->columnCount();
    int r = row, c = column + 1;
    if (c >= columns) {
        if (row + 1 >= m_grid.model()->rowCount()) return;
        r = row + 1;
        c = 1;
    }
    m_walking = false;
    m_grid.setCurrentIndex(m_grid.model()->index(r, c));
}

// ---------------------------------------------------------------------------------------

TFrmSizeEntry::TFrmSizeEntry(QWidget* parent, TClientDataSet& lines,
                             const std::array<std::string, SizeCount>& titles)
    : QDialog(parent), m_lines(lines)
{
    setObjectName(QStringLiteral("FrmSizeEntry"));
    const std::string product =
        lines.FindField("TProductName") ? GetFieldString(lines, "TProductName") : "";
    setWindowTitle(QStringLiteral("尺码录入 ") + platform::fromGbk(product));
    auto* layout = new QVBoxLayout(this);
    m_cells = new QTableWidget(1, 0, this);
    m_cells->setObjectName(QStringLiteral("grdSizes"));
    m_cells->verticalHeader()->hide();
    m_cells->setEditTriggers(QAbstractItemView::AllEditTriggers);
    QStringList headers;
    int column = 0;
    for (int n = 1; n <= SizeCount; ++n) {
        const std::string& title = titles[static_cast<std::size_t>(n - 1)];
        if (title.empty() || !lines.FindField(SizeFieldName(n))) continue;
        m_cells->insertColumn(column);
        headers << platform::fromGbk(title);
        TField& field = lines.FieldByName(SizeFieldName(n));
        m_cells->setItem(
            0, column,
            new QTableWidgetItem(field.IsNull() ? QString() : platform::fromGbk(field.AsString())));
        m_sizeOfColumn[static_cast<std::size_t>(column)] = n;
        m_cells->setColumnWidth(column, 44);
        ++column;
    }
    m_cells->setHorizontalHeaderLabels(headers);
    m_cells->setFixedHeight(m_cells->horizontalHeader()->height() + m_cells->rowHeight(0) + 4);
    layout->addWidget(m_cells);
    auto* ok = new skin::TQVButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("mbtOK"));
    layout->addWidget(ok, 0, Qt::AlignRight);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    resize(std::max(column * 46 + 24, 240), 110);
    if (column > 0) m_cells->setCurrentCell(0, 0);
}

bool TFrmSizeEntry::WriteBack()
{
    if (!m_lines.Active() || m_lines.IsEmpty()) return false;
    bool changed = false;
    m_lines.Edit();
    for (int c = 0; c < m_cells->columnCount(); ++c) {
        QTableWidgetItem* item = m_cells->item(0, c);
        const QString text = item ? item->text().trimmed() : QString();
        bool ok = false;
        const long value = text.toLong(&ok);
        TField& field =
            m_lines.FieldByName(SizeFieldName(m_sizeOfColumn[static_cast<std::size_t>(c)]));
        if (text.isEmpty() || !ok || value < 0) {
            if (!field.IsNull()) field.Clear(), changed = true;
            continue;
        }
        if (field.IsNull() || field.AsInteger() != value) field.SetAsInteger(value), changed = true;
    }
    m_lines.Post();
    if (const std::optional<double> sum = SizeSum(m_lines); sum && m_lines.FindField("Quantity")) {
        if (m_lines.FieldByName("Quantity").AsFloat() != *sum) changed = true;
        SetFieldFloat(m_lines, "Quantity", *sum);
    }
    return changed;
}

bool EnterLineSizes(QWidget* parent, TClientDataSet& lines,
                    const std::array<std::string, SizeCount>& titles)
{
    if (!lines.Active() || lines.IsEmpty() || !lines.FindField("TProductID") ||
        gbk::trim(lines.FieldByName("TProductID").AsString()).empty())
        return false;
    bool any = false;
    for (const std::string& t : titles)
        any = any || !t.empty();
    if (!any) return false;
    TFrmSizeEntry entry(parent, lines, titles);
    if (platform::execModal(entry) != QDialog::Accepted) return false;
    return entry.WriteBack();
}

} // namespace corvo::forms::internal
