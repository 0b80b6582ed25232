// Decoding of the family server's answers on simdjson's On-Demand API: the
// records are read straight from the iterator, with no document tree in
// between, which for a family with a thousand tasks is most of a refresh.
//
// The rules are those of a strict DOM reader that first parses the whole body
// and then looks fields up one by one: a body that is not one sound JSON text
// is malformed whatever it holds; otherwise a record's fields are judged in
// the order the record declares them, the first that fails naming the fault
// (a missing or null required field, or a value of the wrong type), and of
// repeated keys the last one counts. Since the iterator meets keys in the
// body's order, every field's verdict is kept until the record ends, and
// every value is walked, also those of unknown keys and of fields already
// found wrong, so that the text is checked to its end first.
#include "account/AccountError.h"
#include "account/FamilyRecords.h"
#include "models/Decimal.h"
#include "models/JsonTextCache.h"
#include "models/JsonTokens.h"

#include <simdjson.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace {

namespace od = simdjson::ondemand;
using jsontokens::numberTokenIsSound;
using jsontokens::soundStringEnd;

// What the screens show for an answer that is not the expected record.
QString malformedText() {
    return QStringLiteral("Не удалось прочитать ответ сервера: неверный формат данных.");
}
QString missingText() {
    return QStringLiteral("Не удалось прочитать ответ сервера: нет нужных данных.");
}

// A field's verdict.
enum class Fault : std::uint8_t { none, missing, malformed };

// The verdicts of a record's fields, in the order the record declares them.
template <std::size_t N>
struct Verdicts {
    std::array<Fault, N> fields;
    Fault first() const {
        for (Fault fault : fields)
            if (fault != Fault::none) return fault;
        return Fault::none;
    }
};

constexpr Fault kRequired = Fault::missing;  // until a value is read
constexpr Fault kOptional = Fault::none;     // absent is fine

bool isJsonSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isJsonSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isJsonSpace(text.back())) text.remove_suffix(1);
    return text;
}

// Every reader returns false when the body is not sound JSON (nothing else
// matters then) and otherwise gives its verdict in `fault`.
class AnswerReader {
public:
    // --- values of unknown keys, and values of the wrong type -------------------

    bool skip(od::value& v) {
        od::json_type type{};
        return typeOf(v, type) && skip(v, type);
    }

    // A value that is not what the field holds: null reads as a missing
    // field, anything else as a wrong one.
    bool other(od::value& v, od::json_type type, Fault& fault) {
        fault = type == od::json_type::null ? Fault::missing : Fault::malformed;
        return skip(v, type);
    }

    // --- scalars ------------------------------------------------------------------

    // `repeats`: a text many records share (a status, a child's id or name),
    // converted once per answer.
    bool text(od::value& v, QString& out, Fault& fault, bool repeats = false) {
        od::json_type type{};
        if (!typeOf(v, type)) return false;
        if (type != od::json_type::string) return other(v, type, fault);
        std::string_view utf8;
        if (!stringText(v, utf8)) return false;
        out = repeats ? shared_.get(utf8) : QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        fault = Fault::none;
        return true;
    }

    // A whole number within 64 bits; written with a fraction or an exponent
    // it is taken when its exact value is whole and in range (3.0, 1e2), and
    // never through a double.
    bool int64(od::value& v, qint64& out, Fault& fault) {
        od::json_type type{};
        if (!typeOf(v, type)) return false;
        if (type != od::json_type::number) return other(v, type, fault);
        std::string_view token;
        if (!numberText(v, token)) return false;
        fault = wholeNumber(token, out) ? Fault::none : Fault::malformed;
        return true;
    }

    bool role(od::value& v, AppAccountRole& out, Fault& fault) {
        QString raw;
        if (!text(v, raw, fault, true)) return false;
        if (fault != Fault::none) return true;
        const auto parsed = AppAccountRole::fromRawValue(raw);
        if (parsed) out = *parsed;
        fault = parsed ? Fault::none : Fault::malformed;
        return true;
    }

