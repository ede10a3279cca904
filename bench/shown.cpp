#include "shown.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>

bool showUntilExposed(QWidget &widget)
{
    widget.show();
    const QWindow *window = widget.windowHandle();
    const QDeadlineTimer deadline(5000);
    for (;;) {
        // The expose event paints the window before processEvents() returns.
        QCoreApplication::processEvents();
        if (window->isExposed())
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(1);
    }
}
