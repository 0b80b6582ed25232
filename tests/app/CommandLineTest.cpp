#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {
LaunchRequest parse(QStringList arguments) {
    arguments.prepend("zanbeck");
    return parseCommandLine(arguments);
}
}  // namespace

TEST(CommandLine, OpenTakesEverySectionInBothSpellings) {
    for (MoneyDestination destination : money_destination::allCases()) {
        const QString raw = money_destination::rawValue(destination);
        EXPECT_EQ(parse({"--open", raw}).section, destination);
        EXPECT_EQ(parse({"--open=" + raw}).section, destination);
        EXPECT_TRUE(parse({"--open", raw}).error.isEmpty());
    }
}

TEST(CommandLine, UnknownOrRepeatedSectionsAreErrors) {
    for (const QStringList& arguments :
         {QStringList{"--open", "Expense"}, QStringList{"--open", ""}, QStringList{"--open"},
          QStringList{"--open", "expense", "--open", "income"}, QStringList{"--open", "add-expense"}}) {
        const LaunchRequest request = parse(arguments);
        EXPECT_FALSE(request.error.isEmpty()) << arguments.join(' ').toStdString();
        EXPECT_FALSE(request.section);
    }
}

TEST(CommandLine, OneLinkAsThePositionalArgument) {
    EXPECT_EQ(parse({"zanbeck://add-income"}).url, "zanbeck://add-income");
    EXPECT_EQ(parse({"--open", "planner", "zanbeck://calendar"}).url, "zanbeck://calendar");
    EXPECT_FALSE(parse({"zanbeck://a", "zanbeck://b"}).error.isEmpty());
    EXPECT_FALSE(parse({"add-income"}).error.isEmpty());
    EXPECT_FALSE(parse({"zanbeck://" + QString(5000, u'x')}).error.isEmpty());
}

TEST(CommandLine, NoArgumentsInformationOptionsAndUnknownOptions) {
    EXPECT_EQ(parse({}), LaunchRequest{});
    EXPECT_EQ(parseCommandLine({}), LaunchRequest{});
    EXPECT_TRUE(parse({"--print-role"}).printRole);
    EXPECT_TRUE(parse({"--help"}).showHelp);
    EXPECT_TRUE(parse({"-h"}).showHelp);
    EXPECT_TRUE(parse({"--version"}).showVersion);
    EXPECT_FALSE(parse({"--frobnicate"}).error.isEmpty());
}
