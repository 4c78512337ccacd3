#pragma once
// Driving the real modal dialogs from a test: the dialog runs its own event loop, so the test's hand
// reaches it through a timer that fires inside that loop.

#include <QWidget>
#include <functional>
#include <memory>

namespace qt_test {

struct ModalVisit {
    bool opened = false;   // a modal widget showed up and `act` ran on it
    bool leftOpen = false; // it was still open after `act` and had to be closed by force
    QString title;         // its window title, read before `act`
};

// Waits (inside whatever loop is running) for a modal widget to open, then calls `act` on it. A
// dialog that `act` leaves open is rejected after a while so that a faulty program fails the test
// instead of hanging it. Read the result after the code that opened the dialog has returned.
std::shared_ptr<ModalVisit> OnNextModal(std::function<void(QWidget*)> act);

} // namespace qt_test