    bool optionalText(od::value& v, std::optional<QString>& out, Fault& fault) {
        out.emplace();
        if (!text(v, *out, fault)) return false;
        if (fault == Fault::missing) out.reset(), fault = Fault::none;
        return true;
    }

    bool optionalInt64(od::value& v, std::optional<qint64>& out, Fault& fault) {
        out.emplace();
        if (!int64(v, *out, fault)) return false;
        if (fault == Fault::missing) out.reset(), fault = Fault::none;
        return true;
    }

    // --- records -------------------------------------------------------------------

    // Walks an object's members: `field(key, value, known)` reads those it
    // knows; the rest are checked and passed over. A value that is no object
    // is judged as other() does.
    template <class F>
    bool object(od::value& v, Fault& fault, F field) {
        od::json_type type{};
        if (!typeOf(v, type)) return false;
        if (type != od::json_type::object) return other(v, type, fault);
        od::object members;
        if (v.get_object().get(members) != simdjson::SUCCESS) return false;
        for (auto member : members) {
            od::field f;
            std::string_view key;
            if (std::move(member).get(f) != simdjson::SUCCESS || !readKey(f, key)) return false;
            od::value value = f.value();
            bool known = true;
            if (!field(key, value, known)) return false;
            if (!known && !skip(value)) return false;
        }
        fault = Fault::none;
        return true;
    }

    template <std::size_t N, class F>
    bool record(od::value& v, Fault& fault, Verdicts<N> verdicts, F field) {
        if (!object(v, fault, [&](std::string_view key, od::value& value, bool& known) {
                return field(key, value, verdicts.fields, known);
            }))
            return false;
        if (fault == Fault::none) fault = verdicts.first();
        return true;
    }

    bool user(od::value& v, FamilyUser& u, Fault& fault) {
        return record(v, fault, Verdicts<4>{{kRequired, kRequired, kRequired, kRequired}},
                      [&](std::string_view key, od::value& value, auto& f, bool& known) {
                          if (key == "id") return text(value, u.id, f[0]);
                          if (key == "email") return text(value, u.email, f[1]);
                          if (key == "nickname") return text(value, u.nickname, f[2]);
                          if (key == "role") return role(value, u.role, f[3]);
                          known = false;
                          return true;
                      });
    }

    bool member(od::value& v, FamilyMember& m, Fault& fault) {
        return record(v, fault, Verdicts<3>{{kRequired, kRequired, kRequired}},
                      [&](std::string_view key, od::value& value, auto& f, bool& known) {
                          if (key == "id") return text(value, m.id, f[0]);
                          if (key == "nickname") return text(value, m.nickname, f[1]);
                          if (key == "role") return role(value, m.role, f[2]);
                          known = false;
                          return true;
                      });
    }

    bool task(od::value& v, FamilyTask& t, Fault& fault) {
        return record(v, fault,
                      Verdicts<9>{{kRequired, kRequired, kRequired, kRequired, kRequired, kRequired, kOptional,
                                   kOptional, kOptional}},
                      [&](std::string_view key, od::value& value, auto& f, bool& known) {
                          if (key == "id") return text(value, t.id, f[0]);
                          if (key == "title") return text(value, t.title, f[1]);
                          if (key == "reward_cents") return int64(value, t.reward_cents, f[2]);
                          if (key == "status") return text(value, t.status, f[3], true);
                          if (key == "child_user_id") return text(value, t.child_user_id, f[4], true);
                          if (key == "child_nickname") return text(value, t.child_nickname, f[5], true);
                          if (key == "approval_count") return optionalInt64(value, t.approval_count, f[6]);
                          if (key == "required_approvals")
                              return optionalInt64(value, t.required_approvals, f[7]);
                          if (key == "current_user_approved")
                              return optionalInt64(value, t.current_user_approved, f[8]);
                          known = false;
                          return true;
                      });
    }

