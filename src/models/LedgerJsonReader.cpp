#include <simdjson.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "models/JsonTokens.h"
#include "models/JsonTextCache.h"
#include "models/LedgerDateText.h"
#include "models/LedgerFields.h"
#include "models/LedgerJson.h"

// The reader walks simdjson's On-Demand iterator straight into the records,
// with no document tree in between. simdjson checks the structure, UTF-8 and
// escapes as it goes; what it lets through that a strict JSON reader must not
// (values it never looks at, number forms, lone surrogates in \u escapes,
// content after the document, nesting depth) is checked here. Every value is
// visited, including those under ignored keys, so the whole document is
// validated before anything is accepted. Numbers are taken as their text, so a
// decimal never passes through a double.

namespace {

namespace od = simdjson::ondemand;
using ledgerfields::IsOptional;

// Containers deeper than any real document are refused early: the walk below
// recurses once per level, and nothing in a ledger nests this far.
constexpr int kMaxDepth = 64;

using jsontokens::hexValue;
using jsontokens::numberTokenIsSound;
using jsontokens::soundStringEnd;

template <typename E>
const std::vector<E>& allCases();
template <>
const std::vector<TransactionKind>& allCases() {
    return allTransactionKinds();
}
template <>
const std::vector<DebtDirection>& allCases() {
    return allDebtDirections();
}
template <>
const std::vector<ChallengeKind>& allCases() {
    return allChallengeKinds();
}
template <>
const std::vector<RecurringFrequency>& allCases() {
    return allRecurringFrequencies();
}

template <typename R>
struct RecordLayout {
    std::vector<std::string_view> names;
    std::uint32_t required = 0;
    // Written documents sort their keys: the field whose name comes first, and
    // after each field the one whose name follows it (a search starts there).
    std::size_t first = 0;
    std::vector<std::size_t> after;

    static const RecordLayout& get() {
        static const RecordLayout l = [] {
            RecordLayout out;
            R probe{};
            ledgerfields::fields(probe, [&](const char* name, auto& field) {
                if (!IsOptional<std::remove_cvref_t<decltype(field)>>::value)
                    out.required |= std::uint32_t(1) << out.names.size();
                out.names.emplace_back(name);
            });
            std::vector<std::size_t> order(out.names.size());
            for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
            std::sort(order.begin(), order.end(),
                      [&](std::size_t a, std::size_t b) { return out.names[a] < out.names[b]; });
            out.after.assign(order.size(), 0);
            if (!order.empty()) out.first = order.front();
            for (std::size_t k = 0; k + 1 < order.size(); ++k) out.after[order[k]] = order[k + 1];
            return out;
        }();
        return l;
    }

    int indexOf(std::string_view key, std::size_t from) const {
        const std::size_t n = names.size();
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = (from + k) % n;
            if (names[i] == key) return int(i);
        }
        return -1;
    }
};

class LedgerReader {
public:
    std::string error;

    bool readDocument(od::document& doc, MoneyData& out) {
        od::json_type type{};
        if (!check(doc.type().get(type))) return false;
        if (type != od::json_type::object) return fail("the document is not a JSON object");
        od::object root;
        if (!check(doc.get_object().get(root))) return false;
        depth_ = 1;
        if (!readRecord(root, out)) return false;
        // Anything but whitespace after the object is a second value.
        if (!doc.current_location().error()) return fail("content after the document");
        return true;
    }

private:
    JsonTextCache texts_;
    int depth_ = 0;

    bool fail(std::string message) {
        if (error.empty()) error = std::move(message);
        return false;
    }
    bool check(simdjson::error_code code) {
        return code == simdjson::SUCCESS || fail(simdjson::error_message(code));
    }

    bool typeOf(od::value& v, od::json_type& type) { return check(v.type().get(type)); }

    bool enter() {
        if (depth_ >= kMaxDepth) return fail("nested too deeply");
        ++depth_;
        return true;
    }

    // --- scalars -----------------------------------------------------------

