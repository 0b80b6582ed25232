#include "services/AppGroupIni.h"

#include <QDataStream>
#include <QIODevice>
#include <QDateTime>
#include <algorithm>

namespace app_group_ini {
namespace {

const QByteArray kGeneral = QByteArrayLiteral("[General]");

bool isSectionHeader(const QByteArray& line) { return line.startsWith('['); }

QByteArray keyOf(const QByteArray& line) {
    const qsizetype equals = line.indexOf('=');
    return (equals < 0 ? line : line.left(equals)).trimmed();
}

bool isHexDigit(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

// QSettings' escaping of a value whose characters are all below 256 (number
// text, the bytes of a streamed date-time): control and high characters as
// "\xhh", a hex digit right after such an escape escaped too (it would
// otherwise read as part of it), and quotes around a value holding a separator.
QByteArray escaped(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size() * 3);
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;
    for (const char c : text) {
        const auto ch = static_cast<unsigned char>(c);
        if (ch == ';' || ch == ',' || ch == '=') needsQuotes = true;
        if (escapeNextIfDigit && isHexDigit(c)) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfDigit = false;
        switch (ch) {
        case '\0': out += "\\0"; escapeNextIfDigit = true; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\': out += '\\'; out += c; break;
        default:
            if (ch <= 0x1F || ch >= 0x7F) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeNextIfDigit = true;
            } else {
                out += c;
            }
        }
    }
    if (needsQuotes || (!out.isEmpty() && (out.front() == ' ' || out.back() == ' ')))
        out = '"' + out + '"';
    return out;
}

struct Sections {
    QList<QByteArray> before;   // lines ahead of the top-level keys (none in a file QSettings wrote)
    QList<QByteArray> general;  // the top-level key lines
    QList<QByteArray> after;    // every other section, from its header on
};

// Top-level keys are those under "[General]" or, in a file written by hand,
// ahead of the first section.
Sections split(const QByteArray& ini) {
    QList<QByteArray> lines = ini.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    Sections s;
    qsizetype start = lines.indexOf(kGeneral);
    if (start >= 0)
        s.before = lines.mid(0, start++);
    else
        start = 0;
    qsizetype end = start;
    while (end < lines.size() && !isSectionHeader(lines[end])) ++end;
    for (qsizetype i = start; i < end; ++i)
        if (!lines[i].trimmed().isEmpty()) s.general.append(lines[i]);
    s.after = lines.mid(end);
    return s;
}

}  // namespace

std::optional<QByteArray> rawValue(const QByteArray& ini, const QString& key) {
    const QByteArray wanted = key.toUtf8();
    for (const QByteArray& line : split(ini).general) {
        if (keyOf(line) != wanted) continue;
        QByteArray value = line.mid(line.indexOf('=') + 1).trimmed();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.mid(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}

QByteArray encodedValue(const QVariant& value) {
    if (value.typeId() == QMetaType::QDateTime) {
        // A date-time goes in as the bytes of its variant, streamed in the
        // form QSettings reads back as a date-time with its zone.
        QByteArray bytes;
        {
            QDataStream stream(&bytes, QIODevice::WriteOnly);
            stream.setVersion(QDataStream::Qt_5_6);
            stream << value;
        }
        return escaped("@DateTime(" + bytes + ')');
    }
    return escaped(value.toString().toUtf8());
}

QByteArray withValues(const QByteArray& ini, const std::vector<std::pair<QString, QVariant>>& values) {
    Sections s = split(ini);
    for (const auto& [key, value] : values) {
        const QByteArray name = key.toUtf8();
        const QByteArray line = name + '=' + encodedValue(value);
        const auto same = std::find_if(s.general.begin(), s.general.end(),
                                       [&](const QByteArray& l) { return keyOf(l) == name; });
        if (same != s.general.end()) {
            *same = line;
            continue;
        }
        const auto after = std::find_if(s.general.begin(), s.general.end(),
                                        [&](const QByteArray& l) { return name < keyOf(l); });
        s.general.insert(after, line);
    }

    QByteArray out;
    for (const QByteArray& line : s.before) out += line + '\n';
    out += kGeneral + '\n';
    for (const QByteArray& line : s.general) out += line + '\n';
    if (!s.after.isEmpty()) {
        if (!s.after.front().isEmpty()) out += '\n';
        for (const QByteArray& line : s.after) out += line + '\n';
    }
    return out;
}

}  // namespace app_group_ini