    bool preferences(od::value& v, AccountPreferences& p, Fault& fault) {
        return record(v, fault, Verdicts<2>{{kRequired, kRequired}},
                      [&](std::string_view key, od::value& value, auto& f, bool& known) {
                          if (key == "currency_code") return text(value, p.currency_code, f[0]);
                          if (key == "language_code") return text(value, p.language_code, f[1]);
                          known = false;
                          return true;
                      });
    }

    // An optional record: null (or absent) is none; a record with a field
    // missing is still missing data.
    template <class T, class Read>
    bool optionalRecord(od::value& v, std::optional<T>& out, Fault& fault, Read read) {
        od::json_type type{};
        if (!typeOf(v, type)) return false;
        if (type == od::json_type::null) {
            out.reset();
            fault = Fault::none;
            return skip(v, type);
        }
        out.emplace();
        return read(v, *out, fault);
    }

    // A list of records: the first element that fails names the fault. An
    // element that is no object (a null as well) is a wrong one.
    template <class T, class Read>
    bool list(od::value& v, QList<T>& out, Fault& fault, Read read) {
        od::json_type type{};
        if (!typeOf(v, type)) return false;
        if (type != od::json_type::array) return other(v, type, fault);
        od::array elements;
        if (v.get_array().get(elements) != simdjson::SUCCESS) return false;
        out.clear();
        std::size_t count = 0;
        if (elements.count_elements().get(count) != simdjson::SUCCESS) return false;
        out.reserve(qsizetype(count));
        fault = Fault::none;
        for (auto element : elements) {
            od::value value;
            if (std::move(element).get(value) != simdjson::SUCCESS) return false;
            od::json_type elementType{};
            if (!typeOf(value, elementType)) return false;
            Fault own = Fault::none;
            if (elementType != od::json_type::object) {
                own = Fault::malformed;
                if (!skip(value, elementType)) return false;
            } else {
                T item;
                if (!read(value, item, own)) return false;
                if (own == Fault::none && fault == Fault::none) out.append(std::move(item));
            }
            if (fault == Fault::none) fault = own;
        }
        return true;
    }

private:
    JsonTextCache shared_;

    bool typeOf(od::value& v, od::json_type& type) { return v.type().get(type) == simdjson::SUCCESS; }

    bool skip(od::value& v, od::json_type type) {
        switch (type) {
            case od::json_type::object: {
                od::object members;
                if (v.get_object().get(members) != simdjson::SUCCESS) return false;
                for (auto member : members) {
                    od::field f;
                    std::string_view key;
                    if (std::move(member).get(f) != simdjson::SUCCESS || !readKey(f, key)) return false;
                    od::value value = f.value();
                    if (!skip(value)) return false;
                }
                break;
            }
            case od::json_type::array: {
                od::array elements;
                if (v.get_array().get(elements) != simdjson::SUCCESS) return false;
                for (auto element : elements) {
                    od::value value;
                    if (std::move(element).get(value) != simdjson::SUCCESS || !skip(value)) return false;
                }
                break;
            }
            case od::json_type::number: {
                std::string_view token;
                return numberText(v, token);
            }
            case od::json_type::string: {
                std::string_view utf8;
                return stringText(v, utf8);
            }
            case od::json_type::boolean: {
                bool b = false;
                return v.get_bool().get(b) == simdjson::SUCCESS;
            }
            case od::json_type::null: {
                bool null = false;
                return v.is_null().get(null) == simdjson::SUCCESS && null;
            }
        }
        return true;
    }

    // Both readers below also step the iterator over the value: one it steps
    // over by itself is passed by depth alone, so a colon or a comma out of
    // place behind it would go unnoticed.
    bool numberText(od::value& v, std::string_view& token) {
        token = v.raw_json_token();
        while (!token.empty() && isJsonSpace(token.back())) token.remove_suffix(1);
        double stepped = 0;
        return numberTokenIsSound(token) && v.get_double().get(stepped) == simdjson::SUCCESS;
    }