    // The number's own text, checked; false for anything but a sound number.
    bool numberText(od::value& v, std::string_view& text) {
        od::json_type type{};
        if (!typeOf(v, type) || type != od::json_type::number) return false;
        text = v.raw_json_token();
        while (!text.empty() &&
               (text.back() == ' ' || text.back() == '\n' || text.back() == '\r' || text.back() == '\t'))
            text.remove_suffix(1);
        if (!numberTokenIsSound(text)) return fail("malformed number");
        // Step the iterator over the value too: one it passes by itself is
        // passed by depth alone, so a colon or a comma out of place behind it
        // would go unnoticed.
        double stepped = 0;
        return check(v.get_double().get(stepped));
    }

    bool stringText(od::value& v, std::string_view& text) {
        od::json_type type{};
        if (!typeOf(v, type) || type != od::json_type::string) return false;
        const char* raw = v.raw_json_token().data() + 1;
        bool escaped = false;
        const char* end = soundStringEnd(raw, escaped);
        if (!end) return fail("malformed text");
        // Like a key, a text without escapes is its own bytes (UTF-8 already
        // checked): nothing to unescape or copy. The iterator is still
        // stepped over it, for the reason numbers are.
        if (!escaped) {
            text = std::string_view(raw, std::size_t(end - raw));
            od::raw_json_string stepped;
            return check(v.get_raw_json_string().get(stepped));
        }
        return check(v.get_string().get(text));
    }

    bool readNull(od::value& v) {
        bool isNull = false;
        return check(v.is_null().get(isNull)) && (isNull || fail("malformed null"));
    }

    bool read(od::value& v, Decimal& d) {
        std::string_view text;
        if (!numberText(v, text)) return false;
        const auto value = Decimal::parse(text);
        if (!value) return fail("number out of range");
        d = *value;
        return true;
    }

    bool read(od::value& v, qint64& n) {
        std::string_view text;
        if (!numberText(v, text)) return false;
        const char* end = text.data() + text.size();
        if (const auto r = std::from_chars(text.data(), end, n); r.ec == std::errc() && r.ptr == end)
            return true;
        // Like the platform's decoder, a number such as 3.0 or 1e2 is accepted when
        // its value is a whole number within 64 bits; 1.5 is not.
        const auto d = Decimal::parse(text);
        if (!d || d->exponent() < 0) return false;
        const long long value = d->toInt64Saturated();
        if (Decimal(value) != *d) return false;
        n = value;
        return true;
    }

    bool read(od::value& v, QString& s) {
        std::string_view text;
        if (!stringText(v, text)) return false;
        s = texts_.get(text);
        return true;
    }

    bool read(od::value& v, QDateTime& date) {
        std::string_view text;
        if (!stringText(v, text)) return false;
        const auto secs = ledgerdate::parseSeconds(text);
        if (!secs) return false;
        date = QDateTime::fromSecsSinceEpoch(*secs, Qt::UTC);
        return true;
    }

    // The canonical 8-4-4-4-12 form, either case.
    bool read(od::value& v, QUuid& id) {
        std::string_view text;
        if (!stringText(v, text) || text.size() != 36) return false;
        if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return false;
        // Where each byte's two digits stand; any digit that is none turns `bad` negative.
        static constexpr std::uint8_t kDigitPairs[16] = {0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34};
        std::uint8_t bytes[16];
        int bad = 0;
        for (int k = 0; k < 16; ++k) {
            const int hi = hexValue(text[kDigitPairs[k]]), lo = hexValue(text[kDigitPairs[k] + 1]);
            bad |= hi | lo;
            bytes[k] = std::uint8_t((hi & 0xF) << 4 | (lo & 0xF));
        }
        if (bad < 0) return false;
        id = QUuid::fromRfc4122(QByteArrayView(reinterpret_cast<const char*>(bytes), 16));
        return true;
    }

    bool read(od::value& v, bool& b) {
        od::json_type type{};
        return typeOf(v, type) && type == od::json_type::boolean && check(v.get_bool().get(b));
    }

    template <typename E>
    requires std::is_enum_v<E>
    bool read(od::value& v, E& e) {
        static const std::vector<std::pair<E, std::string>> table = [] {
            std::vector<std::pair<E, std::string>> t;
            for (E c : allCases<E>()) t.emplace_back(c, rawValue(c).toStdString());
            return t;
        }();
        std::string_view text;
        if (!stringText(v, text)) return false;
        for (const auto& [value, raw] : table) {
            if (text == raw) {
                e = value;
                return true;
            }
        }
        return false;
    }

