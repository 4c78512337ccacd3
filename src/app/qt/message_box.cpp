#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/ui.h"

namespace ui {

void ShowMessage(const AppText& text) {
    // Owned by no window and modal to the whole program, like a box the system itself puts up.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息："),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void ShowFatalError(const char* utf8Text) noexcept {
    // Also on stderr: the box needs memory, and it may be memory that just ran out. A failure inside the
    // box ends up here again; that second call only writes the line, so the caller can go on to exit.
    static bool showing = false;
    std::fprintf(stderr, "错误: %s\n", utf8Text);
    if (showing) return;
    showing = true;
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("错误"), QString::fromUtf8(utf8Text), QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }
    showing = false;
}

} // namespace ui
