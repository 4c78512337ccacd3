#pragma once
// The program's one window: the backup list and the four buttons, each bound to its command.

#include <QWidget>

#include "app/events.h"

class QCloseEvent;

namespace ui::qt {

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // Builds the window and its controls, hidden. The controls carry their names as object names
    // (选择列表框1, 备份按钮, 刷新按钮, 恢复按钮, 删除按钮).
    MainWindow();

    // Runs the creation event (locations, then the list), centres the window and shows it.
    void Open();

    // Puts the window frame in the middle of the primary screen.
    void CentreOnPrimaryScreen();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void RunCommand(app::Button button);
    void CloseIfAsked();

    bool closeRequested_ = false;
};

// The open main window, if there is one; dialogs are centred over it.
QWidget* MainWindowOrNull();

} // namespace ui::qt
