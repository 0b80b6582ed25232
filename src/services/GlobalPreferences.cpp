#include "services/GlobalPreferences.h"

#include "services/CurrencyCatalog.h"
#include "services/Preferences.h"

#include <QByteArray>
#include <QtGlobal>

namespace GlobalPreferences {

namespace {

// "ru_RU.UTF-8" -> "ru_RU", "de_DE@euro" -> "de_DE"; the C locale has no
// language of its own and maps to ICU's name for it.
QString localeFromPosixName(const QByteArray& posix) {
    QString name = QString::fromLatin1(posix);
    for (const QChar stop : {u'.', u'@'}) {
        const qsizetype at = name.indexOf(stop);
        if (at >= 0) name.truncate(at);
    }
    if (name == u"C" || name == u"POSIX") return QStringLiteral("en_US_POSIX");
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

icu::Locale locale() {
    const icu::Locale made = icu::Locale::createFromName(localeIdentifier().toUtf8().constData());
    // An identifier ICU cannot even parse formats like one it does not know.
    return made.isBogus() ? icu::Locale::getRoot() : made;
}

QString systemLocaleIdentifier() {
    for (const char* variable : {"LC_ALL", "LC_MONETARY", "LANG"}) {
        const QByteArray value = qgetenv(variable);
        if (!value.isEmpty()) return localeFromPosixName(value);
    }
    return QStringLiteral("en_US_POSIX");
}

icu::Locale systemLocale() {
    const icu::Locale made = icu::Locale::createFromName(systemLocaleIdentifier().toUtf8().constData());
    return made.isBogus() ? icu::Locale::getRoot() : made;
}

}  // namespace GlobalPreferences
