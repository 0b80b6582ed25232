#pragma once

class QCoreApplication;

// Qt's own texts (file dialogs, the command line's help and errors, the
// context menus of text fields) in the app's language, which is Russian
// whatever the desktop's locale: every text of the app itself is Russian.
namespace QtTranslations {

inline constexpr const char* kAppLanguage = "ru";

// Loads Qt's translations for the app's language (Debian's
// qt6-translations-l10n) into the application; false when none are installed,
// and Qt's texts stay English.
bool install(QCoreApplication& app);

}  // namespace QtTranslations
