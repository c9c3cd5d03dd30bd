#pragma once

#include "DictColumn.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvo {
class TClientDataSet;
class TCustomEntityList;
} // namespace corvo

namespace corvo::forms {

class LocalStore;

/// A list that lookups fill: the code/name box behind the form. Field names are GBK; an
/// empty column name hides that column.
class LookupTarget {
public:
    virtual ~LookupTarget() = default;
    virtual void clear() = 0;
    virtual void load(TClientDataSet& rows, std::string_view key, std::string_view column1,
                      std::string_view column2, std::string_view display) = 0;
};

/// Where lookups find their rows: the form's registry, its local data files, the form's
/// language column and owner, and the selected dictionary columns of the panel.
struct LookupContext {
    TCustomEntityList& registry;
    LocalStore& store;
    std::string languageColumn;
    std::string owner;
    const std::vector<DictColumn>& columns;
};

/// The reference list of a table: its registered rows, else its local file, else (for a
/// joined column's table, name beginning with "m") the file the dictionary names. Rows are
/// sorted by Code; key ObjID, columns HelpIndex and Code, shown text the language column.
/// Throws "本地SCB参数[table]不存在，请与系统管理员联系！" when nothing supplies the table.
void FillLookupCombo(LookupTarget& box, std::string_view table, LookupContext& context);

/// The values of one other-parameter list, ordered by DispOrder, narrowed to the owner's own
/// values when there are any; the code column is shown unless every code is blank or a
/// status code. Fills "TScbTemp" from the registry or the local file first.
void FillOtherParamCombo(LookupTarget& box, std::string_view type, LookupContext& context);

/// Whether a lookup list is being filled for an entry panel (rows dropped) or a query panel
/// (rows filtered, so the table keeps them for other uses).
enum class PanelKind { Entry, Query };

/// A reference column restricted by its dictionary Value: only the rows of the referenced
/// table that stand in the column's JoinedTable on rows whose JoinedField is the other
/// parameter of that DispOrder.
void FillRestrictedCombo(LookupTarget& box, const DictColumn& column, PanelKind kind,
                         LookupContext& context);

/// The list of a combo column of an entry or query panel, by the dictionary's rules: the
/// other parameters, the restricted list, or the table named by the code without "ID".
void FillColumnCombo(LookupTarget& box, const DictColumn& column, PanelKind kind,
                     LookupContext& context);

} // namespace corvo::forms
