// ShowMessage, AskText and the fatal error box, each driven through its real modal loop.

#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/ui.h"
#include "controls.h"
#include "modal.h"

namespace {

QPushButton* ButtonWithText(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text) return button;
    return nullptr;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void messageBoxHasCaptionTextAndOneOkButton() {
        QString text;
        QList<QAbstractButton*> buttons;
        QWidget* parent = reinterpret_cast<QWidget*>(1);
        Qt::WindowModality modality = Qt::NonModal;
        QMessageBox::StandardButton okButton = QMessageBox::NoButton;
        auto visit = qt_test::OnNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) return;
            text = box->text();
            buttons = box->buttons();
            parent = box->parentWidget();
            modality = box->windowModality();
            if (buttons.size() == 1) okButton = box->standardButton(buttons.first());
            QTest::mouseClick(buttons.value(0), Qt::LeftButton);
        });
        ui::qt::MainWindow window; // a box owned by no window even while the main window exists
        window.show();
        ui::ShowMessage("存档目录为空，请在配置文件（config.ini）填写需要备份的目录");
        QVERIFY(visit->opened);
        QVERIFY(!visit->leftOpen);
        QCOMPARE(visit->title, QStringLiteral("信息："));
        QCOMPARE(text, QStringLiteral("存档目录为空，请在配置文件（config.ini）填写需要备份的目录"));
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(okButton, QMessageBox::Ok);
        QCOMPARE(parent, nullptr);
        QCOMPARE(modality, Qt::ApplicationModal);
    }

    void messageBoxGoesAwayWithEscapeToo() {
        auto visit = qt_test::OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        ui::ShowMessage("完成");
        QVERIFY(visit->opened);
        QVERIFY(!visit->leftOpen);
    }

    void askTextShowsTitleFieldAndTwoButtons() {
        QString fieldText, selected, confirmCaption, cancelCaption;
        int fields = -1, labels = -1, pushButtons = -1;
        bool confirmIsDefault = false, cancelIsDefault = true, fieldHasFocus = false;
        auto visit = qt_test::OnNextModal([&](QWidget* modal) {
            const auto edits = modal->findChildren<QLineEdit*>();
            fields = int(edits.size());
            labels = int(modal->findChildren<QLabel*>().size());
            pushButtons = int(modal->findChildren<QPushButton*>().size());
            if (edits.size() == 1) {
                fieldText = edits[0]->text();
                selected = edits[0]->selectedText();
                fieldHasFocus = modal->focusWidget() == edits[0];
            }
            if (QPushButton* confirm = ButtonWithText(modal, QStringLiteral("确认输入(&O)")))
                confirmIsDefault = confirm->isDefault(), confirmCaption = confirm->text();
            if (QPushButton* cancel = ButtonWithText(modal, QStringLiteral("取消(&C)")))
                cancelIsDefault = cancel->isDefault(), cancelCaption = cancel->text();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        });
        const ui::AskTextResult result = ui::AskText("请输入备注", "无备注");
        QVERIFY(visit->opened);
        QCOMPARE(visit->title, QStringLiteral("请输入备注"));
        QCOMPARE(fields, 1);
        QCOMPARE(labels, 0);
        QCOMPARE(pushButtons, 2);
        QCOMPARE(fieldText, QStringLiteral("无备注"));
        QCOMPARE(selected, QStringLiteral("无备注"));
        QVERIFY(fieldHasFocus);
        QCOMPARE(confirmCaption, QStringLiteral("确认输入(&O)"));
        QCOMPARE(cancelCaption, QStringLiteral("取消(&C)"));
        QVERIFY(confirmIsDefault);
        QVERIFY(!cancelIsDefault);
        QVERIFY(!result.confirmed);
    }

    void askTextOutcome_data() {
        QTest::addColumn<QString>("typed"); // replaces the selected initial text; empty: leave it as it is
        QTest::addColumn<bool>("clearField");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("text");
        QTest::newRow("confirm an emptied field") << QString() << true << "click confirm" << true << QString();
        QTest::newRow("confirm the initial text") << QString() << false << "click confirm" << true << "无备注";
        QTest::newRow("typing replaces the selection") << "打boss前" << false << "click confirm" << true << "打boss前";
        QTest::newRow("Enter confirms") << "存档1" << false << "Enter" << true << "存档1";
        QTest::newRow("Alt+O confirms") << "存档2" << false << "Alt+O" << true << "存档2";
        QTest::newRow("cancel button") << "丢弃" << false << "click cancel" << false << "无备注";
        QTest::newRow("Alt+C cancels") << "丢弃" << false << "Alt+C" << false << "无备注";
        QTest::newRow("Esc cancels") << "丢弃" << false << "Esc" << false << "无备注";
        QTest::newRow("closing the dialog cancels") << "丢弃" << false << "close" << false << "无备注";
    }

    void askTextOutcome() {
        QFETCH(QString, typed);
        QFETCH(bool, clearField);
        QFETCH(QString, action);
        QFETCH(bool, confirmed);
        QFETCH(QString, text);
        auto visit = qt_test::OnNextModal([&](QWidget* modal) {
            QLineEdit* field = modal->findChild<QLineEdit*>();
            if (!field) return;
            if (clearField) QTest::keyClick(field, Qt::Key_Delete);
            if (!typed.isEmpty()) {
                // Chinese text arrives from an input method, not as key strokes.
                QInputMethodEvent typing;
                typing.setCommitString(typed);
                QCoreApplication::sendEvent(field, &typing);
            }
            if (action == "click confirm") QTest::mouseClick(ButtonWithText(modal, "确认输入(&O)"), Qt::LeftButton);
            if (action == "click cancel") QTest::mouseClick(ButtonWithText(modal, "取消(&C)"), Qt::LeftButton);
            if (action == "Enter") QTest::keyClick(field, Qt::Key_Return);
            if (action == "Alt+O") QTest::keyClick(field, Qt::Key_O, Qt::AltModifier);
            if (action == "Alt+C") QTest::keyClick(field, Qt::Key_C, Qt::AltModifier);
            if (action == "Esc") QTest::keyClick(field, Qt::Key_Escape);
            if (action == "close") modal->close();
        });
        const ui::AskTextResult result = ui::AskText("请输入备注", "无备注");
        QVERIFY(visit->opened);
        QVERIFY2(!visit->leftOpen, "the action did not end the dialog");
        QCOMPARE(result.confirmed, confirmed);
        QCOMPARE(QString::fromStdString(result.text), text);
    }

    void askTextBlocksTheMainWindow() {
        ui::qt::MainWindow window;
        QVERIFY(qt_test::ShowActive(window));
        QPushButton* refresh = qt_test::ButtonOf(window, "刷新按钮");
        QObject::disconnect(refresh, &QPushButton::clicked, nullptr, nullptr);
        QSignalSpy clicks(refresh, &QPushButton::clicked);
        QWidget* parent = nullptr;
        auto visit = qt_test::OnNextModal([&](QWidget* modal) {
            parent = modal->parentWidget();
            // Through the window system, the way a user's click arrives, so that modality applies.
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, refresh->geometry().center());
            qobject_cast<QDialog*>(modal)->reject();
        });
        ui::AskText("备注", "");
        QVERIFY(visit->opened);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(parent, &window); // opens over the main window rather than wherever the screen puts it
        // The same click once the dialog is gone does reach the button, so the test can tell the two apart.
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, refresh->geometry().center());
        QCOMPARE(clicks.count(), 1);
    }

    void fatalErrorBoxIsCaptionedError() {
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        auto visit = qt_test::OnNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) return;
            text = box->text();
            icon = box->icon();
            box->accept();
        });
        ui::ShowFatalError("内存不足：无法分配 64 字节，程序将退出。");
        QVERIFY(visit->opened);
        QCOMPARE(visit->title, QStringLiteral("错误"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(text, QStringLiteral("内存不足：无法分配 64 字节，程序将退出。"));
    }
};

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