    template <typename T>
    bool read(od::value& v, std::optional<T>& opt) {
        od::json_type type{};
        if (!typeOf(v, type)) return false;
        if (type == od::json_type::null) {
            if (!readNull(v)) return false;
            opt.reset();
            return true;
        }
        opt.emplace();
        return read(v, *opt);
    }

    // --- containers --------------------------------------------------------

    template <typename T>
    bool read(od::value& v, std::vector<T>& list) {
        return readList(v, list);
    }
    template <typename T>
    bool read(od::value& v, QList<T>& list) {
        return readList(v, list);
    }
    template <typename List>
    bool readList(od::value& v, List& list) {
        od::json_type type{};
        if (!typeOf(v, type) || type != od::json_type::array) return false;
        od::array array;
        if (!enter() || !check(v.get_array().get(array))) return false;
        list.clear();
        // Counted first (a scan of simdjson's index, then back to the start), so
        // the records are built in place once and no slots stay empty for as long
        // as the ledger is loaded, as a list grown by doubling would leave them.
        std::size_t count = 0;
        if (!check(array.count_elements().get(count))) return false;
        list.reserve(decltype(list.size())(count));
        for (auto element : array) {
            if (!check(element.error())) return false;
            if (!read(element.value_unsafe(), list.emplace_back())) return fail("wrong value in a list");
        }
        --depth_;
        return true;
    }

    bool read(od::value& v, QMap<QString, Decimal>& map) {
        od::json_type type{};
        if (!typeOf(v, type) || type != od::json_type::object) return fail("category budget is not a number");
        od::object object;
        if (!enter() || !check(v.get_object().get(object))) return false;
        map.clear();
        for (auto member : object) {
            std::string_view key;
            Decimal amount;
            if (!check(member.error())) return false;
            od::field& field = member.value_unsafe();
            if (!readKey(field, key)) return false;
            const QString name = QString::fromUtf8(key.data(), qsizetype(key.size()));
            if (!read(field.value(), amount)) return fail("category budget is not a number");
            map.insert(name, amount);
        }
        --depth_;
        return true;
    }

    template <typename R>
    requires requires(R& r) { ledgerfields::recordName(&r); }
    bool read(od::value& v, R& record) {
        od::json_type type{};
        if (!typeOf(v, type) || type != od::json_type::object) return false;
        od::object object;
        return enter() && check(v.get_object().get(object)) && readRecord(object, record);
    }

    bool readKey(od::field& field, std::string_view& key) {
        const char* raw = field.key().raw();
        bool escaped = false;
        const char* end = soundStringEnd(raw, escaped);
        if (!end) return fail("malformed key");
        // A key without escapes is its own text (simdjson has checked its UTF-8).
        if (!escaped) {
            key = std::string_view(raw, std::size_t(end - raw));
            return true;
        }
        return check(field.unescaped_key().get(key));
    }

    template <typename R>
    bool readRecord(od::object& object, R& record) {
        const auto& layout = RecordLayout<R>::get();
        std::uint32_t seen = 0;
        std::size_t next = layout.first;
        for (auto member : object) {
            // Used where it stands: a copy of each field costs a stall on the copy's own bytes.
            if (!check(member.error())) return false;
            od::field& field = member.value_unsafe();
            // Written documents name the expected key next. Its bytes and a
            // closing quote behind them are that key, sound and unescaped (no
            // name holds a quote, a backslash or a control character); the
            // comparison may read past a shorter key, into the document or the
            // padding simdjson requires behind it.
            const char* raw = field.key().raw();
            const std::string_view expected = layout.names[next];
            int index;
            if (jsontokens::sameBytes(raw, expected.data(), expected.size()) && raw[expected.size()] == '"') {
                index = int(next);
            } else {
                std::string_view key;
                if (!readKey(field, key)) return false;
                index = layout.indexOf(key, next);
            }
            if (index >= 0) next = layout.after[std::size_t(index)];
            if (index < 0) {
                if (!skip(field.value())) return false;
                continue;
            }
            int i = 0;
            bool ok = false;
            bool required = false;
            ledgerfields::fields(record, [&](const char*, auto& target) {
                if (i++ != index) return;
                required = !IsOptional<std::remove_cvref_t<decltype(target)>>::value;
                ok = read(field.value(), target);
            });
            if (!ok) {
                // A value's type is read at its start, however far a failed read went into it.
                od::json_type type{};
                const bool wasNull = required && field.value().type().get(type) == simdjson::SUCCESS &&
                                     type == od::json_type::null;
                return failField<R>(wasNull ? "null for required key" : "wrong value for key", index);
            }
            seen |= std::uint32_t(1) << index;
        }
        const std::uint32_t missing = layout.required & ~seen;
        if (missing != 0) return failField<R>("missing key", std::countr_zero(missing));
        --depth_;
        return true;
    }

