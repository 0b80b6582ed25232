#include "models/LedgerDateText.h"
#include "models/JsonTextCache.h"
#include "models/LedgerFields.h"
#include "models/LedgerJson.h"
#include "LegacyLedgerReader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The ledger reader as it was before it moved to simdjson, kept for the fuzz
// target to hold the new one to the same results on every input. It maps
// nlohmann's SAX events straight onto the records, with no document tree in
// between. A stack of frames follows the nesting; each frame
// knows the record, list or map it fills. The first violation stops the parse.

namespace {

using ledgerfields::IsOptional;

// Containers deeper than any real document are refused early; the parser
// itself keeps no recursion, but nothing in a ledger nests this far.
constexpr std::size_t kMaxDepth = 64;

// Short texts share one QString, as in the reader that replaced this one.
using TextCache = JsonTextCache;

struct Scalar {
    enum class Type { null, boolean, integer, unsignedInteger, number, string } type;
    bool boolean = false;
    std::int64_t integer = 0;
    std::uint64_t unsignedInteger = 0;
    std::string_view text;         // number or string
    TextCache* texts = nullptr;    // for strings
};

struct Frame;
struct FrameOps {
    bool (*key)(Frame&, std::string_view);
    bool (*scalar)(Frame&, const Scalar&);
    bool (*start)(Frame&, bool isObject, Frame& child);
    bool (*end)(Frame&);
};

struct Frame {
    const FrameOps* ops = nullptr;
    void* target = nullptr;
    std::uint32_t seen = 0;   // object frames: fields read so far
    int field = -1;           // object frames: field of the pending value; kUnknownKey to skip it
    std::string key;          // map frames: key of the pending value
    std::string error;        // filled by the failing operation
};
constexpr int kUnknownKey = -2;

// --- scalars into fields ---------------------------------------------------

bool readScalar(Decimal& d, const Scalar& s) {
    std::optional<Decimal> v;
    if (s.type == Scalar::Type::integer) {
        v = Decimal(static_cast<long long>(s.integer));
    } else if (s.type == Scalar::Type::unsignedInteger) {
        char buf[24];
        v = Decimal::parse(std::string_view(buf, std::size_t(std::to_chars(buf, buf + 24, s.unsignedInteger).ptr - buf)));
    } else if (s.type == Scalar::Type::number) {
        // The lexer writes the C locale's decimal point into the token; undo that.
        if (s.text.find(',') != std::string_view::npos) {
            std::string copy(s.text);
            std::replace(copy.begin(), copy.end(), ',', '.');
            v = Decimal::parse(std::string_view(copy));
        } else {
            v = Decimal::parse(s.text);
        }
    }
    if (!v) return false;
    d = *v;
    return true;
}

bool readScalar(QString& str, const Scalar& s) {
    if (s.type != Scalar::Type::string) return false;
    str = s.texts->get(s.text);
    return true;
}

bool readScalar(QDateTime& date, const Scalar& s) {
    if (s.type != Scalar::Type::string) return false;
    const auto secs = ledgerdate::parseSeconds(s.text);
    if (!secs) return false;
    date = QDateTime::fromSecsSinceEpoch(*secs, Qt::UTC);
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The canonical 8-4-4-4-12 form, either case.
bool readScalar(QUuid& id, const Scalar& s) {
    if (s.type != Scalar::Type::string || s.text.size() != 36) return false;
    std::uint8_t bytes[16];
    int n = 0;
    for (std::size_t i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (s.text[i] != '-') return false;
            ++i;
            continue;
        }
        const int hi = hexValue(s.text[i]), lo = hexValue(s.text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes[n++] = std::uint8_t(hi << 4 | lo);
        i += 2;
    }
    id = QUuid::fromRfc4122(QByteArrayView(reinterpret_cast<const char*>(bytes), 16));
    return true;
}

bool readScalar(qint64& n, const Scalar& s) {
    if (s.type == Scalar::Type::integer) {
        n = s.integer;
        return true;
    }
    if (s.type == Scalar::Type::unsignedInteger && s.unsignedInteger <= std::uint64_t(INT64_MAX)) {
        n = qint64(s.unsignedInteger);
        return true;
    }
    // Like the platform's decoder, a number such as 3.0 or 1e2 is accepted when
    // its value is a whole number within 64 bits; 1.5 is not.
    Decimal d;
    if (s.type != Scalar::Type::number || !readScalar(d, s) || d.exponent() < 0) return false;
    const long long value = d.toInt64Saturated();
    if (Decimal(value) != d) return false;
    n = value;
    return true;
}

bool readScalar(bool& b, const Scalar& s) {
    if (s.type != Scalar::Type::boolean) return false;
    b = s.boolean;
    return true;
}

template <typename E>
const std::vector<E>& allCases();
template <>
const std::vector<TransactionKind>& allCases() { return allTransactionKinds(); }
template <>
const std::vector<DebtDirection>& allCases() { return allDebtDirections(); }
template <>
const std::vector<ChallengeKind>& allCases() { return allChallengeKinds(); }
template <>
const std::vector<RecurringFrequency>& allCases() { return allRecurringFrequencies(); }

template <typename E>
    requires std::is_enum_v<E>
bool readScalar(E& e, const Scalar& s) {
    static const std::vector<std::pair<E, std::string>> table = [] {
        std::vector<std::pair<E, std::string>> t;
        for (E c : allCases<E>()) t.emplace_back(c, rawValue(c).toStdString());
        return t;
    }();
    if (s.type != Scalar::Type::string) return false;
    for (const auto& [value, raw] : table) {
        if (s.text == raw) {
            e = value;
            return true;
        }
    }
    return false;
}

template <typename T>
bool readScalar(std::optional<T>& opt, const Scalar& s) {
    if (s.type == Scalar::Type::null) {
        opt.reset();
        return true;
    }
    T value{};
    if (!readScalar(value, s)) return false;
    opt = std::move(value);
    return true;
}

// Records, lists and maps are never scalars.
template <typename T>
bool readScalar(T&, const Scalar&) {
    return false;
}

// --- containers ------------------------------------------------------------

template <typename T>
struct ListOps;
template <typename R>
struct RecordOps;
struct MapOps;
struct SkipOps;

template <typename T>
bool startField(std::vector<T>& list, bool isObject, Frame& child);
bool startField(QStringList& list, bool isObject, Frame& child);
bool startField(QMap<QString, Decimal>& map, bool isObject, Frame& child);
template <typename T>
bool startField(std::optional<T>& opt, bool isObject, Frame& child) {
    opt.emplace();
    return startField(*opt, isObject, child);
}
template <typename T>
bool startField(T&, bool, Frame&) {
    return false;
}

template <typename T>
bool startElement(std::vector<T>& list, bool isObject, Frame& child);

struct SkipOps {
    static bool key(Frame&, std::string_view) { return true; }
    static bool scalar(Frame&, const Scalar&) { return true; }
    static bool start(Frame&, bool, Frame& child) {
        child.ops = &ops;
        return true;
    }
    static bool end(Frame&) { return true; }
    static constexpr FrameOps ops{key, scalar, start, end};
};

template <typename L>
struct ListOps {
    static bool key(Frame&, std::string_view) { return false; }
    static bool scalar(Frame& f, const Scalar& s) {
        auto& list = *static_cast<L*>(f.target);
        typename L::value_type value{};
        if (!readScalar(value, s)) {
            f.error = "wrong value in a list";
            return false;
        }
        list.push_back(std::move(value));
        return true;
    }
    static bool start(Frame& f, bool isObject, Frame& child) {
        if constexpr (!std::is_same_v<L, QStringList>) {
            if (startElement(*static_cast<L*>(f.target), isObject, child)) return true;
        }
        f.error = "wrong value in a list";
        return false;
    }
    static bool end(Frame&) { return true; }
    static constexpr FrameOps ops{key, scalar, start, end};
};

struct MapOps {
    static bool key(Frame& f, std::string_view k) {
        f.key.assign(k);
        return true;
    }
    static bool scalar(Frame& f, const Scalar& s) {
        Decimal d;
        if (!readScalar(d, s)) {
            f.error = "category budget is not a number";
            return false;
        }
        static_cast<QMap<QString, Decimal>*>(f.target)->insert(QString::fromStdString(f.key), d);
        return true;
    }
    static bool start(Frame& f, bool, Frame&) {
        f.error = "category budget is not a number";
        return false;
    }
    static bool end(Frame&) { return true; }
    static constexpr FrameOps ops{key, scalar, start, end};
};

template <typename R>
struct RecordOps {
    struct Layout {
        std::vector<std::string_view> names;
        std::uint32_t required = 0;
    };
    static const Layout& layout() {
        static const Layout l = [] {
            Layout out;
            R probe{};
            ledgerfields::fields(probe, [&](const char* name, auto& field) {
                if (!IsOptional<std::remove_cvref_t<decltype(field)>>::value)
                    out.required |= std::uint32_t(1) << out.names.size();
                out.names.emplace_back(name);
            });
            return out;
        }();
        return l;
    }

    // Calls fn on the field at `index`.
    template <typename Fn>
    static bool onField(R& r, int index, Fn&& fn) {
        int i = 0;
        bool result = false;
        ledgerfields::fields(r, [&](const char*, auto& field) {
            if (i++ == index) result = fn(field);
        });
        return result;
    }

    static bool key(Frame& f, std::string_view k) {
        const auto& names = layout().names;
        f.field = kUnknownKey;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == k) {
                f.field = int(i);
                break;
            }
        }
        return true;
    }

