#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/main_window.h"
#include "app/ui.h"

namespace ui {

AskTextResult AskText(const AppText& title, const AppText& initial) {
    QDialog dialog(qt::MainWindowOrNull(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setObjectName(QStringLiteral("AskText"));
    dialog.setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    dialog.setWindowModality(Qt::ApplicationModal);

    auto* field = new QLineEdit(QString::fromUtf8(initial.data(), static_cast<qsizetype>(initial.size())), &dialog);
    field->setMinimumWidth(300);
    field->selectAll();

    auto* confirm = new QPushButton(QStringLiteral("确认输入(&O)"), &dialog);
    auto* cancel = new QPushButton(QStringLiteral("取消(&C)"), &dialog);
    confirm->setDefault(true);
    cancel->setAutoDefault(false);
    QObject::connect(confirm, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(field);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Focus is given before the dialog is shown, so activation keeps the selection instead of
    // replacing it with a caret.
    field->setFocus();
    if (dialog.exec() != QDialog::Accepted) return {false, initial};
    return {true, field->text().toStdString()};
}

} // namespace ui
