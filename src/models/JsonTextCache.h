#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

// One shared QString per distinct short text met while reading a JSON
// document. Categories, wallets and tags repeat across thousands of ledger
// records, and so do everyday notes ("обед в школьной столовой") and a
// family's statuses and children's names across its tasks: the conversion and
// the memory are spent once.
class JsonTextCache {
public:
    QString get(std::string_view utf8) {
        if (utf8.size() > kMaxLength) return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        if (auto it = texts_.find(utf8); it != texts_.end()) return it->second;
        QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        if (texts_.size() < kMaxEntries) texts_.emplace(std::string(utf8), text);
        return text;
    }

private:
    static constexpr std::size_t kMaxLength = 128;
    static constexpr std::size_t kMaxEntries = 4096;
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> texts_;
};
