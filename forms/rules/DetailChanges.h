#pragma once

#include <string_view>

namespace corvo {
class TClientDataSet;
class TCustomEntity;
class TCustomEntityList;
class TParamData;
} // namespace corvo

namespace corvo::forms {

/// The lines of a document being changed, and their change sets: the detail lines (TDetail,
/// with TDetailInsert, TDetailUpdate, TDetailDelete) or the third level under them
/// (TDetailList, with TDetailListInsert, TDetailListUpdate, TDetailListDelete).
enum class LineLevel { Detail, List };

struct LineSetNames {
    std::string_view lines;
    std::string_view inserts;
    std::string_view updates;
    std::string_view deletes;
};
LineSetNames LineSetNamesOf(LineLevel level);

/// Each change set of the level (registered when missing) takes the lines' structure without
/// rows; nothing when the lines have no structure.
void PrepareLineChanges(TCustomEntityList& registry, LineLevel level);

/// The current line was added: its values go into the insertions.
void RecordLineInsert(TCustomEntityList& registry, LineLevel level);

/// The current line was changed: a line added since the document was picked stays an
/// insertion with its new values; any other line is recorded as changed.
void RecordLineChange(TCustomEntityList& registry, LineLevel level);

/// The current line is removed: a line added since the document was picked leaves the
/// insertions and reaches the server in no set; any other line is recorded as removed and
/// leaves the changes. Then the line is deleted from the lines (an empty table raises the
/// dataset's error and records nothing).
void RecordLineDelete(TCustomEntityList& registry, LineLevel level);

/// Whether the current line is one added since the document was picked.
bool IsRecordedInsert(TCustomEntityList& registry, LineLevel level);

/// The level's change sets applied to the stored lines (say the query's lines of the saved
/// document): added and changed lines take their recorded values, removed ones leave.
void ApplyLineChanges(TCustomEntity& stored, TCustomEntityList& registry, LineLevel level);

/// Empties every registered change set of the level that has a structure.
void ClearLineChanges(TCustomEntityList& registry, LineLevel level);

/// Each change set of the level that holds rows as a data row of its own name, in the order
/// insertions, changes, removals; empty sets are not sent.
void AddLineChanges(TParamData& packet, TCustomEntityList& registry, LineLevel level);

} // namespace corvo::forms
