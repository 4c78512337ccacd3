#pragma once
// Reaching the main window's controls by the names they carry.

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/qt/main_window.h"

namespace qt_test {

inline QPushButton* ButtonOf(ui::qt::MainWindow& window, const char* name) {
    return window.findChild<QPushButton*>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
}

inline QListWidget* ListOf(ui::qt::MainWindow& window) {
    return window.findChild<QListWidget*>(QStringLiteral("选择列表框1"), Qt::FindDirectChildrenOnly);
}

inline QWidget* ControlOf(ui::qt::MainWindow& window, const QString& name) {
    return window.findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

// Shows the window and waits until it has the keyboard, so that focus and shortcuts behave as for a user.
inline bool ShowActive(ui::qt::MainWindow& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

} // namespace qt_test
