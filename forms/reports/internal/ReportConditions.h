#pragma once

// What the report forms do to their query conditions: choose a code box's first entry, hide
// its editor, lock a condition against unticking.

#include <string>

namespace corvo::controls {
class TQueryControl;
class TVelComboBox;
} // namespace corvo::controls

namespace corvo::forms {
class TFrmApp;
}

namespace corvo::forms::internal {

/// The code box of a condition; nullptr when its editor is another kind.
controls::TVelComboBox* codeBox(controls::TQueryControl& condition);

/// The condition's code box set to its first entry; nothing when it has none.
void chooseFirstEntry(controls::TQueryControl& condition);

/// The partner condition's code box set to the first organisation of `role` (the DispOrder of
/// its type among the other parameters "TOrganTypeID"), else to the first that is not the
/// user's own organisation; nothing chosen when the box offers no other.
void choosePresetPartner(TFrmApp& form, controls::TQueryControl& condition, int role);

/// The condition stays ticked: unticking it (by the user or the program) ticks it again and
/// shows "条件" + caption + "在查询时不可缺少。" on the form's message line. The user's click
/// is refused before it reaches the box, so the chosen value stays; the editor stays enabled.
void lockCondition(TFrmApp& form, controls::TQueryControl& condition);

/// The inner code of the condition's code box (GBK); empty without a box.
std::string chosenCode(controls::TQueryControl& condition);

} // namespace corvo::forms::internal
