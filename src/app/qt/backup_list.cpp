#include "app/qt/backup_list.h"

#include <QByteArray>
#include <QPointer>
#include <QStyledItemDelegate>
#include <vector>

#include "app/list_rules.h"
#include "app/ui.h"

namespace ui::qt {
namespace {

// The item keeps the exact bytes it was given: the commands rebuild a folder path from ItemText, and a
// name that is not valid UTF-8 must come back unchanged rather than as its display form.
constexpr int kTextBytesRole = Qt::UserRole;

QPointer<BackupList>& CurrentList() {
    static QPointer<BackupList> list;
    return list;
}

// Every row is as tall as the font's standard row plus two, whatever the style would pick.
class FixedRowHeightDelegate : public QStyledItemDelegate {
public:
    FixedRowHeightDelegate(BackupList* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(list_->RowHeight());
        return size;
    }

private:
    BackupList* list_;
};

AppText TextOf(const QListWidgetItem* item) {
    const QByteArray bytes = item->data(kTextBytesRole).toByteArray();
    return AppText(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

BackupList::BackupList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setUniformItemSizes(true);
    setItemDelegate(new FixedRowHeightDelegate(this));
    connect(this, &QListWidget::itemChanged, this, &BackupList::KeepSingleCheckMark);
    CurrentList() = this;
}

int BackupList::RowHeight() const { return fontMetrics().height() + 2; }

void BackupList::KeepSingleCheckMark(QListWidgetItem* changed) {
    if (settingMarks_) return;
    // The view has already toggled the box, so where the mark stood before is read off what is left:
    // a box that was just cleared held the mark itself; a box that was just ticked took it from the
    // other ticked row, if there is one.
    const int clicked = row(changed);
    int before = clicked;
    if (changed->checkState() == Qt::Checked) {
        before = -1;
        for (int i = 0; i < count(); ++i)
            if (i != clicked && item(i)->checkState() == Qt::Checked) before = i;
    }
    const int mark = app::CheckMarkAfterClick(before, clicked);
    settingMarks_ = true;
    for (int i = 0; i < count(); ++i) {
        const Qt::CheckState wanted = i == mark ? Qt::Checked : Qt::Unchecked;
        if (item(i)->checkState() != wanted) item(i)->setCheckState(wanted);
    }
    settingMarks_ = false;
}

} // namespace ui::qt

namespace ui::BackupListView {

void Clear() {
    if (auto* list = qt::CurrentList().data()) list->clear();
}

int Append(const AppText& text) {
    auto* list = qt::CurrentList().data();
    if (!list) return -1;
    auto* item = new QListWidgetItem(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    item->setData(qt::kTextBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked); // without a state Qt draws no box at all
    list->addItem(item);
    return list->count() - 1;
}

int SelectedIndex() {
    auto* list = qt::CurrentList().data();
    if (!list) return -1;
    // The highlight, not Qt's current row: the view makes a row current on focus without selecting it.
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

AppText ItemText(int index) {
    auto* list = qt::CurrentList().data();
    if (!list || index < 0 || index >= list->count()) return {};
    return qt::TextOf(list->item(index));
}

void SelectByPrefix(const AppText& prefix) {
    auto* list = qt::CurrentList().data();
    if (!list) return;
    std::vector<AppText> texts;
    texts.reserve(static_cast<std::size_t>(list->count()));
    for (int i = 0; i < list->count(); ++i) texts.push_back(qt::TextOf(list->item(i)));
    const int found = app::FindFirstItemWithPrefix(texts, prefix);
    if (found >= 0) {
        list->setCurrentRow(found, QItemSelectionModel::ClearAndSelect);
        list->scrollToItem(list->item(found));
    }
}

} // namespace ui::BackupListView
