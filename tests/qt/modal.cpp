#include "modal.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace qt_test {
namespace {

constexpr int kPollMs = 10;
constexpr int kGiveUpPolls = 500;   // 5 s for the dialog to appear
constexpr int kForceCloseMs = 3000; // and 3 s for it to go once `act` is done

void CloseByForce(QPointer<QWidget> modal, std::shared_ptr<ModalVisit> visit) {
    QTimer::singleShot(kForceCloseMs, [modal, visit] {
        if (!modal || !modal->isVisible()) return;
        visit->leftOpen = true;
        if (auto* dialog = qobject_cast<QDialog*>(modal.data()))
            dialog->reject();
        else
            modal->close();
    });
}

void Poll(std::function<void(QWidget*)> act, std::shared_ptr<ModalVisit> visit, int pollsLeft) {
    QWidget* modal = QApplication::activeModalWidget();
    // Acting before the dialog is the active window would miss its shortcuts and its focus; a platform
    // that never activates it gets the action after a second anyway.
    const bool ready = modal && modal->isVisible() && (modal->isActiveWindow() || pollsLeft < kGiveUpPolls - 100);
    if (ready) {
        visit->opened = true;
        visit->title = modal->windowTitle();
        QPointer<QWidget> guard(modal);
        act(modal);
        CloseByForce(guard, visit);
        return;
    }
    if (pollsLeft == 0) return;
    QTimer::singleShot(kPollMs, [act = std::move(act), visit, pollsLeft] { Poll(act, visit, pollsLeft - 1); });
}

} // namespace

std::shared_ptr<ModalVisit> OnNextModal(std::function<void(QWidget*)> act) {
    auto visit = std::make_shared<ModalVisit>();
    QTimer::singleShot(0, [act = std::move(act), visit] { Poll(act, visit, kGiveUpPolls); });
    return visit;
}

} // namespace qt_test
