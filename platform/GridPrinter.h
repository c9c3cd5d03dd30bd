#pragma once

#include "PrintPages.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <vector>

class QAbstractItemModel;
class QDateTime;
class QPagedPaintDevice;
class QPaintDevice;
class QWidget;

namespace corvo::platform {

class DataGrid;

/// How the printed columns fill the page width (see fitToPage).
enum class PrintFit {
    /// From the columns' own widths; one line a row, longer texts cut.
    ColumnWidths,
    /// From each column's widest text; rows as tall as their wrapped texts.
    ContentWidths,
};

/// The layout a print is given: page header and footer, fonts, fitting, the text before.
struct PrintSetup {
    QString title;        ///< centred in the page header of every page
    QString footerLeft;   ///< the page footer's three texts, with the page macros
    QString footerCentre; ///< (see replacePageMacros)
    QString footerRight;
    QString textBefore; ///< before the grid on the first page; spaces and line breaks kept
    QFont titleFont;
    QFont bodyFont; ///< column titles, cells, column footers, the page footer, the text before
    bool doubleLines = false; ///< under the page header and above the page footer
    PrintFit fit = PrintFit::ColumnWidths;
};

/// The grid as printed: its columns in order and the cell texts, taken once.
struct PrintTable {
    struct Column {
        QString title; ///< "\n" between title lines
        int width = 0; ///< the grid's width, in pixels at widthDpi
        Qt::Alignment alignment = Qt::AlignLeft;
        QString footer;
    };
    std::vector<Column> columns;
    std::vector<QString> cells; ///< row after row
    int widthDpi = 96;          ///< of the columns' widths

    int rowCount() const;
    bool hasFooters() const;

    /// Every column of a model with the given widths at 96 dpi (a missing width counts as 0).
    static PrintTable fromModel(const QAbstractItemModel& model, const std::vector<int>& widths);
    /// A grid's shown columns in their shown order, with their widths.
    static PrintTable fromGrid(const DataGrid& grid);
};

/// Where the table goes on the pages of one device, in device pixels.
struct PrintGeometry {
    std::vector<int> columnWidths; ///< together the page's width
    int titleRowHeight = 0;        ///< the column titles, repeated on every page
    std::vector<int> rowHeights;   ///< the rows, then the column footers when there are any
    int textBeforeHeight = 0;
    std::vector<PageRows> pages;
    /// The width of each cell's text (with a point to spare), row after row.
    std::vector<int> cellAdvances;
    /// With content widths: how each cell breaks, row after row (Qt text flags; 0: one line).
    std::vector<int> cellWraps;
};

/// The print engine: a table laid out as PrintSetup says, paginated over as many pages as
/// it needs, painted onto a printer, a PDF or the print preview. Chinese needs a font that
/// has it: see printFont.
class GridPrinter {
public:
    GridPrinter(PrintTable table, PrintSetup setup);

    PrintGeometry measure(const QPaintDevice& device) const;
    /// Paints every page onto the device (whose page layout is kept); the page macros take
    /// `printedAt`. Returns the number of pages.
    int print(QPagedPaintDevice& device, const QDateTime& printedAt) const;
    /// A4 portrait PDF; the number of pages, 0 when the file cannot be written.
    int printToPdf(const QString& path, const QDateTime& printedAt) const;
    /// The print preview (through execModal), from which the user prints or saves a PDF;
    /// the dialog's result.
    int preview(QWidget* parent = nullptr) const;

    const PrintTable& table() const noexcept { return m_table; }
    const PrintSetup& setup() const noexcept { return m_setup; }

private:
    PrintTable m_table;
    PrintSetup m_setup;
};

/// A print font: the families asked for, then the installed Chinese fonts
/// (chineseFontFamilies), so that no Chinese text prints as empty boxes.
QFont printFont(const QStringList& families, int points, bool bold = false);

} // namespace corvo::platform
