#include "Modal.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <cstdlib>
#include <vector>

namespace corvo::platform {

namespace {
ModalInterceptor& interceptor()
{
    static ModalInterceptor i;
    return i;
}
ProcessTerminator& terminator()
{
    static ProcessTerminator t;
    return t;
}
} // namespace

int execModal(QDialog& dialog)
{
    // A dialog waits for the user, not the user for the program: no wait cursor over it. The
    // operation that showed it gets its cursors back once it is answered.
    std::vector<QCursor> suspended;
    while (const QCursor* cursor = QApplication::overrideCursor()) {
        suspended.push_back(*cursor);
        QApplication::restoreOverrideCursor();
    }
    dialog.setCursor(Qt::ArrowCursor);
    struct Resume {
        std::vector<QCursor>& cursors;
        ~Resume()
        {
            for (auto it = cursors.rbegin(); it != cursors.rend(); ++it)
                QApplication::setOverrideCursor(*it);
        }
    } resume{suspended};
    if (interceptor()) return interceptor()(dialog);
    return dialog.exec();
}

void setModalInterceptor(ModalInterceptor i)
{
    interceptor() = std::move(i);
}

void terminateProcess(int exitCode)
{
    if (terminator()) return terminator()(exitCode);
    std::exit(exitCode);
}

void setProcessTerminator(ProcessTerminator t)
{
    terminator() = std::move(t);
}

} // namespace corvo::platform
