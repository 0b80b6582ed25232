#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "models/JsonTokens.h"

// One shared QString per distinct short text met while reading a JSON
// document. Categories, wallets and tags repeat across thousands of ledger
// records, and so do everyday notes ("обед в школьной столовой") and a
// family's statuses and children's names across its tasks: the conversion and
// the memory are spent once.
//
// A ledger asks for a text three or four times per transaction, so the lookup
// is an open-addressed table probed by a cheap hash of the bytes, the texts'
// bytes kept side by side in one buffer.
class JsonTextCache {
public:
    QString get(std::string_view utf8) {
        if (utf8.size() > kMaxLength) return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        const std::uint64_t hash = hashOf(utf8);
        if (!slots_.empty()) {
            const std::size_t mask = slots_.size() - 1;
            for (std::size_t i = std::size_t(hash) & mask;; i = (i + 1) & mask) {
                const Slot& slot = slots_[i];
                if (slot.sizePlusOne == 0) break;
                if (slot.hash == hash && slot.sizePlusOne == utf8.size() + 1 &&
                    jsontokens::sameBytes(bytes_.data() + slot.offset, utf8.data(), utf8.size()))
                    return slot.text;
            }
        }
        QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        if (count_ < kMaxEntries) insert(hash, utf8, text);
        return text;
    }

private:
    static constexpr std::size_t kMaxLength = 128;
    static constexpr std::size_t kMaxEntries = 4096;
    static constexpr std::size_t kFirstSlots = 64;

    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t offset = 0;
        std::uint32_t sizePlusOne = 0;  // 0 for a free slot
        QString text;
    };

    static std::uint64_t load64(const char* p) {
        std::uint64_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    static std::uint64_t load32(const char* p) {
        std::uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    static std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
        const std::uint64_t x = (a ^ (b * 0x9E3779B97F4A7C15ULL)) * 0xBF58476D1CE4E5B9ULL;
        return x ^ (x >> 31);
    }
    // Reads only the text's own bytes: some texts are unescaped copies with
    // nothing readable behind them.
    static std::uint64_t hashOf(std::string_view s) {
        const char* p = s.data();
        std::size_t n = s.size();
        std::uint64_t h = n;
        for (; n > 16; n -= 16, p += 16) h = mix(load64(p) ^ h, load64(p + 8));
        std::uint64_t a = 0, b = 0;
        if (n >= 8) {
            a = load64(p);
            b = load64(p + n - 8);
        } else if (n >= 4) {
            a = load32(p);
            b = load32(p + n - 4);
        } else if (n > 0) {
            a = std::uint64_t(static_cast<unsigned char>(p[0])) << 16 |
                std::uint64_t(static_cast<unsigned char>(p[n / 2])) << 8 | static_cast<unsigned char>(p[n - 1]);
        }
        return mix(a ^ h, b ^ s.size());
    }

    void insert(std::uint64_t hash, std::string_view utf8, const QString& text) {
        if ((count_ + 1) * 2 > slots_.size()) grow();
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = std::size_t(hash) & mask;
        while (slots_[i].sizePlusOne != 0) i = (i + 1) & mask;
        Slot& slot = slots_[i];
        slot.hash = hash;
        slot.offset = std::uint32_t(bytes_.size());
        slot.sizePlusOne = std::uint32_t(utf8.size() + 1);
        slot.text = text;
        bytes_.append(utf8);
        ++count_;
    }

    void grow() {
        std::vector<Slot> old(slots_.empty() ? kFirstSlots : slots_.size() * 2);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (Slot& slot : old) {
            if (slot.sizePlusOne == 0) continue;
            std::size_t i = std::size_t(slot.hash) & mask;
            while (slots_[i].sizePlusOne != 0) i = (i + 1) & mask;
            slots_[i] = std::move(slot);
        }
    }

    std::vector<Slot> slots_;  // a power of two in size, at most half full
    std::string bytes_;
    std::size_t count_ = 0;
};
