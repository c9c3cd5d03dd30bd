#pragma once

#include <string>

namespace corvo {

class TClientDataSet;

/// What the registry needs of a data grid. A bound grid shows the rows of its dataset with
/// one column per visible field, in field order, titled with the field's caption; hidden
/// fields have no column; widths are the grid's defaults.
class EntityGrid {
public:
    virtual ~EntityGrid() = default;

    /// Shows the dataset from now on (nullptr: nothing).
    virtual void bindDataSet(TClientDataSet* dataSet) = 0;
    /// The dataset shown, nullptr when none.
    virtual TClientDataSet* dataSet() const = 0;
    /// True when the grid holds columns of its own (designed, or left from another dataset).
    virtual bool hasColumns() const = 0;
    /// Removes those columns, so that the grid shows one default column per visible field.
    virtual void dropColumns() = 0;
    /// The component name (GBK), for messages.
    virtual std::string componentName() const = 0;
};

} // namespace corvo
