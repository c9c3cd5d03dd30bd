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

int widestLine(const QFontMetrics& metrics, const std::string& caption, bool multiLine)
{
    if (!multiLine) return metrics.horizontalAdvance(platform::fromGbk(caption));
    int widest = 0;
    for (std::string_view line : titleLines(caption))
        widest = std::max(widest, metrics.horizontalAdvance(platform::fromGbk(line)));
    return widest;
}

// The values are read where the grid's dataset holds them, by position and without moving its
// cursor: copying a large result only to measure it would cost more than the sizing.
void sizeColumns(platform::DataGrid& grid, Rows rows)
{
    TClientDataSet* shown = grid.dataSet();
    if (!shown || !shown->Active()) return;
    const ControlsDisabled held(*shown);
    grid.dropColumns();
    const platform::DataGridModel& model = grid.gridModel();
    const int count = model.columnCount();
    if (count < 4 && grid.width() > 300) return;
    const QFontMetrics metrics(grid.font());
    const int rowCount =
        rows == Rows::All ? shown->RecordCount() : std::min(1, shown->RecordCount());
    std::vector<ColumnTexts> texts;
    texts.reserve(static_cast<std::size_t>(count));
    for (int c = 0; c < count; ++c) {
        const TField& field = shown->FieldByName(model.fieldName(c));
        ColumnTexts t;
        t.title = widestLine(metrics, field.DisplayLabel(), rows == Rows::All);
        t.values.reserve(static_cast<std::size_t>(rowCount));
        for (int r = 0; r < rowCount; ++r)
            t.values.push_back(
                metrics.horizontalAdvance(platform::fromGbk(shown->TextAt(r, field.Index()))));
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
    sizeColumns(grid, Rows::First);
}

void TFrmApp::SizeGridColumnsAllRows(platform::DataGrid& grid)
{
    sizeColumns(grid, Rows::All);
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
        const ControlsDisabled held(*ds);
        for (const Bookmark& row : marked) {
            ds->GotoBookmark(row);
            entity.UpsertRecord(*ds);
        }
        if (ds->BookmarkValid(current)) ds->GotoBookmark(current);
    }
}

} // namespace corvo::forms