    static bool fail(Frame& f, const char* what) {
        f.error = std::string(what) + " '" + std::string(layout().names[std::size_t(f.field)]) + "' in " +
                  ledgerfields::recordName(static_cast<R*>(nullptr));
        return false;
    }

    static bool scalar(Frame& f, const Scalar& s) {
        if (f.field == kUnknownKey) return true;
        const bool ok = onField(*static_cast<R*>(f.target), f.field,
                                [&](auto& field) { return readScalar(field, s); });
        if (!ok) return fail(f, s.type == Scalar::Type::null ? "null for required key" : "wrong value for key");
        f.seen |= std::uint32_t(1) << f.field;
        return true;
    }

    static bool start(Frame& f, bool isObject, Frame& child) {
        if (f.field == kUnknownKey) {
            child.ops = &SkipOps::ops;
            return true;
        }
        const bool ok = onField(*static_cast<R*>(f.target), f.field,
                                [&](auto& field) { return startField(field, isObject, child); });
        if (!ok) return fail(f, "wrong value for key");
        f.seen |= std::uint32_t(1) << f.field;
        return true;
    }

    static bool end(Frame& f) {
        const std::uint32_t missing = layout().required & ~f.seen;
        if (missing == 0) return true;
        f.field = std::countr_zero(missing);
        return fail(f, "missing key");
    }

