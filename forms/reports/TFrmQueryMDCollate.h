#pragma once

#include "TFrmQueryCollate.h"
#include "entity/DataSetListener.h"

namespace corvo::forms {

/// The collated query of a master/detail document: under the master grid a detail grid
/// shows the lines (TDetailQuery, from the table master + "List") of the master row under
/// the cursor. The result line counts the rows of the page and sums the quantities, amounts
/// and profits; the print is the current document with its lines.
class TFrmQueryMDCollate : public TFrmQueryCollate {
    Q_OBJECT
public:
    explicit TFrmQueryMDCollate(QWidget* owner = nullptr);
    ~TFrmQueryMDCollate() override;

    QFrame& pnlDetail() const noexcept { return *m_detail; }
    QSplitter& Splitter3() const noexcept { return *m_splitter; }
    platform::DataGrid& dgeDetailQuery() const noexcept { return *m_detailGrid; }

    /// Also binds the detail grid to TDetailQuery.
    void ShowResultGrid() override;
    /// The page keys, then the result line with its sums.
    void UpdatePageKeys() override;
    /// The current master row as a block above the grid of its lines; refused like the
    /// single-table print when there is no row.
    void PrintCollated() override;
    /// The documents, then their lines as a second sheet.
    void ExportResults(const std::string& path) override;

protected:
    /// The result line for the page and the documents shown now (also after some left it).
    void ShowResultLine();
    void FormShow() override;
    void RunPagingOperation(QueryStep step) override;
    void BeginQueryStep() override;
    void EndQueryStep() override;

private:
    /// The master's row-change handler: the detail grid follows the master's cursor.
    class MasterCursor : public DataSetListener {
    public:
        explicit MasterCursor(TFrmQueryMDCollate& form) : m_form(form) {}
        void dataSetChanged(TClientDataSet& dataSet, DataChange change) override;

    private:
        TFrmQueryMDCollate& m_form;
    };
    void installRowHandler();
    void removeRowHandler();

    QSplitter* m_splitter = nullptr;
    QFrame* m_detail = nullptr;
    platform::DataGrid* m_detailGrid = nullptr;
    MasterCursor m_cursor{*this};
    bool m_handlerInstalled = false;
};

} // namespace corvo::forms