    template <typename R>
    bool failField(const char* what, int index) {
        return fail(std::string(what) + " '" + std::string(RecordLayout<R>::get().names[std::size_t(index)]) +
                    "' in " + ledgerfields::recordName(static_cast<R*>(nullptr)));
    }

    // Walks a value nobody reads, checking it as strictly as the rest.
    bool skip(od::value& v) {
        od::json_type type{};
        if (!typeOf(v, type)) return false;
        switch (type) {
            case od::json_type::object: {
                od::object object;
                if (!enter() || !check(v.get_object().get(object))) return false;
                for (auto member : object) {
                    std::string_view key;
                    if (!check(member.error()) || !readKey(member.value_unsafe(), key) ||
                        !skip(member.value_unsafe().value()))
                        return false;
                }
                break;
            }
            case od::json_type::array: {
                od::array array;
                if (!enter() || !check(v.get_array().get(array))) return false;
                for (auto element : array)
                    if (!check(element.error()) || !skip(element.value_unsafe())) return false;
                break;
            }
            case od::json_type::number: {
                std::string_view text;
                return numberText(v, text);
            }
            case od::json_type::string: {
                std::string_view text;
                return stringText(v, text);
            }
            case od::json_type::boolean: {
                bool b;
                return check(v.get_bool().get(b));
            }
            case od::json_type::null:
                return readNull(v);
        }
        --depth_;
        return true;
    }
};

}  // namespace

namespace {

std::optional<MoneyData> decode(const char* bytes, std::size_t size, std::size_t allocated,
                                LedgerDecodeError* error) {
    MoneyData data;
    LedgerReader reader;
    od::parser parser;
    od::document doc;
    bool ok = false;
    if (const auto code = parser.iterate(bytes, size, allocated).get(doc); code != simdjson::SUCCESS)
        reader.error = simdjson::error_message(code);
    else
        ok = reader.readDocument(doc, data);
    if (!ok) {
        if (error)
            error->message =
                QString::fromStdString(reader.error.empty() ? "unreadable document" : reader.error);
        return std::nullopt;
    }
    return data;
}

}  // namespace

std::optional<MoneyData> decodeMoneyData(QByteArrayView bytes, LedgerDecodeError* error) {
    // simdjson reads a few bytes past the end of its input, so it gets a padded copy.
    const simdjson::padded_string input(bytes.data(), std::size_t(bytes.size()));
    return decode(input.data(), input.size(), input.size() + simdjson::SIMDJSON_PADDING, error);
}

std::optional<MoneyData> decodeMoneyData(const QByteArray& bytes, LedgerDecodeError* error) {
    static_assert(kLedgerReadPadding >= simdjson::SIMDJSON_PADDING);
    if (bytes.capacity() - bytes.size() < qsizetype(simdjson::SIMDJSON_PADDING))
        return decodeMoneyData(QByteArrayView(bytes), error);
    return decode(bytes.constData(), std::size_t(bytes.size()), std::size_t(bytes.capacity()), error);
}

std::optional<QByteArray> readLedgerBytes(QFile& file) {
    const qint64 expected = file.size() - file.pos();
    QByteArray bytes;
    if (expected > 0) {
        bytes.resize(qsizetype(expected) + kLedgerReadPadding);
        std::memset(bytes.data() + expected, ' ', std::size_t(kLedgerReadPadding));
        const qint64 got = file.read(bytes.data(), expected);
        if (got < 0) return std::nullopt;
        bytes.resize(qsizetype(got));  // keeps the capacity, and the spaces behind the end
    }
    // A file that grew while it was read: the rest, with a copy to pad later.
    if (!file.atEnd()) bytes += file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return bytes;
}
