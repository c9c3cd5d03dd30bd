#include "GridPrinter.h"

#include "DataGrid.h"
#include "Desktop.h"
#include "Modal.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>

namespace corvo::platform {

namespace {

/// Lengths in points, turned into device pixels.
struct Scale {
    double pixelsPerPoint;
    int operator()(double points) const { return static_cast<int>(points * pixelsPerPoint); }
};

constexpr double CellPadX = 3;
constexpr double CellPadY = 2;
constexpr double HeaderGap = 6;
constexpr double LineGap = 1.5;
constexpr double GridPen = 0.5;
constexpr double RulePen = 0.8;
constexpr int Unbounded = 1 << 24;

const QPageLayout& a4Layout()
{
    static const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    return layout;
}

/// The bands of one page: the page header, the body and the page footer.
struct Bands {
    int width = 0;
    int height = 0;
    int titleHeight = 0;
    int headerRules = -1; ///< y of the first rule under the header; -1: none
    int bodyTop = 0;
    int bodyBottom = 0;
    int footerRules = -1; ///< y of the first rule above the footer
    int footerTop = 0;
};

Bands bandsOf(const QPaintDevice& device, const PrintSetup& setup)
{
    const Scale pt{device.logicalDpiY() / 72.0};
    Bands b;
    b.width = device.width();
    b.height = device.height();
    b.titleHeight = QFontMetrics(setup.titleFont, &device).height();
    b.bodyTop = b.titleHeight + pt(HeaderGap);
    const int footerHeight = QFontMetrics(setup.bodyFont, &device).height();
    b.footerTop = b.height - footerHeight;
    b.bodyBottom = b.footerTop - pt(HeaderGap);
    if (setup.doubleLines) {
        b.headerRules = b.bodyTop - pt(HeaderGap / 2);
        b.bodyTop = b.headerRules + pt(LineGap) + pt(HeaderGap);
        b.footerRules = b.footerTop - pt(HeaderGap / 2) - pt(LineGap);
        b.bodyBottom = b.footerRules - pt(HeaderGap);
    }
    return b;
}

constexpr int TextBeforeWrap = Qt::TextWordWrap;

/// Cells break between words, and inside a word only when it is wider than its column, so
/// that no text runs out of its cell.
int cellWrap(const QFontMetrics& metrics, int width, const QString& text)
{
    const QRect words =
        metrics.boundingRect(QRect(0, 0, std::max(width, 1), Unbounded), Qt::TextWordWrap, text);
    return words.width() <= width ? Qt::TextWordWrap : Qt::TextWordWrap | Qt::TextWrapAnywhere;
}

int wrappedHeight(const QFontMetrics& metrics, int width, const QString& text, int flags)
{
    if (text.isEmpty()) return metrics.height();
    return metrics.boundingRect(QRect(0, 0, std::max(width, 1), Unbounded), flags, text).height();
}

int cellHeight(const QFontMetrics& metrics, int width, const QString& text)
{
    if (text.isEmpty()) return metrics.height();
    return wrappedHeight(metrics, width, text, cellWrap(metrics, width, text));
}

int widestLine(const QFontMetrics& metrics, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

} // namespace

// ---------------------------------------------------------------------------------------
// The table

int PrintTable::rowCount() const
{
    return columns.empty() ? 0 : static_cast<int>(cells.size() / columns.size());
}

bool PrintTable::hasFooters() const
{
    return std::any_of(columns.begin(), columns.end(),
                       [](const Column& c) { return !c.footer.isEmpty(); });
}

PrintTable PrintTable::fromModel(const QAbstractItemModel& model, const std::vector<int>& widths)
{
    PrintTable table;
    const int columns = model.columnCount();
    const int rows = model.rowCount();
    for (int c = 0; c < columns; ++c) {
        Column column;
        column.title = model.headerData(c, Qt::Horizontal).toString();
        column.width =
            static_cast<std::size_t>(c) < widths.size() ? widths[static_cast<std::size_t>(c)] : 0;
        if (rows > 0)
            column.alignment =
                Qt::Alignment(model.data(model.index(0, c), Qt::TextAlignmentRole).toInt() &
                              Qt::AlignHorizontal_Mask);
        if (!column.alignment) column.alignment = Qt::AlignLeft;
        table.columns.push_back(std::move(column));
    }
    table.cells.reserve(static_cast<std::size_t>(rows) * table.columns.size());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            table.cells.push_back(model.data(model.index(r, c)).toString());
    return table;
}

PrintTable PrintTable::fromGrid(const DataGrid& grid)
{
    const QAbstractItemModel& model = *grid.model();
    const QHeaderView& header = *grid.horizontalHeader();
    std::vector<int> shown;
    for (int visual = 0; visual < header.count(); ++visual) {
        const int logical = header.logicalIndex(visual);
        if (logical >= 0 && !grid.isColumnHidden(logical)) shown.push_back(logical);
    }
    PrintTable all = fromModel(model, {});
    PrintTable table;
    table.widthDpi = grid.logicalDpiX();
    const std::size_t width = all.columns.size();
    for (int c : shown) {
        table.columns.push_back(all.columns[static_cast<std::size_t>(c)]);
        table.columns.back().width = grid.columnWidth(c);
    }
    const int rows = all.rowCount();
    table.cells.reserve(static_cast<std::size_t>(rows) * shown.size());
    for (int r = 0; r < rows; ++r)
        for (int c : shown)
            table.cells.push_back(std::move(
                all.cells[static_cast<std::size_t>(r) * width + static_cast<std::size_t>(c)]));
    return table;
}

// ---------------------------------------------------------------------------------------
// Measuring

GridPrinter::GridPrinter(PrintTable table, PrintSetup setup)
    : m_table(std::move(table)), m_setup(std::move(setup))
{
}

PrintGeometry GridPrinter::measure(const QPaintDevice& device) const
{
    const Scale pt{device.logicalDpiY() / 72.0};
    const QFontMetrics metrics(m_setup.bodyFont, &device);
    const Bands bands = bandsOf(device, m_setup);
    const int padX = pt(CellPadX);
    const int padY = pt(CellPadY);
    const auto columns = m_table.columns.size();
    const int rows = m_table.rowCount();
    const bool content = m_setup.fit == PrintFit::ContentWidths;

    PrintGeometry g;
    // Each cell's text measured once; a point to spare, as the layout of a text may be a
    // little wider than its advance.
    const int spare = pt(1);
    g.cellAdvances.reserve(m_table.cells.size());
    for (const QString& text : m_table.cells)
        g.cellAdvances.push_back(metrics.horizontalAdvance(text) + spare);
    const double fromGrid = device.logicalDpiX() / static_cast<double>(m_table.widthDpi);
    std::vector<int> widths(columns);
    std::vector<int> needed(columns);
    for (std::size_t c = 0; c < columns; ++c) {
        const PrintTable::Column& column = m_table.columns[c];
        int widest =
            std::max(widestLine(metrics, column.title), metrics.horizontalAdvance(column.footer)) +
            spare;
        for (int r = 0; r < rows; ++r)
            widest = std::max(widest, g.cellAdvances[static_cast<std::size_t>(r) * columns + c]);
        needed[c] = widest + 2 * padX;
        widths[c] = content ? needed[c] : static_cast<int>(column.width * fromGrid);
    }
    g.columnWidths = fitToPage(widths, needed, bands.width);

    const int line = metrics.height();
    const int oneLine = line + 2 * padY;
    int titleLines = 1;
    for (const PrintTable::Column& column : m_table.columns)
        titleLines =
            std::max(titleLines, static_cast<int>(column.title.count(QLatin1Char('\n'))) + 1);
    g.titleRowHeight = titleLines * line + 2 * padY;
    const bool footers = m_table.hasFooters();
    g.rowHeights.assign(static_cast<std::size_t>(rows) + (footers ? 1 : 0), oneLine);
    if (content) {
        auto tallest = [&](auto textOf) {
            int h = line;
            for (std::size_t c = 0; c < columns; ++c)
                h = std::max(h, cellHeight(metrics, g.columnWidths[c] - 2 * padX, textOf(c)));
            return h + 2 * padY;
        };
        g.titleRowHeight = tallest([&](std::size_t c) { return m_table.columns[c].title; });
        g.cellWraps.assign(m_table.cells.size(), 0);
        for (int r = 0; r < rows; ++r) {
            int h = line;
            for (std::size_t c = 0; c < columns; ++c) {
                const std::size_t i = static_cast<std::size_t>(r) * columns + c;
                const int width = g.columnWidths[c] - 2 * padX;
                if (g.cellAdvances[i] <= width) continue;
                const QString& text = m_table.cells[i];
                g.cellWraps[i] = cellWrap(metrics, width, text);
                h = std::max(h, wrappedHeight(metrics, width, text, g.cellWraps[i]));
            }
            g.rowHeights[static_cast<std::size_t>(r)] = h + 2 * padY;
        }
        if (footers)
            g.rowHeights.back() = tallest([&](std::size_t c) { return m_table.columns[c].footer; });
    }

    if (!m_setup.textBefore.isEmpty())
        g.textBeforeHeight =
            wrappedHeight(metrics, bands.width, m_setup.textBefore, TextBeforeWrap) + pt(HeaderGap);
    const int room = bands.bodyBottom - bands.bodyTop - g.titleRowHeight;
    g.pages = paginateRows(g.rowHeights, room - g.textBeforeHeight, room);
    return g;
}

// ---------------------------------------------------------------------------------------
// Painting

int GridPrinter::print(QPagedPaintDevice& device, const QDateTime& printedAt) const
{
    const PrintGeometry g = measure(device);
    const Bands bands = bandsOf(device, m_setup);
    const Scale pt{device.logicalDpiY() / 72.0};
    const int padX = pt(CellPadX);
    const auto columns = m_table.columns.size();
    const int rows = m_table.rowCount();
    const int pages = static_cast<int>(g.pages.size());
    const bool content = m_setup.fit == PrintFit::ContentWidths;
    // A title wider than the page (a partner's long name and a period) prints smaller, with a
    // little room at each side, rather than cut at both edges.
    QFont titleFont = m_setup.titleFont;
    const int titleWidth = QFontMetrics(titleFont, &device).horizontalAdvance(m_setup.title);
    if (titleWidth > bands.width) {
        const double shrink = 0.95 * bands.width / titleWidth;
        if (titleFont.pointSizeF() > 0)
            titleFont.setPointSizeF(titleFont.pointSizeF() * shrink);
        else
            titleFont.setPixelSize(std::max(1, static_cast<int>(titleFont.pixelSize() * shrink)));
    }

    std::vector<int> left(columns + 1, 0);
    for (std::size_t c = 0; c < columns; ++c)
        left[c + 1] = left[c] + g.columnWidths[c];
    const int tableWidth = left.back();

    QPainter painter;
    if (!painter.begin(&device)) return 0;
    const QPen gridPen(Qt::black, pt(GridPen));
    const QPen rulePen(Qt::black, pt(RulePen));
    const QFontMetrics metrics(m_setup.bodyFont, &device);

    // index: the cell's place in the table, whose measures are known; -1 for titles and
    // footers, which are measured here.
    const int spare = pt(1);
    auto cell = [&](int x, int y, std::size_t c, int height, const QString& text,
                    Qt::Alignment alignment, std::ptrdiff_t index) {
        const QRect rect(x + padX, y, g.columnWidths[c] - 2 * padX, height);
        const auto i = static_cast<std::size_t>(index);
        if (content) {
            const int wrap = index >= 0 ? g.cellWraps[i] : cellWrap(metrics, rect.width(), text);
            painter.drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter) | wrap, text);
        } else if ((index >= 0 ? g.cellAdvances[i] - spare : metrics.horizontalAdvance(text)) >
                   rect.width()) {
            painter.drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter),
                             metrics.elidedText(text, Qt::ElideRight, rect.width()));
        } else {
            painter.drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter), text);
        }
    };
    auto rules = [&](int y) {
        painter.setPen(rulePen);
        painter.drawLine(0, y, bands.width, y);
        painter.drawLine(0, y + pt(LineGap), bands.width, y + pt(LineGap));
    };

    for (int p = 0; p < pages; ++p) {
        if (p > 0) device.newPage();
        const PageRows& page = g.pages[static_cast<std::size_t>(p)];

        painter.setFont(titleFont);
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, 0, bands.width, bands.titleHeight), Qt::AlignCenter,
                         m_setup.title);
        painter.setFont(m_setup.bodyFont);
        const int page1 = p + 1;
        const QRect footer(0, bands.footerTop, bands.width, bands.height - bands.footerTop);
        painter.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter,
                         replacePageMacros(m_setup.footerLeft, page1, pages, printedAt));
        painter.drawText(footer, Qt::AlignHCenter | Qt::AlignVCenter,
                         replacePageMacros(m_setup.footerCentre, page1, pages, printedAt));
        painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter,
                         replacePageMacros(m_setup.footerRight, page1, pages, printedAt));
        if (m_setup.doubleLines) {
            rules(bands.headerRules);
            rules(bands.footerRules);
        }

        int y = bands.bodyTop;
        painter.setPen(Qt::black);
        if (p == 0 && !m_setup.textBefore.isEmpty()) {
            painter.drawText(QRect(0, y, bands.width, g.textBeforeHeight),
                             Qt::AlignLeft | Qt::AlignTop | TextBeforeWrap, m_setup.textBefore);
            y += g.textBeforeHeight;
        }
        if (columns == 0) continue;

        const int top = y;
        std::vector<int> lines{y};
        for (std::size_t c = 0; c < columns; ++c)
            cell(left[c], y, c, g.titleRowHeight, m_table.columns[c].title, Qt::AlignHCenter, -1);
        y += g.titleRowHeight;
        lines.push_back(y);
        for (int r = page.first; r < page.first + page.count; ++r) {
            const int height = g.rowHeights[static_cast<std::size_t>(r)];
            const int shown = std::min(height, bands.bodyBottom - y);
            // Only a row taller than a page is cut, at the page's body.
            if (shown < height) painter.setClipRect(QRect(0, y, bands.width, shown));
            for (std::size_t c = 0; c < columns; ++c) {
                const PrintTable::Column& column = m_table.columns[c];
                const std::size_t i = static_cast<std::size_t>(r) * columns + c;
                if (r < rows)
                    cell(left[c], y, c, shown, m_table.cells[i], column.alignment,
                         static_cast<std::ptrdiff_t>(i));
                else
                    cell(left[c], y, c, shown, column.footer, column.alignment, -1);
            }
            if (shown < height) painter.setClipping(false);
            y += shown;
            lines.push_back(y);
        }
        painter.setPen(gridPen);
        for (int at : lines)
            painter.drawLine(0, at, tableWidth, at);
        for (int x : left)
            painter.drawLine(x, top, x, y);
    }
    painter.end();
    return pages;
}

int GridPrinter::printToPdf(const QString& path, const QDateTime& printedAt) const
{
    QPdfWriter writer(path);
    writer.setPageLayout(a4Layout());
    writer.setTitle(m_setup.title);
    return print(writer, printedAt);
}

int GridPrinter::preview(QWidget* parent) const
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(a4Layout());
    printer.setDocName(m_setup.title);
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this](QPrinter* target) { print(*target, QDateTime::currentDateTime()); });
    dialog.resize(960, 720);
    return execModal(dialog);
}

QFont printFont(const QStringList& families, int points, bool bold)
{
    QFont font;
    font.setFamilies(families + chineseFontFamilies());
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

} // namespace corvo::platform
