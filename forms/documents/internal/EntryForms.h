#pragma once

// What the insert and update forms share: their buttons, the submit sequence's frame, the
// master table's dictionary row.
#include <functional>
#include <string>

class QPushButton;
class QWidget;

namespace corvo {
class TCustomEntity;
class TCustomEntityList;
} // namespace corvo

namespace corvo::forms {
class TFrmApp;
}
namespace corvo::platform {
class DataGrid;
}

namespace corvo::forms::internal {

/// The first showing of a form runs its FormShow; later ones (a tab change) do nothing. An
/// error goes to the message line.
void showFirstTime(TFrmApp& form, bool& shown, const std::function<void()>& formShow);

/// The lines' buttons in the bottom middle band, centred, and "保存" at its right end.
struct LineButtons {
    QPushButton* detailAdd;
    QPushButton* detailDel;
    QPushButton* submit;
};
LineButtons makeLineButtons(QWidget& band);

/// A 75 × 25 push button with a component name and a caption (UTF-8).
QPushButton* makeButton(QWidget* parent, const char* name, const char* caption);

/// The editable grid of a document's lines: typing or a double click edits a cell, Tab moves
/// between cells.
platform::DataGrid* makeLineGrid(QWidget* parent, const char* name);

/// The name of the module's master table: TMaster's first field.
std::string masterTable(TCustomEntityList& registry);

/// The master table's TDictTable flag (IsAutoCoding, IsClientTable) as text; empty when the
/// table or the flag is missing.
std::string tableFlag(TCustomEntityList& registry, const char* flag);

/// Runs a save behind the hourglass: an error raised by it goes to the message line and
/// gives false; the default cursor comes back in every case.
bool runGuardedSave(TFrmApp& form, const std::function<bool()>& save);

/// The value of a field of the current row of the packet's data row `name`; empty when the
/// packet has no such row, no row in it or no such field.
std::string answeredField(TFrmApp& form, const char* name, const char* field);

} // namespace corvo::forms::internal
