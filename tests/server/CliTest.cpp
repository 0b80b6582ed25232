#include "Cli.h"
#include "DemoFamily.h"
#include "FamilyStore.h"
#include "support/TempDir.h"
#include "TempPostgres.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun cli(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), "zanbeck-family-server");
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = family::runCli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return {code, out.str(), err.str()};
}

}  // namespace

class Cli : public ::testing::Test {
protected:
    std::string data() const { return dir_.filePath("data").toStdString(); }
    std::string database() const { return data() + "/family.sqlite3"; }
    CliRun add(const std::string& email, const std::string& role, const std::string& password) {
        return cli({"add-account", "--data", data(), "--email", email, "--nickname", "Мама", "--role", role},
                   password + "\n");
    }
    TempDir dir_;
};

TEST_F(Cli, AddsAnAccountWithThePasswordFromStandardInput) {
    const auto run = add("mama@example.com", "parent", "long enough pw");
    ASSERT_EQ(run.code, 0) << run.err;
    family::FamilyStore store(database());
    const auto signIn = store.login("mama@example.com", "long enough pw");
    EXPECT_EQ(signIn.user.role, "parent");
    EXPECT_EQ(signIn.user.nickname, "Мама");

    const auto list = cli({"list-accounts", "--data", data()});
    EXPECT_EQ(list.code, 0);
    EXPECT_NE(list.out.find("mama@example.com"), std::string::npos);
    EXPECT_NE(list.out.find(signIn.user.id), std::string::npos);
}

TEST_F(Cli, RefusesShortPasswordsBadRolesAndTakenAddresses) {
    EXPECT_EQ(add("a@example.com", "parent", "seven77").code, 2);
    EXPECT_EQ(add("a@example.com", "teacher", "password1").code, 2);
    EXPECT_EQ(add("not-an-address", "child", "password1").code, 2);
    ASSERT_EQ(add("a@example.com", "child", "password1").code, 0);
    const auto taken = add("A@EXAMPLE.com", "parent", "password1");
    EXPECT_EQ(taken.code, 2);
    EXPECT_NE(taken.err.find("exists"), std::string::npos);
    EXPECT_EQ(family::FamilyStore(database()).listAccounts().size(), 1u);
}

// The operator's commands work the same on PostgreSQL; a --database that is no
// PostgreSQL URI, and --demo without a folder for its passwords, are refused.
TEST_F(Cli, AccountsAreAddedAndListedInPostgresToo) {
    EXPECT_EQ(cli({"list-accounts", "--database", "/tmp/family.sqlite3"}).code, 2);
    EXPECT_EQ(cli({"serve", "--database", "postgresql://nobody@/none", "--demo"}).code, 2);
    if (!sharedPostgres().installed()) GTEST_SKIP() << "PostgreSQL cannot run here: " << sharedPostgres().problem();
    const auto uri = sharedPostgres().newDatabase();
    ASSERT_FALSE(uri.empty()) << sharedPostgres().problem();
    const auto added = cli({"add-account", "--database", uri, "--email", "mama@example.com", "--nickname", "Мама",
                            "--role", "parent"},
                           "long enough pw\n");
    ASSERT_EQ(added.code, 0) << added.err;
    EXPECT_EQ(cli({"add-account", "--database", uri, "--email", "MAMA@example.com", "--nickname", "Мама", "--role",
                   "parent"},
                  "long enough pw\n")
                  .code,
              2);
    const auto list = cli({"list-accounts", "--database", uri});
    EXPECT_EQ(list.code, 0);
    EXPECT_NE(list.out.find("mama@example.com"), std::string::npos);
    EXPECT_EQ(family::FamilyStore(uri).login("mama@example.com", "long enough pw").user.role, "parent");
    EXPECT_EQ(cli({"list-accounts", "--database", "postgresql://zanbeck@/no_such_database?host=/nonexistent"}).code, 1);
}

TEST_F(Cli, RefusesPlainHttpOnAnOutsideAddressAndUnknownCommands) {
    const auto run = cli({"serve", "--data", data(), "--host", "0.0.0.0"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("--cert"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(data())) << "nothing is written before the refusal";
    EXPECT_EQ(cli({"serve", "--data", data(), "--port", "80000"}).code, 2);
    EXPECT_EQ(cli({"serve"}).code, 2);
    EXPECT_EQ(cli({"frobnicate"}).code, 2);
    EXPECT_EQ(cli({"--help"}).code, 0);
}

TEST_F(Cli, TheDemoFamilyIsMadeOnceAndItsDetailsSurviveARestart) {
    std::filesystem::create_directories(data());
    std::optional<family::DemoCredentials> first;
    {
        family::FamilyStore store(database());
        first = family::ensureDemoFamily(store, data());
    }
    ASSERT_TRUE(first && first->created);
    ASSERT_TRUE(first->parentPassword && first->childPassword);
    EXPECT_GE(first->childPassword->size(), 8u);

    family::FamilyStore store(database());
    const auto again = family::ensureDemoFamily(store, data());
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->created);
    EXPECT_EQ(again->parentPassword, first->parentPassword);
    EXPECT_EQ(again->childPassword, first->childPassword);
    EXPECT_EQ(store.listAccounts().size(), 2u);

    const auto child = store.login(first->childEmail, *first->childPassword).user;
    const auto parent = store.login(first->parentEmail, *first->parentPassword).user;
    EXPECT_EQ(child.nickname, "Coder");  // the nickname that opens the demo ledger
    EXPECT_EQ(child.role, "child");
    EXPECT_EQ(parent.role, "parent");
    ASSERT_TRUE(child.familyId.has_value());
    EXPECT_EQ(child.familyId, parent.familyId);

    const auto perms = std::filesystem::status(std::filesystem::path(data()) / family::kDemoFileName).permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);
}

TEST_F(Cli, NoDemoFamilyWhenOneOfItsAddressesIsTaken) {
    ASSERT_EQ(add(family::kDemoParentEmail, "parent", "password1").code, 0);
    family::FamilyStore store(database());
    EXPECT_FALSE(family::ensureDemoFamily(store, data()).has_value());
    EXPECT_EQ(store.listAccounts().size(), 1u);
}
