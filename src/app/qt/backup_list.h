#pragma once
// 选择列表框1: the check list that shows the backups, and the one that ui::BackupListView works on.

#include <QListWidget>

namespace ui::qt {

class BackupList : public QListWidget {
    Q_OBJECT
public:
    // The newest list created is the one BackupListView talks to.
    explicit BackupList(QWidget* parent);

    // Height of every row: the font's standard row plus two pixels.
    int RowHeight() const;

private:
    void KeepSingleCheckMark(QListWidgetItem* changed);

    bool settingMarks_ = false;
};

} // namespace ui::qt
