#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vm::ui {

void loadQtTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    // "qt" gathers the catalogues of every Qt module, qtbase's dialogs among them.
    if (translator->load(QLocale(), QStringLiteral("qt"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

}  // namespace vm::ui
