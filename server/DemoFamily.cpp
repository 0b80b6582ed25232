#include "DemoFamily.h"

#include "FamilyStore.h"
#include "Secrets.h"

#include <fstream>
#include <sstream>

namespace family {

namespace {

void readPasswords(const std::filesystem::path& file, DemoCredentials& demo) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string email, password;
        if (!(fields >> email >> password)) continue;
        if (email == demo.parentEmail) demo.parentPassword = password;
        if (email == demo.childEmail) demo.childPassword = password;
    }
}

void writePasswords(const std::filesystem::path& file, const DemoCredentials& demo) {
    const auto temporary = std::filesystem::path(file).concat(".tmp");
    {
        std::ofstream out(temporary, std::ios::trunc);
        std::filesystem::permissions(temporary, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::replace);
        out << demo.parentEmail << ' ' << *demo.parentPassword << '\n'
            << demo.childEmail << ' ' << *demo.childPassword << '\n';
        out.flush();
        if (!out) throw std::runtime_error("cannot write " + temporary.string());
    }
    std::filesystem::rename(temporary, file);
}

}  // namespace

std::optional<DemoCredentials> ensureDemoFamily(FamilyStore& store, const std::filesystem::path& dataDir) {
    DemoCredentials demo;
    const auto file = dataDir / kDemoFileName;
    const bool parentExists = store.findAccountByEmail(demo.parentEmail).has_value();
    const bool childExists = store.findAccountByEmail(demo.childEmail).has_value();
    if (parentExists && childExists) {
        readPasswords(file, demo);
        return demo;
    }
    if (parentExists || childExists) return std::nullopt;

    demo.parentPassword = randomPassword(12);
    demo.childPassword = randomPassword(12);
    store.addAccounts({{demo.parentEmail, kDemoParentNickname, "parent", *demo.parentPassword},
                       {demo.childEmail, kDemoChildNickname, "child", *demo.childPassword}},
                      true);
    demo.created = true;
    try {
        writePasswords(file, demo);
    } catch (const std::exception&) {
        demo.saved = false;  // the accounts exist; the caller still prints the passwords once
    }
    return demo;
}

}  // namespace family
