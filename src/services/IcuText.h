#pragma once

#include <unicode/unistr.h>

#include <QString>

// Both QString and icu::UnicodeString hold UTF-16, so text crosses between
// them without re-encoding.
inline icu::UnicodeString toIcu(const QString& text) {
    return icu::UnicodeString(reinterpret_cast<const char16_t*>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

inline QString fromIcu(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}