    static constexpr FrameOps ops{key, scalar, start, end};
};

template <typename T>
bool startField(std::vector<T>& list, bool isObject, Frame& child) {
    if (isObject) return false;
    list.clear();
    child.ops = &ListOps<std::vector<T>>::ops;
    child.target = &list;
    return true;
}

bool startField(QStringList& list, bool isObject, Frame& child) {
    if (isObject) return false;
    list.clear();
    child.ops = &ListOps<QStringList>::ops;
    child.target = &list;
    return true;
}

bool startField(QMap<QString, Decimal>& map, bool isObject, Frame& child) {
    if (!isObject) return false;
    map.clear();
    child.ops = &MapOps::ops;
    child.target = &map;
    return true;
}

template <typename T>
bool startElement(std::vector<T>& list, bool isObject, Frame& child) {
    if constexpr (std::is_same_v<T, QString>) {
        return false;
    } else {
        if (!isObject) return false;
        // The frame points into the list; nothing is appended to it while the
        // element's own frame is open.
        child.ops = &RecordOps<T>::ops;
        child.target = &list.emplace_back();
        return true;
    }
}

// --- the SAX handler -------------------------------------------------------

class LedgerSax {
public:
    explicit LedgerSax(MoneyData& out) : out_(out) { stack_.reserve(8); }

