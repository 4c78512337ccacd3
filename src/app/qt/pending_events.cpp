#include <QCoreApplication>

#include "app/ui.h"

namespace ui {

void ProcessPendingEvents() {
    // Only what is already queued: this runs between the entries of a listing and must not wait.
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace ui
