// A player's whole session in the real window, with the disk checked after every step: the first start
// in an empty folder, then backups, a restore and a delete over a real save folder.
//
// The program keeps config.ini and save/ beside its executable, so the test copies itself into a fresh
// folder and runs there; the copy is the one that opens the window. Its HOME is a fresh folder too, so
// the default save location points at nothing of the real user's.

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "app/state.h"
#include "app/ui.h"
#include "controls.h"
#include "modal.h"
#include "operations/messages.h"

using qt_test::ButtonOf;
using qt_test::ListOf;

namespace {

constexpr char kChildMarker[] = "SM_SESSION_TEST_RUN_FOLDER";

QString U8(const char* text) { return QString::fromUtf8(text); }

// ---- the disk ----

// Every file (by content) and folder (as "name/") below `folder`, hidden ones included.
using Tree = QMap<QString, QByteArray>;

Tree TreeOf(const QString& folder) {
    Tree tree;
    const QDir base(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString relative = base.relativeFilePath(info.filePath());
        if (info.isDir()) {
            tree.insert(relative + '/', {});
        } else {
            QFile file(info.filePath());
            tree.insert(relative, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
        }
    }
    return tree;
}

QString Describe(const Tree& tree) {
    QStringList lines;
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        if (it.key().endsWith('/')) {
            lines << it.key();
            continue;
        }
        // Binary content as hex, so that a NUL does not cut the report short.
        const QByteArray& bytes = it.value();
        const bool text = std::all_of(bytes.cbegin(), bytes.cend(),
                                      [](char c) { return static_cast<unsigned char>(c) >= ' ' || c == '\n'; });
        lines << it.key() + " = " + (text ? QString::fromUtf8(bytes) : "0x" + QString::fromLatin1(bytes.toHex()));
    }
    return lines.join(QStringLiteral("; "));
}

QStringList EntriesOf(const QString& folder) {
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    names.sort();
    return names;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The backups in save/ whose name is a stamp followed by `note`.
QStringList BackupsWithNote(const QString& backupRoot, const QString& note) {
    const QRegularExpression name(QStringLiteral("^\\d\\d月\\d\\d日 \\d\\d：\\d\\d：\\d\\d ") +
                                  QRegularExpression::escape(note) + '$');
    QStringList found;
    for (const QString& entry : EntriesOf(backupRoot))
        if (name.match(entry).hasMatch()) found << entry;
    return found;
}

// ---- the window ----

QStringList ListTexts(QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

QString Highlighted() {
    return QString::fromStdString(ui::BackupListView::ItemText(ui::BackupListView::SelectedIndex()));
}

// A click on the item's text (away from its check box), as a user picks a backup.
bool ClickItem(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    if (items.size() != 1) return false;
    list->scrollToItem(items.first());
    const QRect rect = list->visualItemRect(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect.right() - 20, rect.center().y()));
    return list->currentItem() == items.first() && items.first()->isSelected();
}

// What the dialogs a command opened showed, filled in while they run. Shared with the timers that drive
// them, which may outlive a failed step.
struct Dialogs {
    bool askOpened = false;
    QString askTitle;
    QString askInitialText;
    bool askLeftOpen = false;
    std::shared_ptr<qt_test::ModalVisit> message;
    QString messageText;
    int messageButtons = -1;
};

// Answers the message box that opens next with its one button, noting what it said.
void AnswerNextMessage(const std::shared_ptr<Dialogs>& dialogs) {
    dialogs->message = qt_test::OnNextModal([dialogs](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        dialogs->messageText = box->text();
        dialogs->messageButtons = int(box->buttons().size());
        QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
    });
}

// Clicks 创建备份, types `note` into the note dialog as an input method delivers Chinese, clicks
// 确认输入 and answers the message that follows.
std::shared_ptr<Dialogs> CreateBackupWithNote(ui::qt::MainWindow& window, const QString& note) {
    auto dialogs = std::make_shared<Dialogs>();
    auto ask = qt_test::OnNextModal([dialogs, note](QWidget* modal) {
        auto* field = modal->findChild<QLineEdit*>();
        QPushButton* confirm = nullptr;
        for (QPushButton* button : modal->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("确认输入(&O)")) confirm = button;
        if (!field || !confirm) return;
        dialogs->askOpened = true;
        dialogs->askTitle = modal->windowTitle();
        dialogs->askInitialText = field->text();
        QInputMethodEvent typing;
        typing.setCommitString(note);
        QCoreApplication::sendEvent(field, &typing);
        AnswerNextMessage(dialogs);
        QTest::mouseClick(confirm, Qt::LeftButton);
    });
    QTest::mouseClick(ButtonOf(window, "备份按钮"), Qt::LeftButton);
    dialogs->askLeftOpen = ask->leftOpen;
    return dialogs;
}

// Clicks `button` and answers the message it shows.
std::shared_ptr<Dialogs> ClickAndAnswer(ui::qt::MainWindow& window, const char* button) {
    auto dialogs = std::make_shared<Dialogs>();
    AnswerNextMessage(dialogs);
    QTest::mouseClick(ButtonOf(window, button), Qt::LeftButton);
    return dialogs;
}

#define VERIFY_DONE(dialogs)                                                                                           \
    do {                                                                                                               \
        QVERIFY2((dialogs)->message->opened, "no message after the command");                                          \
        QCOMPARE((dialogs)->message->title, QStringLiteral("信息："));                                                 \
        QCOMPARE((dialogs)->messageText, U8(operations::messages::kDone));                                             \
        QCOMPARE((dialogs)->messageButtons, 1);                                                                        \
    } while (false)

#define COMPARE_TREE(actual, expected)                                                                                 \
    QVERIFY2((actual) == (expected),                                                                                   \
             qPrintable(QStringLiteral("\n   got: ") + Describe(actual) + "\n  want: " + Describe(expected)))

} // namespace

class SessionTest : public QObject {
    Q_OBJECT