    bool stringText(od::value& v, std::string_view& utf8) {
        const char* raw = v.raw_json_token().data() + 1;
        bool escaped = false;
        const char* end = soundStringEnd(raw, escaped);
        if (!end) return false;
        // Without escapes the text is its own bytes (simdjson has checked the UTF-8).
        if (!escaped) {
            utf8 = std::string_view(raw, std::size_t(end - raw));
            od::raw_json_string stepped;
            return v.get_raw_json_string().get(stepped) == simdjson::SUCCESS;
        }
        return v.get_string().get(utf8) == simdjson::SUCCESS;
    }

    bool readKey(od::field& f, std::string_view& key) {
        const char* raw = f.key().raw();
        bool escaped = false;
        const char* end = soundStringEnd(raw, escaped);
        if (!end) return false;
        if (!escaped) {
            key = std::string_view(raw, std::size_t(end - raw));
            return true;
        }
        return f.unescaped_key().get(key) == simdjson::SUCCESS;
    }

    static bool wholeNumber(std::string_view token, qint64& out) {
        const char* end = token.data() + token.size();
        if (const auto r = std::from_chars(token.data(), end, out); r.ec == std::errc() && r.ptr == end) return true;
        const auto d = Decimal::parse(token);
        if (!d || d->exponent() < 0) return false;
        const long long value = d->toInt64Saturated();
        if (Decimal(value) != *d) return false;
        out = value;
        return true;
    }
};

// A body whose top value is a number, a text, true, false or null: sound or not.
bool soundScalarBody(od::document& doc, std::string_view body) {
    const std::string_view value = trimmed(body);
    if (value == "true" || value == "false" || value == "null") return true;
    if (value.empty() || value.front() != '"') return numberTokenIsSound(value);
    bool escaped = false;
    const char* end = soundStringEnd(value.data() + 1, escaped);
    if (!end || end != value.data() + value.size() - 1) return false;
    std::string_view unescaped;
    return !escaped || doc.get_string().get(unescaped) == simdjson::SUCCESS;
}

// Reads the body's top value with `read(reader, value, record, fault)`. A
// top value that is no object or array is no record (none is read that way),
// though a sound one is a reply for `acceptScalar`.
template <class T, class Read>
T decodeBody(const QByteArray& body, Read read, bool acceptScalar = false) {
    std::string_view text(body.constData(), std::size_t(body.size()));
    // A byte-order mark is allowed ahead of the text.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const simdjson::padded_string input(text);
    text = std::string_view(input.data(), input.size());
    // One parser for every answer: it keeps its buffers at the largest answer's size.
    static thread_local od::parser parser;
    od::document doc;
    od::json_type type{};
    if (parser.iterate(input).get(doc) != simdjson::SUCCESS || doc.type().get(type) != simdjson::SUCCESS)
        throw DecodingError(malformedText());
    T record{};
    if (type != od::json_type::object && type != od::json_type::array) {
        if (acceptScalar && soundScalarBody(doc, text)) return record;
        throw DecodingError(malformedText());
    }
    od::value top;
    AnswerReader reader;
    Fault fault = Fault::none;
    bool sound = doc.get_value().get(top) == simdjson::SUCCESS && read(reader, top, record, fault);
    // Whatever follows the top value (after spaces) is a second text.
    sound = sound && doc.current_location().error() == simdjson::OUT_OF_BOUNDS;
    if (!sound || fault == Fault::malformed) throw DecodingError(malformedText());
    if (fault == Fault::missing) throw DecodingError(missingText());
    return record;
}

}  // namespace

