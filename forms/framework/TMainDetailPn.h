#pragma once

#include <memory>
#include <string>

class QString;
class QWidget;

namespace corvo {
class TClientDataSet;
}
namespace corvo::platform {
class DataGrid;
}

namespace corvo::forms {

/// The print layout every query form owns: it gives the print engine the page header (the
/// title, "黑体" 20 points bold), the page footer ("制表人：" + preparer, the page number of the
/// number of pages, the print date and time), the body font ("宋体" 11 points, also for the
/// text before the grid) and the fitting rule, and opens the print preview, from which the
/// user prints or saves a PDF. Each print waits for the preview to close.
class TMainDetailPn {
public:
    explicit TMainDetailPn(QWidget* owner);
    ~TMainDetailPn();

    /// Texts UTF-8; datasets hold GBK.
    /// An on-screen grid, fitted to the page width from its columns' widths (in proportion;
    /// on a page too narrow only the widest give way). The screen grid takes the body font
    /// for its cells and titles.
    void PrintGrid(const std::string& title, const std::string& preparer, platform::DataGrid& grid);
    /// The visible fields of a data source with their captions, through a hidden print grid
    /// of the layout's own; double lines under the header and above the footer; more than 9
    /// columns print with widths from their texts and rows as tall as their texts, fewer with
    /// widths from the columns as PrintGrid. A non-empty text prints before the grid.
    void PrintDataSource(const std::string& title, const std::string& preparer,
                         const std::string& textBefore, TClientDataSet& dataSource);
    /// As PrintDataSource for the detail lines, the text before them the master's current row
    /// in three columns (masterBlock) followed by the extra text.
    void PrintMasterDetail(const std::string& title, const std::string& preparer,
                           const std::string& extraText, TClientDataSet& detail,
                           TClientDataSet& master);

private:
    void printSource(const std::string& title, const std::string& preparer,
                     const QString& textBefore, TClientDataSet& dataSource);

    QWidget* m_owner;
    std::unique_ptr<platform::DataGrid> m_printGrid; ///< the hidden grid for data sources
};

} // namespace corvo::forms
