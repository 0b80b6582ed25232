#include "services/GlobalPreferences.h"

#include <QByteArray>
#include <QtGlobal>
#include <algorithm>

#include "services/CurrencyCatalog.h"
#include "services/LanguageCatalog.h"
#include "services/Preferences.h"

namespace GlobalPreferences {

namespace {

// The device locale when the environment names none: the app's own language.
// The C locale is no one's language, and taking it would mix English dates
// and amounts into Russian screens.
const QString kDefaultDeviceLocale = QStringLiteral("ru_RU");

// "ru_RU.UTF-8" -> "ru_RU", "de_DE@euro" -> "de_DE"; the C locale has no
// language of its own and maps to the app's default.
QString localeFromPosixName(const QByteArray& posix) {
    QString name = QString::fromLatin1(posix);
    for (const QChar stop : {u'.', u'@'}) {
        const qsizetype at = name.indexOf(stop);
        if (at >= 0) name.truncate(at);
    }
    if (name.isEmpty() || name == u"C" || name == u"POSIX") return kDefaultDeviceLocale;
    return name;
}

}  // namespace

QString currencyCode() {
    const QString stored = Preferences::standard().string(QLatin1String(kCurrencyCodeKey));
    return CurrencyCatalog::contains(stored) ? stored : QString::fromLatin1(kDefaultCurrencyCode);
}

QString localeIdentifier() {
    const QString stored =
        Preferences::standard().string(QLatin1String(kAppLanguageKey), QString::fromLatin1(kAutoLanguage));
    return stored == QLatin1String(kAutoLanguage) ? systemLocaleIdentifier() : stored;
}

namespace {

// ICU answers a language it has no data for with the data of its default
// locale (whatever the environment held at start-up); an unknown language
// gets the root data instead, the same on every machine.
icu::Locale knownOrRoot(const QString& identifier) {
    const icu::Locale made = icu::Locale::createFromName(identifier.toUtf8().constData());
    if (made.isBogus()) return icu::Locale::getRoot();
    const QString language = QString::fromLatin1(made.getLanguage());
    const QStringList& known = LanguageCatalog::codes();
    if (!std::binary_search(known.begin(), known.end(), language)) return icu::Locale::getRoot();
    return made;
}

}  // namespace

icu::Locale locale() { return knownOrRoot(localeIdentifier()); }

QString systemLocaleIdentifier() {
    for (const char* variable : {"LC_ALL", "LC_MONETARY", "LANG"}) {
        const QByteArray value = qgetenv(variable);
        if (!value.isEmpty()) return localeFromPosixName(value);
    }
    return kDefaultDeviceLocale;
}

icu::Locale systemLocale() { return knownOrRoot(systemLocaleIdentifier()); }

}  // namespace GlobalPreferences