    std::string error;

    bool null() { return scalar({Scalar::Type::null}); }
    bool boolean(bool b) {
        Scalar s{Scalar::Type::boolean};
        s.boolean = b;
        return scalar(s);
    }
    bool number_integer(std::int64_t n) {
        Scalar s{Scalar::Type::integer};
        s.integer = n;
        return scalar(s);
    }
    bool number_unsigned(std::uint64_t n) {
        Scalar s{Scalar::Type::unsignedInteger};
        s.unsignedInteger = n;
        return scalar(s);
    }
    bool number_float(double, const std::string& text) {
        Scalar s{Scalar::Type::number};
        s.text = text;
        return scalar(s);
    }
    bool string(std::string& text) {
        Scalar s{Scalar::Type::string};
        s.text = text;
        s.texts = &texts_;
        return scalar(s);
    }
    bool binary(nlohmann::json::binary_t&) { return fail("unexpected binary value"); }

    bool start_object(std::size_t) { return start(true); }
    bool start_array(std::size_t) { return start(false); }
    bool end_object() { return end(); }
    bool end_array() { return end(); }

    bool key(std::string& k) {
        Frame& f = stack_.back();
        if (!f.ops->key(f, k)) return fail(f.error.empty() ? "unexpected key" : f.error);
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
        return fail(e.what());
    }

private:
    MoneyData& out_;
    std::vector<Frame> stack_;
    TextCache texts_;

    bool fail(std::string message) {
        if (error.empty()) error = std::move(message);
        return false;
    }

    bool scalar(const Scalar& s) {
        if (stack_.empty()) return fail("the document is not a JSON object");
        Frame& f = stack_.back();
        if (!f.ops->scalar(f, s)) return fail(f.error);
        return true;
    }

    bool start(bool isObject) {
        if (stack_.empty()) {
            if (!isObject) return fail("the document is not a JSON object");
            Frame root;
            root.ops = &RecordOps<MoneyData>::ops;
            root.target = &out_;
            stack_.push_back(std::move(root));
            return true;
        }
        if (stack_.size() >= kMaxDepth) return fail("nested too deeply");
        Frame child;
        Frame& parent = stack_.back();
        if (!parent.ops->start(parent, isObject, child)) return fail(parent.error);
        stack_.push_back(std::move(child));
        return true;
    }

    bool end() {
        Frame& f = stack_.back();
        if (!f.ops->end(f)) return fail(f.error);
        stack_.pop_back();
        return true;
    }
};

}  // namespace

std::optional<MoneyData> decodeMoneyDataLegacy(QByteArrayView bytes, LedgerDecodeError* error) {
    MoneyData data;
    LedgerSax sax(data);
    bool ok = false;
    try {
        const char* begin = bytes.data();
        ok = nlohmann::json::sax_parse(begin, begin + bytes.size(), &sax, nlohmann::json::input_format_t::json,
                                       /*strict=*/true, /*ignore_comments=*/false);
    } catch (const std::exception& e) {
        ok = false;
        if (sax.error.empty()) sax.error = e.what();
    }
    if (!ok) {
        if (error) error->message = QString::fromStdString(sax.error.empty() ? "unreadable document" : sax.error);
        return std::nullopt;
    }
    return data;
}
