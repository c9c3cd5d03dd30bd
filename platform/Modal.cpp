#include "Modal.h"

#include <QApplication>
#include <QDialog>
#include <cstdlib>

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
