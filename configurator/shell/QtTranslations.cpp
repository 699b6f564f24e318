#include "configurator/shell/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace zo::configurator {

QTranslator* InstallQtTranslations(QCoreApplication& app, const QString& folder) {
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), "qtbase", "_", from) ||
        !QCoreApplication::installTranslator(translator)) {
        std::fprintf(stderr, "Qt's translations for Russian were not loaded from %s\n", from.toLocal8Bit().constData());
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace zo::configurator