namespace FamilyWire {

template <> FamilyUser decode<FamilyUser>(const QByteArray& body) {
    return decodeBody<FamilyUser>(body, [](AnswerReader& r, od::value& v, FamilyUser& u, Fault& fault) {
        return r.user(v, u, fault);
    });
}

template <> FamilyMember decode<FamilyMember>(const QByteArray& body) {
    return decodeBody<FamilyMember>(body, [](AnswerReader& r, od::value& v, FamilyMember& m, Fault& fault) {
        return r.member(v, m, fault);
    });
}

template <> FamilyTask decode<FamilyTask>(const QByteArray& body) {
    return decodeBody<FamilyTask>(body, [](AnswerReader& r, od::value& v, FamilyTask& t, Fault& fault) {
        return r.task(v, t, fault);
    });
}

template <> AccountPreferences decode<AccountPreferences>(const QByteArray& body) {
    return decodeBody<AccountPreferences>(
        body, [](AnswerReader& r, od::value& v, AccountPreferences& p, Fault& fault) {
            return r.preferences(v, p, fault);
        });
}

template <> AuthResponse decode<AuthResponse>(const QByteArray& body) {
    return decodeBody<AuthResponse>(body, [](AnswerReader& r, od::value& v, AuthResponse& a, Fault& fault) {
        return r.record(v, fault, Verdicts<2>{{kRequired, kOptional}},
                        [&](std::string_view key, od::value& value, auto& f, bool& known) {
                            if (key == "user") return r.user(value, a.user, f[0]);
                            if (key == "sessionToken") return r.optionalText(value, a.sessionToken, f[1]);
                            known = false;
                            return true;
                        });
    });
}

template <> MeResponse decode<MeResponse>(const QByteArray& body) {
    return decodeBody<MeResponse>(body, [](AnswerReader& r, od::value& v, MeResponse& me, Fault& fault) {
        return r.record(v, fault, Verdicts<1>{{kRequired}},
                        [&](std::string_view key, od::value& value, auto& f, bool& known) {
                            if (key == "user") return r.user(value, me.user, f[0]);
                            known = false;
                            return true;
                        });
    });
}

template <> FamilyResponse decode<FamilyResponse>(const QByteArray& body) {
    return decodeBody<FamilyResponse>(body, [](AnswerReader& r, od::value& v, FamilyResponse& family,
                                               Fault& fault) {
        return r.record(
            v, fault, Verdicts<3>{{kRequired, kRequired, kOptional}},
            [&](std::string_view key, od::value& value, auto& f, bool& known) {
                const auto member = [&r](od::value& m, FamilyMember& out, Fault& own) { return r.member(m, out, own); };
                const auto task = [&r](od::value& t, FamilyTask& out, Fault& own) { return r.task(t, out, own); };
                const auto preferences = [&r](od::value& p, AccountPreferences& out, Fault& own) {
                    return r.preferences(p, out, own);
                };
                if (key == "members") return r.list(value, family.members, f[0], member);
                if (key == "tasks") return r.list(value, family.tasks, f[1], task);
                if (key == "preferences") return r.optionalRecord(value, family.preferences, f[2], preferences);
                known = false;
                return true;
            });
    });
}

template <> PairingResponse decode<PairingResponse>(const QByteArray& body) {
    return decodeBody<PairingResponse>(body, [](AnswerReader& r, od::value& v, PairingResponse& p, Fault& fault) {
        return r.record(v, fault, Verdicts<2>{{kRequired, kRequired}},
                        [&](std::string_view key, od::value& value, auto& f, bool& known) {
                            if (key == "qrPayload") return r.text(value, p.qrPayload, f[0]);
                            if (key == "expiresAt") return r.int64(value, p.expiresAt, f[1]);
                            known = false;
                            return true;
                        });
    });
}

template <> APIError decode<APIError>(const QByteArray& body) {
    return decodeBody<APIError>(body, [](AnswerReader& r, od::value& v, APIError& e, Fault& fault) {
        return r.record(v, fault, Verdicts<1>{{kRequired}},
                        [&](std::string_view key, od::value& value, auto& f, bool& known) {
                            if (key == "error") return r.text(value, e.error, f[0]);
                            known = false;
                            return true;
                        });
    });
}

template <> EmptyResponse decode<EmptyResponse>(const QByteArray& body) {
    return decodeBody<EmptyResponse>(
        body, [](AnswerReader& r, od::value& v, EmptyResponse&, Fault&) { return r.skip(v); }, true);
}

}  // namespace FamilyWire