    QString runFolder_;  // holds this program, config.ini and save/
    QString home_;       // HOME of this process, empty at the start
    QString gameFolder_; // holds the live save folder and, during a restore, nothing else for long
    QString executableName_;

    QString BackupRoot() const { return runFolder_ + "/save"; }
    QString ConfigFile() const { return runFolder_ + "/config.ini"; }
    QString LiveSave() const { return gameFolder_ + U8("/存档 Save"); }

private slots:
    void initTestCase() {
        runFolder_ = QCoreApplication::applicationDirPath();
        executableName_ = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QVERIFY2(qEnvironmentVariable(kChildMarker) == runFolder_, "started outside its fresh run folder");
        const QString root = QFileInfo(runFolder_).absolutePath();
        home_ = root + "/home";
        gameFolder_ = root + U8("/游戏");
        QCOMPARE(qEnvironmentVariable("HOME"), home_);
        QVERIFY(QDir().mkpath(home_));
        QVERIFY(QDir().mkpath(gameFolder_));
    }

    void init() { app::State() = app::SharedState{}; }
    void cleanup() { app::State() = app::SharedState{}; }

    void firstStartInAnEmptyFolderPreparesConfigAndBackupFolder() {
        QCOMPARE(EntriesOf(runFolder_), QStringList{executableName_});
        {
            ui::qt::MainWindow window;
            window.Open();
            QVERIFY(QTest::qWaitForWindowActive(&window));

            QCOMPARE(EntriesOf(runFolder_), (QStringList{U8("config.ini"), executableName_, U8("save")}));
            QVERIFY(QFileInfo(BackupRoot()).isDir());
            QCOMPARE(EntriesOf(BackupRoot()), QStringList{});
            // The key is there for the user to fill in, with nothing in it yet.
            QString config = QString::fromUtf8(ReadFile(ConfigFile()));
            if (config.startsWith(QChar(0xFEFF))) config.remove(0, 1);
            const QStringList lines = config.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
            QCOMPARE(lines, (QStringList{U8("[参数]"), U8("存档地址=")}));
            QCOMPARE(ListOf(window)->count(), 0);

            // Nothing is at the default save location of this fresh home, so a backup asks for config.ini.
            auto dialogs = ClickAndAnswer(window, "备份按钮");
            QVERIFY(dialogs->message->opened);
            QCOMPARE(dialogs->messageText, U8(operations::messages::kSaveFolderNotFound));
            QCOMPARE(EntriesOf(BackupRoot()), QStringList{});
            QCOMPARE(EntriesOf(home_), QStringList{});
            window.close();
        }

        // A second start keeps the file as the user left it.
        const QByteArray config = ReadFile(ConfigFile());
        app::State() = app::SharedState{};
        ui::qt::MainWindow again;
        again.Open();
        QCOMPARE(ReadFile(ConfigFile()), config);
        QCOMPARE(EntriesOf(runFolder_), (QStringList{U8("config.ini"), executableName_, U8("save")}));
    }

