#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/qt/main_window.h"
#include "app/shell.h"

int main(int argc, char** argv) {
    app::StartUp();
    QApplication application(argc, argv); // Qt reads its own options from these; the program takes none
    QGuiApplication::setDesktopFileName(QStringLiteral("save-manager"));

    // Qt's own texts (the OK of a message box, the edit field's menu) in the user's language when the
    // system has the translation.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    ui::qt::MainWindow window;
    window.Open();
    return QApplication::exec();
}
