#pragma once

#include <string>
#include <vector>

namespace corvo {
class TClientDataSet;
}

namespace corvo::forms {

/// One TDictField row as the application form reads it. Texts are GBK.
struct DictColumn {
    std::string parentId; ///< ObjID of the column's table
    std::string code;     ///< the column's name, also the entity field name
    std::string caption;  ///< the text of the form's language column
    std::string name;     ///< the Chinese caption, which every message names
    std::string dataType;
    int prec = 0;
    int isVisible = 0;
    int isNullAble = 1;
    int isQuery = 0;
    int isStatus = 0;
    int isJoined = 0;
    int isOtherParam = 0;
    int hasGrid = 0;
    int isSort = 0;
    std::string value; ///< DispOrder of the other parameter restricting a reference list
    std::string joinedTable;
    std::string joinedField;

    /// Neither joined nor a status column: the user types its value.
    bool isEntry() const noexcept { return isJoined == 0 && isStatus == 0; }
    /// Offered on a query panel (when its type has a query control).
    bool isQueryCandidate() const noexcept { return isJoined == 0 && isQuery == 1; }
    /// A value is required: the caption is red.
    bool isRequired() const noexcept { return isNullAble == 0; }
};

/// The current row of a TDictField dataset. A missing language column reads as the Chinese
/// caption; other missing columns keep their defaults.
DictColumn readDictColumn(TClientDataSet& dictField, const std::string& languageColumn);

/// The selected rows (visible through the current filter and order), walked from the first;
/// the cursor ends after the last row.
std::vector<DictColumn> selectedColumns(TClientDataSet& dictField,
                                        const std::string& languageColumn);

} // namespace corvo::forms
