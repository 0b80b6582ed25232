#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace family {

// Call once before any other function here (initialises libsodium).
void initSecrets();

// Argon2id work factors. The defaults are libsodium's interactive limits;
// tests use the minimum so that making accounts stays quick.
struct PasswordCost {
    unsigned long long operations;
    std::size_t memoryBytes;
};
PasswordCost interactivePasswordCost();
PasswordCost minimalPasswordCost();

// Argon2id, in libsodium's self-describing string form (which carries its cost).
std::string hashPassword(std::string_view password, PasswordCost cost = interactivePasswordCost());
bool verifyPassword(const std::string& hash, std::string_view password);

// A bearer secret as handed out: "<selector>.<verifier>". The selector finds the
// stored row; only a hash of the 256-bit verifier is stored, and it is compared
// in constant time, so neither the database nor timing gives the token away.
struct IssuedSecret {
    std::string text;                       // what the client receives
    std::string selector;                   // stored in clear, the lookup key
    std::vector<unsigned char> verifierHash;  // stored
};
IssuedSecret issueSecret();

struct PresentedSecret {
    std::string selector;
    std::vector<unsigned char> verifierHash;
};
// Splits and hashes a secret a client sent back; nullopt when it cannot be one of ours.
std::optional<PresentedSecret> parseSecret(std::string_view text);

bool sameHash(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);

// A random version-4 UUID in lower case, for account and task ids.
std::string newId();

// A random password of `length` characters from an alphabet without look-alikes.
std::string randomPassword(std::size_t length);

}  // namespace family
