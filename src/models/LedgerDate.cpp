#include "models/LedgerDateText.h"
#include "models/LedgerJson.h"

#include <algorithm>

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr qint64 daysFromCivil(qint64 y, int m, int d) {
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    qint64 year;
    int month;
    int day;
};

constexpr Civil civilFromDays(qint64 z) {
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

constexpr qint64 kFirstSecond = daysFromCivil(1, 1, 1) * 86400;
constexpr qint64 kLastSecond = daysFromCivil(9999, 12, 31) * 86400 + 86399;

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// Reads `count` ASCII digits at `pos`; -1 if any is not a digit.
int digitsAt(std::string_view s, std::size_t pos, int count) {
    int v = 0;
    for (int i = 0; i < count; ++i) {
        const char c = s[pos + std::size_t(i)];
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

void put(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
}

}  // namespace

namespace ledgerdate {

void write(const QDateTime& date, char* out) {
    qint64 secs = 0;
    if (date.isValid()) {
        const qint64 ms = date.toMSecsSinceEpoch();
        secs = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);  // floor: the fraction is dropped, not rounded
        secs = std::clamp(secs, kFirstSecond, kLastSecond);
    }
    const qint64 days = secs / 86400 - (secs % 86400 < 0 ? 1 : 0);
    const int inDay = int(secs - days * 86400);
    const Civil c = civilFromDays(days);
    put(out, int(c.year), 4);
    out[4] = '-';
    put(out + 5, c.month, 2);
    out[7] = '-';
    put(out + 8, c.day, 2);
    out[10] = 'T';
    put(out + 11, inDay / 3600, 2);
    out[13] = ':';
    put(out + 14, inDay / 60 % 60, 2);
    out[16] = ':';
    put(out + 17, inDay % 60, 2);
    out[19] = 'Z';
}

std::optional<qint64> parseSeconds(std::string_view s) {
    if (s.size() != 20 && s.size() != 25) return std::nullopt;
    if (s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':') return std::nullopt;
    const int year = digitsAt(s, 0, 4), month = digitsAt(s, 5, 2), day = digitsAt(s, 8, 2);
    const int hour = digitsAt(s, 11, 2), minute = digitsAt(s, 14, 2), second = digitsAt(s, 17, 2);
    if (year < 1 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return std::nullopt;
    if (day > daysInMonth(year, month)) return std::nullopt;
    qint64 offset = 0;
    if (s.size() == 20) {
        if (s[19] != 'Z') return std::nullopt;
    } else {
        if ((s[19] != '+' && s[19] != '-') || s[22] != ':') return std::nullopt;
        const int oh = digitsAt(s, 20, 2), om = digitsAt(s, 23, 2);
        if (oh < 0 || oh > 23 || om < 0 || om > 59) return std::nullopt;
        offset = (qint64(oh) * 3600 + om * 60) * (s[19] == '-' ? -1 : 1);
    }
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offset;
}

}  // namespace ledgerdate

QString formatLedgerDate(const QDateTime& date) {
    char buf[ledgerdate::kLength];
    ledgerdate::write(date, buf);
    return QString::fromLatin1(buf, ledgerdate::kLength);
}

std::optional<QDateTime> parseLedgerDate(QStringView text) {
    if (text.size() > 25) return std::nullopt;
    char buf[25];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c > 0x7f) return std::nullopt;
        buf[i] = char(c);
    }
    const auto secs = ledgerdate::parseSeconds(std::string_view(buf, std::size_t(text.size())));
    if (!secs) return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(*secs, Qt::UTC);
}
