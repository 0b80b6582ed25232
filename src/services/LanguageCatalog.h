#pragma once

#include <QStringList>

// The languages the language pickers offer ("auto" is offered separately).
namespace LanguageCatalog {

// The language code of every ICU locale ("en", "ru", "zh", ...); no
// duplicates, ascending, never "auto". Built on first use (safe from any
// thread) and kept for the life of the process.
const QStringList& codes();

}  // namespace LanguageCatalog
