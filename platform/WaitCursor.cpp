#include "WaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace corvo::platform {

void showWaitCursor()
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void showDefaultCursor()
{
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

} // namespace corvo::platform
