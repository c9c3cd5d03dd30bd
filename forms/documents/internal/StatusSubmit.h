#pragma once

#include <functional>
#include <string>

namespace corvo {
class TCustomEntityList;
class TParamData;
} // namespace corvo
namespace corvo::controls {
class TQueryControlList;
}

class QAbstractButton;

namespace corvo::forms {
class TFrmApp;
}

namespace corvo::forms::internal {

/// What the status change forms share, whichever collated form they stand on.

/// The operation button's caption ends in "(&P)" like "打印(&P)": Alt+P would name both and
/// press neither. It stays the operation's; the print button, caption unchanged, takes Ctrl+P.
void GivePrintItsOwnKey(QAbstractButton& print);

/// The status condition stays as the form sets it: the user cannot widen the query to
/// documents of another validity.
void DisableStatusCondition(controls::TQueryControlList* conditions);

/// "AppName", TMasterUpdate's rows as "TMaster" and, when the field packet holds rows, the
/// status change list "ParamDataStatusAlter".
void FillStatusPacket(TParamData& packet, TCustomEntityList& registry, TParamData& fieldPacket);

/// The wait text, the save's steps and its report: before, fill, call; on true the report,
/// then the after step. "数据更新失败，请稍后重试。" on false; an error's message on the message
/// line. Each step is the form's hook.
struct StatusSteps {
    std::function<bool()> before;
    std::function<bool()> fill;
    std::function<bool()> call;
    std::function<void()> report;
    std::function<bool()> after;
};
bool RunStatusSteps(TFrmApp& form, const StatusSteps& steps);

/// The current TMaster row's Code, as the reports show it (UTF-8).
std::string CurrentCode(TCustomEntityList& registry);

/// The Codes of the documents sent (TMasterUpdate's rows), joined by "、" (UTF-8).
std::string SentCodes(TCustomEntityList& registry);

} // namespace corvo::forms::internal
