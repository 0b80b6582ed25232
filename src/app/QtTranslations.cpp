#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace QtTranslations {

bool install(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    // "qt_ru" is the catalogue that pulls in the modules' own (qtbase_ru, ...).
    if (!translator->load(QLocale(QString::fromLatin1(kAppLanguage)), QStringLiteral("qt"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace QtTranslations
