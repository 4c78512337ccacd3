// The main window as the user meets it: where everything sits, what the keyboard does.

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "app/ui.h"
#include "controls.h"

using qt_test::ButtonOf;
using qt_test::ControlOf;
using qt_test::ListOf;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void clientAreaIsFixedAt392By216() {
        ui::qt::MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("存档管理器"));
        QCOMPARE(window.size(), QSize(392, 216));
        QCOMPARE(window.minimumSize(), QSize(392, 216));
        QCOMPARE(window.maximumSize(), QSize(392, 216));
        QVERIFY(qt_test::ShowActive(window));
        QCOMPARE(window.size(), QSize(392, 216));
    }

    void frameHasNoMaximiseButton() {
        ui::qt::MainWindow window;
        const Qt::WindowFlags flags = window.windowFlags();
        QVERIFY(window.isWindow());
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QCOMPARE(window.windowType(), Qt::Window);
    }

    void controlSitsAtItsPlace_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("list") << QStringLiteral("选择列表框1") << QRect(8, 8, 376, 160) << QString();
        QTest::newRow("backup") << QStringLiteral("备份按钮") << QRect(8, 176, 72, 32) << QStringLiteral("创建备份");
        QTest::newRow("refresh") << QStringLiteral("刷新按钮") << QRect(152, 176, 72, 32) << QStringLiteral("刷新");
        QTest::newRow("restore") << QStringLiteral("恢复按钮") << QRect(232, 176, 72, 32) << QStringLiteral("恢复选中");
        QTest::newRow("delete") << QStringLiteral("删除按钮") << QRect(312, 176, 72, 32) << QStringLiteral("删除备份");
    }

    void controlSitsAtItsPlace() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        ui::qt::MainWindow window;
        window.show();
        QWidget* control = ControlOf(window, name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->geometry(), geometry);
        QVERIFY(control->isVisible());
        QVERIFY(control->isEnabled());
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), caption);
            // A default button would turn Enter into a click.
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
            QVERIFY(button->focusPolicy() & Qt::TabFocus);
        } else {
            QVERIFY(qobject_cast<QListWidget*>(control));
        }
    }

    void windowHasOnlyTheFiveControls() {
        ui::qt::MainWindow window;
        QCOMPARE(window.findChildren<QPushButton*>().size(), 4);
        QCOMPARE(window.findChildren<QListWidget*>().size(), 1);
    }

    void backgroundIsTheButtonFaceColour() {
        ui::qt::MainWindow window;
        QVERIFY(window.autoFillBackground());
        QCOMPARE(window.palette().color(QPalette::Window), window.palette().color(QPalette::Button));
        QCOMPARE(window.backgroundRole(), QPalette::Window);
        // The platform's own font, for the window and every control.
        QCOMPARE(window.font(), QApplication::font());
        QCOMPARE(ListOf(window)->font(), QApplication::font("QListWidget"));
    }

    void opensCentredOnThePrimaryScreen() {
        ui::qt::MainWindow window;
        window.CentreOnPrimaryScreen();
        window.show();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QRect frame = window.frameGeometry();
        QCOMPARE(frame.left() - screen.left(), (screen.width() - frame.width()) / 2);
        QCOMPARE(frame.top() - screen.top(), (screen.height() - frame.height()) / 2);
    }

    void carriesTheProgramIcon() {
#ifndef SM_EXPECT_ICON
        QSKIP("No icon in the source tree yet");
#else
        ui::qt::MainWindow window;
        QVERIFY(!window.windowIcon().isNull());
        QVERIFY(window.windowIcon().availableSizes().contains(QSize(128, 128)));
#endif
    }

    void tabCyclesThroughTheControlsBothWays() {
        ui::qt::MainWindow window;
        QVERIFY(qt_test::ShowActive(window));
        const QStringList cycle{QStringLiteral("刷新按钮"), QStringLiteral("选择列表框1"), QStringLiteral("恢复按钮"),
                                QStringLiteral("备份按钮"), QStringLiteral("删除按钮")};
        QCOMPARE(window.focusWidget()->objectName(), cycle[0]);

        QStringList forward;
        for (int i = 0; i < cycle.size(); ++i) {
            QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
            forward << window.focusWidget()->objectName();
        }
        QCOMPARE(forward, (cycle.mid(1) << cycle[0]));

        QStringList backward;
        for (int i = 0; i < cycle.size(); ++i) {
            QTest::keyClick(window.focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            backward << window.focusWidget()->objectName();
        }
        QCOMPARE(backward, (QStringList{cycle[4], cycle[3], cycle[2], cycle[1], cycle[0]}));
    }

    void escapeClosesTheWindowFromAnyControl_data() {
        QTest::addColumn<QString>("focused");
        for (const char* name : {"选择列表框1", "备份按钮", "刷新按钮", "恢复按钮", "删除按钮"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }

    void escapeClosesTheWindowFromAnyControl() {
        QFETCH(QString, focused);
        ui::qt::MainWindow window;
        QVERIFY(qt_test::ShowActive(window));
        QWidget* control = ControlOf(window, focused);
        control->setFocus();
        QCOMPARE(QApplication::focusWidget(), control);
        QTest::keyClick(control, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    void escapeClosesTheWindowFromAListWithItems() {
        ui::qt::MainWindow window;
        for (const char* text : {"02月01日 01：00：00 无备注", "03月05日 01：00：00 无备注"})
            ui::BackupListView::Append(text);
        ui::BackupListView::SelectByPrefix("03月");
        QVERIFY(qt_test::ShowActive(window));
        ListOf(window)->setFocus();
        QTest::keyClick(ListOf(window), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    void enterClicksNoButton_data() {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<int>("key");
        for (const char* name : {"选择列表框1", "备份按钮", "刷新按钮", "恢复按钮", "删除按钮"}) {
            QTest::newRow(QByteArray(name).append(" Return").constData())
                << QString::fromUtf8(name) << int(Qt::Key_Return);
            QTest::newRow(QByteArray(name).append(" Enter").constData())
                << QString::fromUtf8(name) << int(Qt::Key_Enter);
        }
    }

    void enterClicksNoButton() {
        QFETCH(QString, focused);
        QFETCH(int, key);
        ui::qt::MainWindow window;
        // Only whether a click is emitted matters here; the commands themselves stay out of it.
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
            spies.push_back(std::make_unique<QSignalSpy>(button, &QPushButton::clicked));
        }
        QVERIFY(qt_test::ShowActive(window));
        QWidget* control = ControlOf(window, focused);
        control->setFocus();
        QTest::keyClick(control, Qt::Key(key));
        for (const auto& spy : spies) QCOMPARE(spy->count(), 0);
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
