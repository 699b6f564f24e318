#pragma once
// Qt's own texts (the standard file dialogs, the buttons of message boxes and
// questions) in the program's language, Russian, from the translations that
// Qt ships, so that they match the program's own texts.

#include <QString>

class QCoreApplication;
class QTranslator;

namespace zo::configurator {

// Loads Qt's translations for the program's language from folder (Qt's own
// translations folder when empty) and installs them in the application, which
// owns the translator. Nil, with a line on stderr, when they cannot be loaded;
// Qt's texts then stay in English.
QTranslator* InstallQtTranslations(QCoreApplication& app, const QString& folder = {});

}  // namespace zo::configurator
