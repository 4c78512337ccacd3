#include "app/qt/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include "app/qt/backup_list.h"

namespace ui::qt {
namespace {

constexpr int kClientWidth = 392;
constexpr int kClientHeight = 216;

QPointer<MainWindow>& CurrentWindow() {
    static QPointer<MainWindow> window;
    return window;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::StrongFocus);
    // Enter means nothing in this window: no button may take it as the default.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

MainWindow::MainWindow() : QWidget(nullptr) {
    setObjectName(QStringLiteral("存档管理器"));
    setWindowTitle(QStringLiteral("存档管理器"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setWindowIcon(QIcon(QStringLiteral(":/save-manager/icon.png")));

    QPalette background = palette();
    background.setColor(QPalette::Window, background.color(QPalette::Button));
    setPalette(background);
    setAutoFillBackground(true);

    auto* list = new BackupList(this);
    list->setObjectName(QStringLiteral("选择列表框1"));
    list->setGeometry(8, 8, 376, 160);

    QPushButton* backup = MakeButton(this, "备份按钮", "创建备份", {8, 176, 72, 32});
    QPushButton* refresh = MakeButton(this, "刷新按钮", "刷新", {152, 176, 72, 32});
    QPushButton* restore = MakeButton(this, "恢复按钮", "恢复选中", {232, 176, 72, 32});
    QPushButton* remove = MakeButton(this, "删除按钮", "删除备份", {312, 176, 72, 32});

    connect(backup, &QPushButton::clicked, this, [this] { RunCommand(app::Button::CreateBackup); });
    connect(refresh, &QPushButton::clicked, this, [this] { RunCommand(app::Button::Refresh); });
    connect(restore, &QPushButton::clicked, this, [this] { RunCommand(app::Button::Restore); });
    connect(remove, &QPushButton::clicked, this, [this] { RunCommand(app::Button::Delete); });

    // These five are the window's only focusable widgets, so the chain closes on itself and Shift+Tab
    // walks the same cycle backwards.
    QWidget::setTabOrder(refresh, list);
    QWidget::setTabOrder(list, restore);
    QWidget::setTabOrder(restore, backup);
    QWidget::setTabOrder(backup, remove);
    refresh->setFocus();

    // A window shortcut rather than keyPressEvent: the list and the buttons would otherwise see the key
    // first, and Esc has to close the window from whichever of them has the focus.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    CurrentWindow() = this;
}

void MainWindow::Open() {
    app::OnMainWindowCreated();
    CentreOnPrimaryScreen();
    show();
    CloseIfAsked();
}

void MainWindow::CentreOnPrimaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    // Creating the platform window first lets platforms that know their decoration in advance report
    // it; where the window manager tells only after mapping (X11), the margins are still zero and the
    // centre is off by the width of the border.
    winId();
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize outer = size().grownBy(frame);
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A close that arrives while a command runs (through the listing's event handling) would pull the
    // list out from under it; it is carried out when the command has finished.
    if (app::CommandRunning()) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::RunCommand(app::Button button) {
    app::OnButtonClicked(button);
    CloseIfAsked();
}

void MainWindow::CloseIfAsked() {
    // A click delivered in the middle of another command returns at once; only the outermost one may
    // carry out the close.
    if (!closeRequested_ || app::CommandRunning()) return;
    closeRequested_ = false;
    close();
}

QWidget* MainWindowOrNull() { return CurrentWindow().data(); }

} // namespace ui::qt
