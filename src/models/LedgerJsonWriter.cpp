#include "models/LedgerDateText.h"
#include "models/LedgerFields.h"
#include "models/LedgerJson.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <utility>

namespace {

// Writes the document in one pass into a byte string: two-space indent,
// "key" : value, members in ascending key order, "/" escaped, text as UTF-8.
class LedgerWriter {
public:
    std::string out;

    template <typename R>
    void record(const R& r) {
        out += '{';
        ++depth_;
        bool first = true;
        ledgerfields::fields(r, [&](const char* name, const auto& value) {
            if (!isPresent(value)) return;
            if (!first) out += ',';
            first = false;
            newline();
            out += '"';
            out += name;
            out += "\" : ";
            write(value);
        });
        --depth_;
        if (!first) newline();
        out += '}';
    }

private:
    int depth_ = 0;

    template <typename T>
    static bool isPresent(const std::optional<T>& v) {
        return v.has_value();
    }
    template <typename T>
    static bool isPresent(const T&) {
        return true;
    }

    void newline() {
        out += '\n';
        out.append(std::size_t(depth_) * 2, ' ');
    }

    template <typename T>
    void write(const std::optional<T>& v) {
        write(*v);
    }

    void write(const Decimal& d) { out += d.toStdString(); }
    void write(const QString& s) { string(s); }
    void write(bool b) { out += b ? "true" : "false"; }
    void write(qint64 n) {
        char buf[24];
        out.append(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
    }
    void write(const QDateTime& date) {
        char buf[ledgerdate::kLength + 2];
        buf[0] = '"';
        ledgerdate::write(date, buf + 1);
        buf[ledgerdate::kLength + 1] = '"';
        out.append(buf, sizeof buf);
    }
    void write(const QUuid& id) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        const QByteArray raw = id.toRfc4122();
        out += '"';
        for (int i = 0; i < 16; ++i) {
            if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
            const auto byte = static_cast<unsigned char>(raw[i]);
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
        out += '"';
    }
    template <typename E>
        requires std::is_enum_v<E>
    void write(E e) {
        string(rawValue(e));
    }

    void write(const QMap<QString, Decimal>& map) {
        if (map.isEmpty()) {
            out += "{}";
            return;
        }
        // Byte order of the UTF-8 keys, which is code point order.
        std::vector<std::pair<QByteArray, const Decimal*>> entries;
        entries.reserve(std::size_t(map.size()));
        for (auto it = map.cbegin(); it != map.cend(); ++it) entries.emplace_back(it.key().toUtf8(), &it.value());
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        out += '{';
        ++depth_;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (i > 0) out += ',';
            newline();
            string(QString::fromUtf8(entries[i].first));
            out += " : ";
            write(*entries[i].second);
        }
        --depth_;
        newline();
        out += '}';
    }

    template <typename T>
    void write(const std::vector<T>& list) {
        writeList(list);
    }
    template <typename T>
    void write(const QList<T>& list) {
        writeList(list);
    }
    template <typename List>
    void writeList(const List& list) {
        if (list.empty()) {
            out += "[]";
            return;
        }
        out += '[';
        ++depth_;
        for (decltype(list.size()) i = 0; i < list.size(); ++i) {
            if (i > 0) out += ',';
            newline();
            element(list[i]);
        }
        --depth_;
        newline();
        out += ']';
    }

    void element(const QString& s) { string(s); }
    template <typename R>
    void element(const R& r) {
        record(r);
    }

    // UTF-16 to escaped UTF-8 in one pass; a lone surrogate becomes U+FFFD.
    void string(const QString& s) {
        // Written through a pointer into room for the longest form (a UTF-16
        // unit is at most six bytes: "\u001f"; a surrogate pair four in all),
        // then cut to what was written: one size check per text, not per byte.
        const std::size_t start = out.size();
        out.resize(start + 2 + std::size_t(s.size()) * 6);
        char* w = out.data() + start;
        *w++ = '"';
        const char16_t* p = reinterpret_cast<const char16_t*>(s.utf16());
        const char16_t* end = p + s.size();
        while (p < end) {
            char32_t c = *p++;
            if (c < 0x80) {
                switch (c) {
                    case '"': *w++ = '\\'; *w++ = '"'; break;
                    case '\\': *w++ = '\\'; *w++ = '\\'; break;
                    case '/': *w++ = '\\'; *w++ = '/'; break;
                    case '\n': *w++ = '\\'; *w++ = 'n'; break;
                    case '\r': *w++ = '\\'; *w++ = 'r'; break;
                    case '\t': *w++ = '\\'; *w++ = 't'; break;
                    case '\b': *w++ = '\\'; *w++ = 'b'; break;
                    case '\f': *w++ = '\\'; *w++ = 'f'; break;
                    default:
                        if (c < 0x20) {
                            static constexpr char kHex[] = "0123456789abcdef";
                            for (const char ch : {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]}) *w++ = ch;
                        } else {
                            *w++ = char(c);
                        }
                }
                continue;
            }
            if (c >= 0xD800 && c <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(*p++) - 0xDC00);
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                c = 0xFFFD;
            }
            if (c < 0x800) {
                *w++ = char(0xC0 | (c >> 6));
                *w++ = char(0x80 | (c & 0x3F));
            } else if (c < 0x10000) {
                *w++ = char(0xE0 | (c >> 12));
                *w++ = char(0x80 | ((c >> 6) & 0x3F));
                *w++ = char(0x80 | (c & 0x3F));
            } else {
                *w++ = char(0xF0 | (c >> 18));
                *w++ = char(0x80 | ((c >> 12) & 0x3F));
                *w++ = char(0x80 | ((c >> 6) & 0x3F));
                *w++ = char(0x80 | (c & 0x3F));
            }
        }
        *w++ = '"';
        out.resize(std::size_t(w - out.data()));
    }
};

}  // namespace

QByteArray encodeMoneyData(const MoneyData& data) {
    LedgerWriter writer;
    writer.out.reserve(4096 + data.transactions.size() * 320);
    writer.record(data);
    return QByteArray(writer.out.data(), qsizetype(writer.out.size()));
}
