#include "services/AmountInput.h"

std::optional<Decimal> parseAmountInput(const QString& text) {
    QString s = text.trimmed();
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    int i = 0;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) ++i;
    int digits = 0;
    int points = 0;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++digits;
        } else if (c == QLatin1Char('.') && points == 0) {
            ++points;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    return Decimal::parse(s);
}

std::optional<Decimal> parsePositiveAmountInput(const QString& text) {
    auto value = parseAmountInput(text);
    if (!value || value->signum() <= 0) return std::nullopt;
    return value;
}
