#include "models/LedgerDateText.h"
#include "models/LedgerFields.h"
#include "models/LedgerJson.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <string>
#include <utility>

namespace {

// Writes the document in one pass into a byte string: two-space indent,
// "key" : value, members in ascending key order, "/" escaped, text as UTF-8.
class LedgerWriter {
public:
    std::string out;

    LedgerWriter() = default;
    // Starts at an indent depth, for a record written alone that is later put
    // in its place in the document.
    explicit LedgerWriter(int depth) : depth_(depth) {}

    // Set: the ledger's transactions are left out, their place remembered in
    // transactionsAt, for the caller to put encoded records there.
    bool spliceTransactions = false;
    std::size_t transactionsAt = 0;

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
    void write(const std::vector<MoneyTransaction>& list) {
        if (spliceTransactions) {
            transactionsAt = out.size();
            return;
        }
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

namespace {

// A transaction's record as it stands in the document: inside the ledger's
// object and the transactions' list, so at depth 2.
constexpr int kTransactionDepth = 2;
constexpr std::string_view kTransactionSeparator = "\n    ";  // newline, then depth 2
constexpr std::string_view kTransactionsEnd = "\n  ]";       // newline at depth 1, then "]"
// How far past the expected place a record is looked for before the whole
// previous list is indexed (a few records deleted together).
constexpr std::size_t kLookAhead = 16;

std::string encodeTransaction(const MoneyTransaction& t) {
    LedgerWriter writer(kTransactionDepth);
    writer.out.reserve(400);
    writer.record(t);
    return std::move(writer.out);
}

}  // namespace

void LedgerEncoder::clear() {
    entries_.clear();
    out_.clear();
    head_.clear();
    outValid_ = false;
    reencoded_ = 0;
}

std::size_t LedgerEncoder::reuse(const MoneyTransaction& t, Window& old) {
    constexpr std::size_t kNone = std::size_t(-1);
    if (old.left == 0) return kNone;  // every kept record is placed: t is new
    std::size_t at = kNone;
    const std::size_t ahead = std::min(old.end, old.cursor + kLookAhead);
    for (std::size_t i = old.cursor; i < ahead; ++i) {
        if (!old.taken[i - old.begin] && entries_[i].record.id == t.id) {
            at = i;
            break;
        }
    }
    if (at == kNone) {
        if (!old.index) {
            old.index.emplace();
            old.index->reserve(qsizetype(old.end - old.begin));
            // The first of equal ids wins, as a walk from the front finds it.
            for (std::size_t i = old.end; i-- > old.begin;) old.index->insert(entries_[i].record.id, i);
        }
        const auto found = old.index->constFind(t.id);
        if (found == old.index->cend() || old.taken[*found - old.begin]) return kNone;
        at = *found;
    }
    // Kept bytes are only ever those of an equal record: anything that
    // differs in any field is encoded again.
    if (!(entries_[at].record == t)) return kNone;
    old.taken[at - old.begin] = true;
    --old.left;
    old.cursor = at + 1;
    return at;
}

void LedgerEncoder::update(const std::vector<MoneyTransaction>& list) {
    // The records equal at both ends stay where they are; only the part
    // between them is matched record by record.
    const std::size_t shorter = std::min(entries_.size(), list.size());
    std::size_t prefix = 0;
    while (prefix < shorter && entries_[prefix].record == list[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix &&
           entries_[entries_.size() - 1 - suffix].record == list[list.size() - 1 - suffix])
        ++suffix;
    prefix_ = prefix;

    Window old{prefix, entries_.size() - suffix, prefix};
    old.taken.assign(old.end - old.begin, false);
    old.left = old.end - old.begin;
    std::vector<Entry> middle;
    middle.reserve(list.size() - suffix - prefix);
    try {
        for (std::size_t i = prefix; i < list.size() - suffix; ++i) {
            const std::size_t at = reuse(list[i], old);
            if (at != std::size_t(-1)) {
                middle.push_back(std::move(entries_[at]));
            } else {
                middle.push_back(Entry{list[i], encodeTransaction(list[i])});
                ++reencoded_;
            }
        }
    } catch (...) {
        // Some kept entries are moved out: none may be compared again.
        clear();
        throw;
    }
    const auto from = entries_.begin() + std::ptrdiff_t(old.begin);
    if (middle.size() == old.end - old.begin) {
        std::move(middle.begin(), middle.end(), from);
    } else {
        entries_.erase(from, entries_.begin() + std::ptrdiff_t(old.end));
        entries_.insert(entries_.begin() + std::ptrdiff_t(old.begin), std::make_move_iterator(middle.begin()),
                        std::make_move_iterator(middle.end()));
    }
}

QByteArray LedgerEncoder::encode(const MoneyData& data) {
    LedgerWriter writer;
    writer.spliceTransactions = true;
    writer.out.reserve(4096);
    writer.record(data);
    const std::string_view rest = writer.out;
    const std::string_view head = rest.substr(0, writer.transactionsAt);

    reencoded_ = 0;
    update(data.transactions);

    // The list: "[]" when empty, else "[" then each record on its own line
    // after a comma (none before the first), then the closing line.
    std::size_t listEnd = head.size() + 1;  // just after the "[" (or the "[]")
    std::size_t unchanged = 0;              // the bytes before the first changed record
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        listEnd += (i > 0 ? 1 : 0) + kTransactionSeparator.size() + entries_[i].bytes.size();
        if (i + 1 == prefix_) unchanged = listEnd;
    }
    listEnd += entries_.empty() ? 1 : kTransactionsEnd.size();
    const std::size_t total = listEnd + (rest.size() - head.size());

    // The previous document's bytes are kept too: what comes before the first
    // changed record is already in place when the head is the same.
    if (!outValid_ || head != head_ || prefix_ == 0 || !out_.isDetached()) unchanged = 0;
    outValid_ = false;
    if (unchanged == 0) out_ = QByteArray();
    if (std::size_t(out_.capacity()) < total) out_.reserve(qsizetype(total + total / 16));
    out_.resize(qsizetype(total));
    char* w = out_.data() + unchanged;
    const auto put = [&w](std::string_view part) {
        std::memcpy(w, part.data(), part.size());
        w += part.size();
    };
    if (unchanged == 0) put(head);
    if (entries_.empty()) {
        put("[]");
    } else {
        if (unchanged == 0) put("[");
        for (std::size_t i = unchanged == 0 ? 0 : prefix_; i < entries_.size(); ++i) {
            if (i > 0) put(",");
            put(kTransactionSeparator);
            put(entries_[i].bytes);
        }
        put(kTransactionsEnd);
    }
    put(rest.substr(writer.transactionsAt));
    Q_ASSERT(w == out_.data() + out_.size());
    head_.assign(head);
    outValid_ = true;
    return out_;
}
