#pragma once

namespace corvo {

class TClientDataSet;

/// What changed in a table, for the data sources (grids) bound to it.
enum class DataChange {
    Structure, ///< fields added, removed or shown differently; also opening and closing
    Rows,      ///< rows added, removed, reordered or filtered: everything may have changed
    Record,    ///< the values of the current row
    Cursor,    ///< the current row moved
};

/// A data source: told when the table changes, unless controls are disabled; a counted
/// DisableControls holds the notices back and EnableControls sends one Rows notice.
class DataSetListener {
public:
    virtual ~DataSetListener() = default;
    virtual void dataSetChanged(TClientDataSet& dataSet, DataChange change) = 0;
    /// The dataset is going away; a listener must not touch it afterwards.
    virtual void dataSetDestroyed(TClientDataSet& dataSet) noexcept { (void)dataSet; }
};

} // namespace corvo