    void backupRestoreAndDeleteOverARealSaveFolder() {
        // The save as the game left it: nested folders, an empty one, a hidden file, Chinese names.
        const Tree first{{U8("存档1.sav"), "slot one, day 3"},
                         {U8("options.ini"), "volume=7\n"},
                         {U8(".steam_sync"), "hidden"},
                         {U8("地图/"), {}},
                         {U8("地图/区域 A.dat"), QByteArray("\x00\x01\x02 map", 8)},
                         {U8("空文件夹/"), {}}};
        QVERIFY(QDir().mkpath(LiveSave() + U8("/空文件夹")));
        for (auto it = first.cbegin(); it != first.cend(); ++it)
            if (!it.key().endsWith('/')) QVERIFY(WriteFile(LiveSave() + '/' + it.key(), it.value()));
        COMPARE_TREE(TreeOf(LiveSave()), first);

        // Written before the start, by hand, as the user does: plain UTF-8.
        const QByteArray config = QByteArray("[参数]\r\n存档地址=") + LiveSave().toUtf8() + "\r\n";
        QVERIFY(WriteFile(ConfigFile(), config));
        QVERIFY(QDir().mkpath(BackupRoot()));
        for (const QString& leftover : EntriesOf(BackupRoot()))
            QVERIFY(QDir(BackupRoot() + '/' + leftover).removeRecursively());
        const QStringList runFolderEntries{U8("config.ini"), executableName_, U8("save")};

        ui::qt::MainWindow window;
        window.Open();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QListWidget* list = ListOf(window);
        QCOMPARE(list->count(), 0);

        // 1. The first backup, noted in Chinese.
        const QString firstNote = U8("打boss前");
        auto created = CreateBackupWithNote(window, firstNote);
        QVERIFY2(created->askOpened, "no note dialog after 创建备份");
        QVERIFY(!created->askLeftOpen);
        QCOMPARE(created->askTitle, U8(operations::messages::kNoteTitle));
        QCOMPARE(created->askInitialText, QString());
        VERIFY_DONE(created);
        const QStringList firstBackups = BackupsWithNote(BackupRoot(), firstNote);
        QCOMPARE(firstBackups.size(), 1);
        const QString firstBackup = firstBackups.first();
        QCOMPARE(EntriesOf(BackupRoot()), QStringList{firstBackup});
        COMPARE_TREE(TreeOf(BackupRoot() + '/' + firstBackup), first);
        COMPARE_TREE(TreeOf(LiveSave()), first);
        QCOMPARE(ListTexts(list), QStringList{firstBackup});
        QCOMPARE(EntriesOf(runFolder_), runFolderEntries); // no work folder left behind

        // 2. The game plays on; the second backup holds the new state.
        Tree second = first;
        second[U8("存档1.sav")] = "slot one, day 9";
        second.remove(U8("options.ini"));
        second[U8("存档2.sav")] = "slot two";
        QVERIFY(WriteFile(LiveSave() + U8("/存档1.sav"), second[U8("存档1.sav")]));
        QVERIFY(QFile::remove(LiveSave() + U8("/options.ini")));
        QVERIFY(WriteFile(LiveSave() + U8("/存档2.sav"), second[U8("存档2.sav")]));
        COMPARE_TREE(TreeOf(LiveSave()), second);

        const QString secondNote = U8("第二关 通关");
        created = CreateBackupWithNote(window, secondNote);
        QVERIFY(created->askOpened);
        VERIFY_DONE(created);
        const QStringList secondBackups = BackupsWithNote(BackupRoot(), secondNote);
        QCOMPARE(secondBackups.size(), 1);
        const QString secondBackup = secondBackups.first();
        QCOMPARE(EntriesOf(BackupRoot()), (QStringList{firstBackup, secondBackup}));
        COMPARE_TREE(TreeOf(BackupRoot() + '/' + secondBackup), second);
        COMPARE_TREE(TreeOf(BackupRoot() + '/' + firstBackup), first);
        QCOMPARE(list->count(), 2);
        QVERIFY(ListTexts(list).contains(firstBackup) && ListTexts(list).contains(secondBackup));
        QCOMPARE(EntriesOf(runFolder_), runFolderEntries);

        // 3. The game plays on and things go wrong.
        Tree third = second;
        third[U8("存档2.sav")] = "slot two, corrupted";
        third[U8("地图/区域 B.dat")] = "new area";
        third.remove(U8("空文件夹/"));
        QVERIFY(WriteFile(LiveSave() + U8("/存档2.sav"), third[U8("存档2.sav")]));
        QVERIFY(WriteFile(LiveSave() + U8("/地图/区域 B.dat"), third[U8("地图/区域 B.dat")]));
        QVERIFY(QDir(LiveSave()).rmdir(U8("空文件夹")));
        COMPARE_TREE(TreeOf(LiveSave()), third);

        // 4. Back to the first backup: the live save holds exactly its files, what was replaced is kept.
        QVERIFY(ClickItem(list, firstBackup));
        QCOMPARE(Highlighted(), firstBackup);
        auto restored = ClickAndAnswer(window, "恢复按钮");
        VERIFY_DONE(restored);
        COMPARE_TREE(TreeOf(LiveSave()), first);
        QCOMPARE(EntriesOf(gameFolder_), QStringList{QFileInfo(LiveSave()).fileName()});
        const QStringList autoBackups = BackupsWithNote(BackupRoot(), U8(operations::messages::kAutoBackupNote));
        QCOMPARE(autoBackups.size(), 1);
        const QString autoBackup = autoBackups.first();
        COMPARE_TREE(TreeOf(BackupRoot() + '/' + autoBackup), third);
        COMPARE_TREE(TreeOf(BackupRoot() + '/' + firstBackup), first);
        COMPARE_TREE(TreeOf(BackupRoot() + '/' + secondBackup), second);
        QStringList expectedBackups{firstBackup, secondBackup, autoBackup};
        expectedBackups.sort();
        QCOMPARE(EntriesOf(BackupRoot()), expectedBackups);
        QCOMPARE(list->count(), 3);
        for (const QString& name : expectedBackups) QVERIFY2(ListTexts(list).contains(name), qPrintable(name));
        QCOMPARE(Highlighted(), firstBackup);
        QCOMPARE(EntriesOf(runFolder_), runFolderEntries);

        // 5. Delete the second backup: it alone goes, from the disk and from the list, without a word.
        QVERIFY(ClickItem(list, secondBackup));
        auto deleted = ClickAndAnswer(window, "删除按钮");
        QVERIFY2(!deleted->message->opened, qPrintable(U8("unexpected message: ") + deleted->messageText));
        QStringList left{firstBackup, autoBackup};
        left.sort();
        QCOMPARE(EntriesOf(BackupRoot()), left);
        QStringList listed = ListTexts(list);
        listed.sort();
        QCOMPARE(listed, left);
        QCOMPARE(Highlighted(), QString()); // the deleted item took the highlight with it
        COMPARE_TREE(TreeOf(BackupRoot() + '/' + firstBackup), first);
        COMPARE_TREE(TreeOf(BackupRoot() + '/' + autoBackup), third);
        COMPARE_TREE(TreeOf(LiveSave()), first);
        QCOMPARE(EntriesOf(gameFolder_), QStringList{QFileInfo(LiveSave()).fileName()});
        QCOMPARE(EntriesOf(runFolder_), runFolderEntries);
        QCOMPARE(ReadFile(ConfigFile()), config);
        QCOMPARE(EntriesOf(home_), QStringList{});
    }
};

namespace {

// Copies this program into a fresh folder and runs the tests there, passing the arguments on.
int RunInFreshFolder(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir root;
    if (!root.isValid()) {
        qCritical("cannot make a temporary folder");
        return 1;
    }
    const QString runFolder = root.filePath(QStringLiteral("运行 目录"));
    const QString copy = runFolder + '/' + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (!QDir().mkpath(runFolder) || !QFile::copy(QCoreApplication::applicationFilePath(), copy) ||
        !QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        qCritical("cannot copy the test program into %s", qPrintable(runFolder));
        return 1;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildMarker), runFolder);
    environment.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    environment.remove(QStringLiteral("XDG_DATA_HOME"));

    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(copy, QCoreApplication::arguments().mid(1));
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit) {
        qCritical("the test program in %s did not finish: %s", qPrintable(runFolder), qPrintable(child.errorString()));
        return 1;
    }
    return child.exitCode();
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet(kChildMarker)) return RunInFreshFolder(argc, argv);
    QApplication application(argc, argv);
    SessionTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_session.moc"
