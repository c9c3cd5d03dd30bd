#include "TMainDetailPn.h"

#include "entity/TClientDataSet.h"
#include "forms/rules/MasterBlock.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/GridPrinter.h"
#include "platform/QtText.h"

#include <QHeaderView>

namespace corvo::forms {

namespace {

/// More columns than this print with widths from their texts and rows stretched to them.
constexpr int ColumnsFittedToWidths = 9;

QFont titleFont()
{
    return platform::printFont({QStringLiteral("黑体")}, 20, true);
}

QFont bodyFont()
{
    // "宋体" gives Latin letters half the width of a Chinese character, which the byte-counted
    // columns of the master block rely on; the fixed-pitch Chinese fonts keep that.
    return platform::printFont({QStringLiteral("宋体"), QStringLiteral("WenQuanYi Zen Hei Mono"),
                                QStringLiteral("Noto Sans Mono CJK SC")},
                               11);
}

platform::PrintSetup pageSetup(const std::string& title, const std::string& preparer)
{
    platform::PrintSetup setup;
    setup.title = platform::fromUtf8(title);
    setup.footerLeft = QStringLiteral("制表人：") + platform::fromUtf8(preparer);
    setup.footerCentre = QStringLiteral("第&[Page]页 共&[Pages]页");
    setup.footerRight = QStringLiteral("打印日期：&[LongDate] &[Time]");
    setup.titleFont = titleFont();
    setup.bodyFont = bodyFont();
    return setup;
}

void setGridFonts(platform::DataGrid& grid, const QFont& font)
{
    grid.setFont(font);
    grid.horizontalHeader()->setFont(font);
}

} // namespace

TMainDetailPn::TMainDetailPn(QWidget* owner) : m_owner(owner) {}

TMainDetailPn::~TMainDetailPn() = default;

void TMainDetailPn::PrintGrid(const std::string& title, const std::string& preparer,
                              platform::DataGrid& grid)
{
    platform::PrintSetup setup = pageSetup(title, preparer);
    setup.fit = platform::PrintFit::ColumnWidths;
    setGridFonts(grid, setup.bodyFont);
    platform::GridPrinter(platform::PrintTable::fromGrid(grid), std::move(setup)).preview(m_owner);
}

void TMainDetailPn::PrintDataSource(const std::string& title, const std::string& preparer,
                                    const std::string& textBefore, TClientDataSet& dataSource)
{
    printSource(title, preparer, platform::fromUtf8(textBefore), dataSource);
}

void TMainDetailPn::PrintMasterDetail(const std::string& title, const std::string& preparer,
                                      const std::string& extraText, TClientDataSet& detail,
                                      TClientDataSet& master)
{
    const QString block =
        platform::fromGbk(masterBlock(masterItems(master), {})) + platform::fromUtf8(extraText);
    printSource(title, preparer, block, detail);
}

void TMainDetailPn::printSource(const std::string& title, const std::string& preparer,
                                const QString& textBefore, TClientDataSet& dataSource)
{
    platform::PrintSetup setup = pageSetup(title, preparer);
    if (!m_printGrid) {
        // Zero size, never shown, a window of its own: only its columns are wanted.
        m_printGrid = std::make_unique<platform::DataGrid>();
        m_printGrid->resize(0, 0);
        setGridFonts(*m_printGrid, setup.bodyFont);
    }
    // Bound only while it prints, so the data source's later changes cost the hidden grid
    // nothing and the grid never outlives its data source bound.
    struct Unbind {
        platform::DataGrid& grid;
        ~Unbind() { grid.bindDataSet(nullptr); }
    } unbind{*m_printGrid};
    m_printGrid->bindDataSet(&dataSource);

    setup.doubleLines = true;
    setup.fit = m_printGrid->gridModel().columnCount() > ColumnsFittedToWidths
                    ? platform::PrintFit::ContentWidths
                    : platform::PrintFit::ColumnWidths;
    setup.textBefore = textBefore;
    platform::GridPrinter(platform::PrintTable::fromGrid(*m_printGrid), std::move(setup))
        .preview(m_owner);
}

} // namespace corvo::forms
