#pragma once

#include <string>

namespace corvo {
class TClientDataSet;
class TCustomEntity;
} // namespace corvo

namespace corvo::forms {

/// The parameter types the editor offers: one row per Type of `all`, without the rows whose
/// TypeName is empty and without the status types (a Type beginning with "Status"), sorted
/// by TypeName.
void BuildParamTypes(TClientDataSet& all, TCustomEntity& types);

/// The editor's three states and what each enables.
enum class ParamEditState { Browsing, Adding, Changing };
struct ParamControls {
    bool moves, edits, confirm, insert, update, submit, cancel, tree;
};
ParamControls ParamControlsFor(ParamEditState state);

/// Whether a row of the type already has the name, letters compared without regard to case.
bool ParamNameTaken(TCustomEntity& params, const std::string& typeName, const std::string& name);

/// The highest DispOrder among the type's rows plus 1 (1 for a type without rows).
int NextDispOrder(TCustomEntity& params, const std::string& typeName);

enum class MoveDirection { Up, Down };
enum class MoveOutcome {
    Nothing, ///< no rows, the first row moved up or the last moved down
    Moved,   ///< the row and its neighbour exchanged their DispOrder
    Locked,  ///< the row or its neighbour may not change (AllowEdit 0): both stay
};
struct MoveResult {
    MoveOutcome outcome = MoveOutcome::Nothing;
    std::string lockedName; ///< the name for the locked message: the moved row's
};

/// Moves the row `objId` of the type one place up or down. The neighbour is the row next to
/// it in the type's rows sorted by DispOrder, so a gap in the orders moves the right row.
/// Filters are ignored and kept; the moved row is current afterwards.
MoveResult MoveParam(TCustomEntity& params, const std::string& typeName, const std::string& objId,
                     MoveDirection direction);

/// Whether a row may be changed (its AllowEdit is not 0).
bool ParamEditable(TClientDataSet& params);

} // namespace corvo::forms
