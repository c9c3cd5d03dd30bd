#pragma once

#include <functional>

class QDialog;

namespace corvo::platform {

/// Shows a dialog modally and returns its result. Every modal display of the program goes
/// through here, so that tests can answer dialogs without a running user. The dialog shows
/// the arrow: wait cursors are lifted while it is open and set again when it closes.
int execModal(QDialog& dialog);

/// While set, execModal hands the dialog to the function instead of showing it and returns
/// what the function returns. Pass an empty function to restore normal display.
using ModalInterceptor = std::function<int(QDialog&)>;
void setModalInterceptor(ModalInterceptor interceptor);

/// Ends the process the way the program does when it must stop at once (a missing
/// configuration file, the idle login timer). Tests replace it to observe the request.
using ProcessTerminator = std::function<void(int exitCode)>;
void terminateProcess(int exitCode);
void setProcessTerminator(ProcessTerminator terminator);

} // namespace corvo::platform
