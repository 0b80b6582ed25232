#include "Secrets.h"

#include <sodium.h>

#include <array>
#include <cstdio>
#include <stdexcept>

namespace family {

namespace {

constexpr std::size_t kSelectorBytes = 16;
constexpr std::size_t kVerifierBytes = 32;  // 256 bits of secret
constexpr int kBase64 = sodium_base64_VARIANT_URLSAFE_NO_PADDING;

std::string toBase64(const unsigned char* data, std::size_t size) {
    std::string out(sodium_base64_encoded_len(size, kBase64), '\0');
    sodium_bin2base64(out.data(), out.size(), data, size, kBase64);
    out.resize(out.size() - 1);  // drop the terminator sodium writes
    return out;
}

std::optional<std::vector<unsigned char>> fromBase64(std::string_view text, std::size_t expected) {
    std::vector<unsigned char> out(expected);
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(out.data(), out.size(), text.data(), text.size(), nullptr, &length, &end, kBase64) != 0 ||
        length != expected || end != text.data() + text.size())
        return std::nullopt;
    return out;
}

std::vector<unsigned char> digest(const unsigned char* data, std::size_t size) {
    std::vector<unsigned char> out(crypto_generichash_BYTES);
    crypto_generichash(out.data(), out.size(), data, size, nullptr, 0);
    return out;
}

}  // namespace

void initSecrets() {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot be initialised");
}

PasswordCost interactivePasswordCost() {
    return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

PasswordCost minimalPasswordCost() { return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN}; }

std::string hashPassword(std::string_view password, PasswordCost cost) {
    std::array<char, crypto_pwhash_STRBYTES> out{};
    if (crypto_pwhash_str_alg(out.data(), password.data(), password.size(), cost.operations, cost.memoryBytes,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw std::runtime_error("out of memory while hashing a password");
    return out.data();
}

bool verifyPassword(const std::string& hash, std::string_view password) {
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

IssuedSecret issueSecret() {
    std::array<unsigned char, kSelectorBytes> selector{};
    std::array<unsigned char, kVerifierBytes> verifier{};
    randombytes_buf(selector.data(), selector.size());
    randombytes_buf(verifier.data(), verifier.size());
    IssuedSecret issued;
    issued.selector = toBase64(selector.data(), selector.size());
    issued.text = issued.selector + "." + toBase64(verifier.data(), verifier.size());
    issued.verifierHash = digest(verifier.data(), verifier.size());
    sodium_memzero(verifier.data(), verifier.size());
    return issued;
}

std::optional<PresentedSecret> parseSecret(std::string_view text) {
    const auto dot = text.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const auto selector = text.substr(0, dot);
    if (!fromBase64(selector, kSelectorBytes)) return std::nullopt;
    auto verifier = fromBase64(text.substr(dot + 1), kVerifierBytes);
    if (!verifier) return std::nullopt;
    PresentedSecret presented{std::string(selector), digest(verifier->data(), verifier->size())};
    sodium_memzero(verifier->data(), verifier->size());
    return presented;
}

bool sameHash(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string newId() {
    std::array<unsigned char, 16> b{};
    randombytes_buf(b.data(), b.size());
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);
    char out[37];
    std::snprintf(out, sizeof out, "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", b[0], b[1],
                  b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return out;
}

std::string randomPassword(std::size_t length) {
    static constexpr char kAlphabet[] = "abcdefghjkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::string out;
    for (std::size_t i = 0; i < length; ++i) out += kAlphabet[randombytes_uniform(sizeof kAlphabet - 1)];
    return out;
}

}  // namespace family
