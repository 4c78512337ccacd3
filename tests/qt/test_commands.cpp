// The window wired to the real core: the buttons run the commands over real folders.

#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/events.h"
#include "app/state.h"
#include "app/ui.h"
#include "controls.h"
#include "modal.h"

using qt_test::ButtonOf;
using qt_test::ListOf;

namespace {

QStringList ListTexts(QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

AppText AsFolder(const QString& path) { return QDir(path).absolutePath().toStdString() + '/'; }

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::State() = app::SharedState{}; }
    void cleanup() { app::State() = app::SharedState{}; }

    void refreshListsTheBackupFolders() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QStringList backups{QStringLiteral("02月01日 01：00：00 无备注"),
                                  QStringLiteral("03月05日 12：30：00 打boss前")};
        for (const QString& name : backups) QVERIFY(QDir(root.path()).mkpath(name));
        QFile stray(root.filePath(QStringLiteral("not a backup.txt")));
        QVERIFY(stray.open(QIODevice::WriteOnly));
        stray.close();
        app::State().BackupRoot = AsFolder(root.path());

        ui::qt::MainWindow window;
        QVERIFY(qt_test::ShowActive(window));
        QTest::mouseClick(ButtonOf(window, "刷新按钮"), Qt::LeftButton);
        QCOMPARE(ListTexts(ListOf(window)), backups);

        // A folder made behind the program's back shows up on the next refresh, highlight kept.
        ListOf(window)->setCurrentRow(1);
        app::State().RememberedSelection = ui::BackupListView::ItemText(1);
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("02月20日 08：00：00 新的")));
        QTest::mouseClick(ButtonOf(window, "刷新按钮"), Qt::LeftButton);
        QCOMPARE(ListOf(window)->count(), 3);
        QVERIFY(ListTexts(ListOf(window)).contains(QStringLiteral("02月20日 08：00：00 新的")));
        QCOMPARE(QString::fromStdString(ui::BackupListView::ItemText(ui::BackupListView::SelectedIndex())), backups[1]);
    }

    void createWithoutASaveFolderSaysSo() {
        QTemporaryDir root;
        app::State().BackupRoot = AsFolder(root.path());
        app::State().SaveDirectory = QDir(root.path()).filePath(QStringLiteral("missing")).toStdString();
        ui::qt::MainWindow window;
        QVERIFY(qt_test::ShowActive(window));
        QString text;
        auto visit = qt_test::OnNextModal([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                text = box->text();
                box->accept();
            }
        });
        QTest::mouseClick(ButtonOf(window, "备份按钮"), Qt::LeftButton);
        QVERIFY(visit->opened);
        QCOMPARE(visit->title, QStringLiteral("信息："));
        QCOMPARE(text, QStringLiteral("存档目录为空，请在配置文件（config.ini）填写需要备份的目录"));
        QVERIFY(window.isVisible());
    }

    void escapeDuringTheListingClosesOnceTheListingIsDone() {
        // The listing hands queued input to the window between entries; an Esc that arrives then must
        // not take the window (and the list being filled) away from under the command.
        QTemporaryDir root;
        for (int i = 0; i < 50; ++i)
            QVERIFY(
                QDir(root.path()).mkpath(QStringLiteral("01月01日 00：00：%1 无备注").arg(i, 2, 10, QLatin1Char('0'))));
        app::State().BackupRoot = AsFolder(root.path());
        ui::qt::MainWindow window;
        QVERIFY(qt_test::ShowActive(window));
        bool pressedDuringCommand = false;
        bool openRightAfterEscape = false;
        QTimer::singleShot(0, &window, [&] {
            pressedDuringCommand = app::CommandRunning();
            QTest::keyClick(ListOf(window), Qt::Key_Escape);
            openRightAfterEscape = window.isVisible();
        });
        QTest::mouseClick(ButtonOf(window, "刷新按钮"), Qt::LeftButton);
        QVERIFY2(pressedDuringCommand, "the listing let no events through, so nothing was tested");
        QVERIFY(openRightAfterEscape);
        QVERIFY(!window.isVisible());
        QCOMPARE(ListOf(window)->count(), 50);
    }

    void closeDuringAMessageWaitsForTheCommand() {
        app::State().SaveDirectory = "";
        ui::qt::MainWindow window;
        QVERIFY(qt_test::ShowActive(window));
        bool openWhileMessageShows = false;
        auto visit = qt_test::OnNextModal([&](QWidget* modal) {
            window.close();
            openWhileMessageShows = window.isVisible();
            qobject_cast<QMessageBox*>(modal)->accept();
        });
        QTest::mouseClick(ButtonOf(window, "备份按钮"), Qt::LeftButton);
        QVERIFY(visit->opened);
        QVERIFY(openWhileMessageShows);
        QVERIFY(!window.isVisible());
    }

    void closeWithNoCommandRunningIsImmediate() {
        ui::qt::MainWindow window;
        QVERIFY(qt_test::ShowActive(window));
        window.close();
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(CommandsTest)
#include "test_commands.moc"
