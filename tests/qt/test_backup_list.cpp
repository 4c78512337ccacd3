// BackupListView over the real 选择列表框1, and the check marks the user sets by hand.

#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <memory>

#include "app/ui.h"
#include "controls.h"

namespace view = ui::BackupListView;
using qt_test::ListOf;

namespace {

void Fill(const QStringList& texts) {
    view::Clear();
    for (const QString& text : texts) view::Append(text.toStdString());
}

QList<int> CheckedRows(QListWidget* list) {
    QList<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked) rows << i;
    return rows;
}

// Where the style draws the item's check box, worked out the way the delegate does when it decides
// whether a click hit the box.
QPoint CheckBoxCentre(QListWidget* list, int row) {
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.rect = list->visualItemRect(list->item(row));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = list->item(row)->text();
    option.checkState = list->item(row)->checkState();
    const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    return box.center();
}

} // namespace

class BackupListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::qt::MainWindow> window_;
    QListWidget* list_ = nullptr;

private slots:
    void init() {
        window_ = std::make_unique<ui::qt::MainWindow>();
        list_ = ListOf(*window_);
        QVERIFY(qt_test::ShowActive(*window_));
    }

    void cleanup() { window_.reset(); }

    void startsEmptyWithNothingHighlighted() {
        QCOMPARE(list_->count(), 0);
        QCOMPARE(view::SelectedIndex(), -1);
        QCOMPARE(view::ItemText(-1), AppText());
        QCOMPARE(view::ItemText(0), AppText());
    }

    void appendKeepsTheOrderItIsGiven() {
        const QStringList texts{QStringLiteral("03月07日 00：00：00 b"), QStringLiteral("02月01日 00：00：00 a"),
                                QStringLiteral("03月05日 00：00：00 c")};
        for (int i = 0; i < texts.size(); ++i) QCOMPARE(view::Append(texts[i].toStdString()), i);
        for (int i = 0; i < texts.size(); ++i) {
            QCOMPARE(QString::fromStdString(view::ItemText(i)), texts[i]);
            QCOMPARE(list_->item(i)->text(), texts[i]);
            QCOMPARE(list_->item(i)->checkState(), Qt::Unchecked);
        }
        QCOMPARE(view::ItemText(3), AppText());
        QCOMPARE(view::ItemText(-2), AppText());
        // Appending highlights nothing, and giving the list the focus makes a row current, not highlighted.
        list_->setFocus();
        QCOMPARE(view::SelectedIndex(), -1);
        QCOMPARE(view::ItemText(view::SelectedIndex()), AppText());
    }

    void itemTextGivesBackTheBytesItWasGiven() {
        // A folder name that is not UTF-8 still has to name the same folder when a command rebuilds
        // its path from the item.
        const AppText odd = "02月01日 \xff\xfe 坏名";
        view::Clear();
        view::Append(odd);
        QCOMPARE(view::ItemText(0), odd);
    }

    void clearRemovesItemsAndHighlight() {
        Fill({QStringLiteral("a"), QStringLiteral("b")});
        view::SelectByPrefix("b");
        QCOMPARE(view::SelectedIndex(), 1);
        view::Clear();
        QCOMPARE(list_->count(), 0);
        QCOMPARE(view::SelectedIndex(), -1);
        view::Append("c");
        QCOMPARE(view::SelectedIndex(), -1);
    }

    void selectByPrefix_data() {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("highlightBefore");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("highlightAfter");
        const QStringList months{QStringLiteral("02月01日 01：00：00 无备注"),
                                 QStringLiteral("03月05日 01：00：00 无备注"),
                                 QStringLiteral("03月07日 01：00：00 无备注")};
        QTest::newRow("month prefix picks the first match") << months << -1 << QStringLiteral("03月") << 1;
        QTest::newRow("match moves an existing highlight") << months << 2 << QStringLiteral("02月") << 0;
        QTest::newRow("no match keeps the highlight") << months << 2 << QStringLiteral("04月") << 2;
        QTest::newRow("no match keeps no highlight") << months << -1 << QStringLiteral("04月") << -1;
        QTest::newRow("empty prefix keeps the highlight") << months << 1 << QString() << 1;
        QTest::newRow("empty prefix keeps no highlight") << months << -1 << QString() << -1;
        QTest::newRow("whole text matches a longer item above it")
            << QStringList{QStringLiteral("03月05日 01：00：00 打boss前"), QStringLiteral("03月05日 01：00：00 打boss")}
            << -1 << QStringLiteral("03月05日 01：00：00 打boss") << 0;
        QTest::newRow("letter case is ignored")
            << QStringList{QStringLiteral("a"), QStringLiteral("02月01日 01：00：00 Boss")} << -1
            << QStringLiteral("02月01日 01：00：00 bOSS") << 1;
        QTest::newRow("prefix longer than every item") << months << 0 << (months[2] + QStringLiteral("x")) << 0;
    }

    void selectByPrefix() {
        QFETCH(QStringList, items);
        QFETCH(int, highlightBefore);
        QFETCH(QString, prefix);
        QFETCH(int, highlightAfter);
        Fill(items);
        if (highlightBefore >= 0) list_->setCurrentRow(highlightBefore);
        QCOMPARE(view::SelectedIndex(), highlightBefore);
        view::SelectByPrefix(prefix.toStdString());
        QCOMPARE(view::SelectedIndex(), highlightAfter);
        QCOMPARE(list_->selectedItems().size(), highlightAfter < 0 ? 0 : 1);
        if (highlightAfter >= 0)
            QCOMPARE(QString::fromStdString(view::ItemText(view::SelectedIndex())), items[highlightAfter]);
    }

    void selectByPrefixScrollsTheHighlightIntoView() {
        QStringList many;
        for (int i = 0; i < 40; ++i) many << QStringLiteral("%1 项").arg(i, 2, 10, QLatin1Char('0'));
        Fill(many);
        view::SelectByPrefix("37");
        QCOMPARE(view::SelectedIndex(), 37);
        QVERIFY(list_->viewport()->rect().contains(list_->visualItemRect(list_->item(37))));
    }

    void listLooksLikeACheckList() {
        Fill({QStringLiteral("a"), QStringLiteral("b")});
        QCOMPARE(list_->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!list_->isSortingEnabled());
        QCOMPARE(list_->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(list_->verticalScrollBar()->isVisible());
        QCOMPARE(list_->frameShape(), QFrame::Box);
        QCOMPARE(list_->lineWidth(), 1);
        QCOMPARE(list_->size(), QSize(376, 160)); // not shrunk to whole rows
        const int row = list_->fontMetrics().height() + 2;
        QCOMPARE(list_->visualItemRect(list_->item(0)).height(), row);
        QCOMPARE(list_->visualItemRect(list_->item(1)).top(), list_->visualItemRect(list_->item(0)).top() + row);
        QVERIFY(list_->item(0)->flags().testFlag(Qt::ItemIsUserCheckable));
        QVERIFY(!list_->item(0)->flags().testFlag(Qt::ItemIsEditable));
    }

    void userCanSelectOnlyOneItem() {
        Fill({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        const QRect second = list_->visualItemRect(list_->item(1));
        const QRect third = list_->visualItemRect(list_->item(2));
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(view::SelectedIndex(), 1);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::ControlModifier, third.center());
        QCOMPARE(list_->selectedItems().size(), 1);
        QCOMPARE(view::SelectedIndex(), 2);
        QTest::keyClick(list_, Qt::Key_Up);
        QCOMPARE(view::SelectedIndex(), 1);
    }

    void checkMarkMovesButIsNeverCleared() {
        struct Step {
            const char* what;
            int row;
            bool byKeyboard; // Space on the current row instead of a click on the box
            QList<int> marks;
        };
        const Step steps[] = {
            {"first tick sets the mark", 0, false, {0}},
            {"ticking the marked box again keeps it", 0, false, {0}},
            {"ticking another item moves the mark", 2, false, {2}},
            {"space on another item moves the mark", 1, true, {1}},
            {"space on the marked item keeps it", 1, true, {1}},
            {"a click back on the first item moves it there", 0, false, {0}},
        };
        Fill({QStringLiteral("02月01日 a"), QStringLiteral("03月05日 b"), QStringLiteral("03月07日 c")});
        for (const Step& step : steps) {
            if (step.byKeyboard) {
                list_->setCurrentRow(step.row);
                QTest::keyClick(list_, Qt::Key_Space);
            } else {
                QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, CheckBoxCentre(list_, step.row));
            }
            QVERIFY2(CheckedRows(list_) == step.marks, step.what);
        }
    }

    void clickOnTheTextHighlightsWithoutTicking() {
        Fill({QStringLiteral("02月01日 a"), QStringLiteral("03月05日 b")});
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, CheckBoxCentre(list_, 0));
        const QRect text = list_->visualItemRect(list_->item(1));
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, QPoint(text.right() - 20, text.center().y()));
        QCOMPARE(CheckedRows(list_), QList<int>{0});
        QCOMPARE(view::SelectedIndex(), 1);
        // Double-clicking is no edit and no command either.
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, QPoint(text.right() - 20, text.center().y()));
        QCOMPARE(CheckedRows(list_), QList<int>{0});
        QCOMPARE(list_->item(1)->text(), QStringLiteral("03月05日 b"));
    }

    void refillingStartsWithoutMarks() {
        Fill({QStringLiteral("a"), QStringLiteral("b")});
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, CheckBoxCentre(list_, 1));
        QCOMPARE(CheckedRows(list_), QList<int>{1});
        Fill({QStringLiteral("a"), QStringLiteral("b")});
        QCOMPARE(CheckedRows(list_), QList<int>{});
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, CheckBoxCentre(list_, 0));
        QCOMPARE(CheckedRows(list_), QList<int>{0});
    }
};

QTEST_MAIN(BackupListTest)
#include "test_backup_list.moc"
