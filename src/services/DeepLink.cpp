#include "services/DeepLink.h"

#include <QUrl>

namespace deep_link {

namespace {

bool isSchemeStart(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isSchemeChar(QChar c) {
    return isSchemeStart(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// Length of "scheme:" at the start of the text, 0 when there is none.
qsizetype schemePrefixLength(const QString& text) {
    if (text.isEmpty() || !isSchemeStart(text.front())) return 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i] == u':') return i + 1;
        if (!isSchemeChar(text[i])) return 0;
    }
    return 0;
}

}  // namespace

std::optional<QString> host(const QString& url) {
    const qsizetype schemeEnd = schemePrefixLength(url);
    if (schemeEnd == 0 || !QStringView(url).mid(schemeEnd).startsWith(u"//")) return std::nullopt;

    const qsizetype authorityStart = schemeEnd + 2;
    qsizetype authorityEnd = url.size();
    for (qsizetype i = authorityStart; i < url.size(); ++i) {
        if (url[i] == u'/' || url[i] == u'?' || url[i] == u'#') {
            authorityEnd = i;
            break;
        }
    }
    QStringView authority = QStringView(url).mid(authorityStart, authorityEnd - authorityStart);
    if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0) authority = authority.mid(at + 1);

    QStringView hostText = authority;
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        hostText = close < 0 ? authority : authority.left(close + 1);
    } else if (const qsizetype colon = authority.lastIndexOf(u':'); colon >= 0) {
        hostText = authority.left(colon);
    }
    if (hostText.isEmpty()) return std::nullopt;
    return QUrl::fromPercentEncoding(hostText.toUtf8());
}

MoneyDestination destination(const QString& url) {
    const std::optional<QString> name = host(url);
    if (!name) return MoneyDestination::dashboard;
    if (*name == u"add-expense") return MoneyDestination::expense;
    if (*name == u"add-income") return MoneyDestination::income;
    if (*name == u"planner") return MoneyDestination::planner;
    if (*name == u"calendar") return MoneyDestination::calendar;
    return MoneyDestination::dashboard;
}

}  // namespace deep_link
