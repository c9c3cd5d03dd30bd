// Grid operations of the application form.
#include "TFrmApp.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/GridSizing.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/QtText.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>

namespace corvo::forms {
namespace {

enum class Rows { First, All };

// Lets the dataset repaint its controls again on every way out.
class ControlsHeld {
public:
    explicit ControlsHeld(TClientDataSet& ds) : m_ds(ds) { m_ds.DisableControls(); }
    ~ControlsHeld() { m_ds.EnableControls(); }
    ControlsHeld(const ControlsHeld&) = delete;
    ControlsHeld& operator=(const ControlsHeld&) = delete;

private:
    TClientDataSet& m_ds;
};

int widestLine(const QFontMetrics& metrics, const std::string& caption, bool multiLine)
{
    if (!multiLine) return metrics.horizontalAdvance(platform::fromGbk(caption));
    int widest = 0;
    for (std::string_view line : titleLines(caption))
        widest = std::max(widest, metrics.horizontalAdvance(platform::fromGbk(line)));
    return widest;
}

void sizeColumns(platform::DataGrid& grid, TCustomEntity& copy, Rows rows)
{
    TClientDataSet* shown = grid.dataSet();
    if (!shown || !shown->Active()) return;
    ControlsHeld held(*shown);
    grid.dropColumns();
    const platform::DataGridModel& model = grid.gridModel();
    const int count = model.columnCount();
    if (count < 4 && grid.width() > 300) return;
    copy.CopyFrom(*shown);
    const QFontMetrics metrics(grid.font());
    std::vector<ColumnTexts> texts;
    for (int c = 0; c < count; ++c) {
        TField& field = copy.FieldByName(model.fieldName(c));
        ColumnTexts t;
        // Captions are the shown dataset's: a copy carries values only.
        t.title = widestLine(metrics, shown->FieldByName(model.fieldName(c)).DisplayLabel(),
                             rows == Rows::All);
        copy.First();
        for (; !copy.Eof(); copy.Next()) {
            t.values.push_back(metrics.horizontalAdvance(platform::fromGbk(field.AsString())));
            if (rows == Rows::First) break;
        }
        if (rows == Rows::First && t.values.empty()) t.values.push_back(0);
        texts.push_back(std::move(t));
    }
    const auto widths = rows == Rows::All ? sizeGridColumnsAllRows(grid.width(), texts)
                                          : sizeGridColumns(grid.width(), texts);
    if (!widths) return;
    for (int c = 0; c < count; ++c)
        grid.setColumnWidth(c, (*widths)[static_cast<std::size_t>(c)]);
}

} // namespace

void TFrmApp::SizeGridColumns(platform::DataGrid& grid)
{
    sizeColumns(grid, registry().EntityByName("TDbgTemp"), Rows::First);
}

void TFrmApp::SizeGridColumnsAllRows(platform::DataGrid& grid)
{
    sizeColumns(grid, registry().EntityByName("TDbgTemp"), Rows::All);
}

void TFrmApp::StripeGrid(platform::DataGrid& grid)
{
    grid.setStripeColor(QColor(238, 232, 170)); // 11200750
    grid.setStriped(true);
}

bool TFrmApp::WrapGridKeys(int key, platform::DataGrid& grid)
{
    TClientDataSet* ds = grid.dataSet();
    if (!ds || !ds->Active() || ds->IsEmpty()) return false;
    if (key == Qt::Key_Down && ds->RecNo() == ds->RecordCount()) {
        ds->First();
        return true;
    }
    if (key == Qt::Key_Up && ds->RecNo() == 1) {
        ds->Last();
        return true;
    }
    return false;
}

void TFrmApp::InstallGridKeyWrap(platform::DataGrid& grid)
{
    grid.installEventFilter(this);
}

void TFrmApp::CopySelectedRows(platform::DataGrid& grid, TCustomEntity& entity)
{
    TClientDataSet* ds = grid.dataSet();
    if (!ds || !ds->Active() || ds->IsEmpty()) return;
    const std::vector<Bookmark> marked = grid.markedRows();
    if (marked.empty()) {
        entity.UpsertRecord(*ds);
        return;
    }
    const Bookmark current = ds->GetBookmark();
    {
        ControlsHeld held(*ds);
        for (const Bookmark& row : marked) {
            ds->GotoBookmark(row);
            entity.UpsertRecord(*ds);
        }
        if (ds->BookmarkValid(current)) ds->GotoBookmark(current);
    }
}

} // namespace corvo::forms
