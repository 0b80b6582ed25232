#include <gtest/gtest.h>

#include <optional>

#include "DBusTestSupport.h"
#include "FakeDBusServices.h"
#include "PrivateBus.h"
#include "platform/FprintdBiometrics.h"

using Outcome = Biometrics::Outcome;

// Without any bus there is nothing to verify with.
TEST(FprintdBiometricsWithoutBus, IsUnavailableAndAnswersLater) {
    FprintdBiometrics biometrics(QDBusConnection(QStringLiteral("no-such-connection")));
    EXPECT_FALSE(biometrics.isAvailable());
    std::optional<Outcome> outcome;
    biometrics.verify([&](Outcome o) { outcome = o; });
    EXPECT_FALSE(outcome.has_value());
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }));
    EXPECT_EQ(*outcome, Outcome::unavailable);
}

// Against a stand-in fprintd on the private bus.
class FprintdBiometricsOnPrivateBus : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ANY_PRIVATE_BUS();
        service = std::make_unique<FakeBusService>("net.reactivated.Fprint");
        manager = service->add("/net/reactivated/Fprint/Manager", std::make_unique<FakeFprintManager>(log));
        device = service->add("/net/reactivated/Fprint/Device/0", std::make_unique<FakeFprintDevice>(log));
        ASSERT_TRUE(service->start());
        client = std::make_unique<FprintdBiometrics>(clientConnection("fprint"));
    }
    void TearDown() override {
        // Let the stop-and-release of this test reach this test's stand-in, not the next one.
        waitUntil([&] { return log.calls().count("Release") >= log.calls().count("VerifyStart(any)"); });
        client.reset();
        QDBusConnection::disconnectFromBus("client-fprint");
    }
    std::optional<Outcome> verifyOnce() {
        std::optional<Outcome> outcome;
        client->verify([&](Outcome o) { outcome = o; });
        EXPECT_TRUE(waitUntil([&] { return outcome.has_value(); }));
        return outcome;
    }
    // The reader is given back after every verification that claimed it.
    bool releasedAfterStop() {
        return waitUntil([&] { return log.calls().contains("Release"); }) &&
               log.calls().indexOf("VerifyStop") < log.calls().indexOf("Release");
    }

    CallLog log;
    std::unique_ptr<FakeBusService> service;
    FakeFprintManager* manager = nullptr;
    FakeFprintDevice* device = nullptr;
    std::unique_ptr<FprintdBiometrics> client;
};

TEST_F(FprintdBiometricsOnPrivateBus, AvailableWithAReaderAndAnEnrolledFinger) {
    EXPECT_TRUE(client->isAvailable());
    EXPECT_TRUE(log.calls().contains("ListEnrolledFingers()"));  // the calling user
    device->enrolled.clear();
    EXPECT_FALSE(client->isAvailable());
}

TEST_F(FprintdBiometricsOnPrivateBus, UnavailableWithoutReaderOrService) {
    manager->hasDevice = false;
    EXPECT_FALSE(client->isAvailable());
    EXPECT_EQ(verifyOnce(), Outcome::unavailable);
    EXPECT_FALSE(log.calls().contains("Claim()"));
    service.reset();  // fprintd gone from the bus
    EXPECT_FALSE(client->isAvailable());
    EXPECT_EQ(verifyOnce(), Outcome::unavailable);
}

// Each verification claims the reader, and stops and releases it whatever the answer.
TEST_F(FprintdBiometricsOnPrivateBus, TheReadersAnswerDecidesTheOutcome) {
    const std::pair<std::vector<std::pair<QString, bool>>, Outcome> cases[] = {
        {{{"verify-match", true}}, Outcome::success},
        {{{"verify-retry-scan", false}, {"verify-swipe-too-short", false}, {"verify-match", true}},
         Outcome::success},
        {{{"verify-no-match", true}}, Outcome::noMatch},
        {{{"verify-disconnected", true}}, Outcome::failed},
    };
    for (const auto& [script, outcome] : cases) {
        device->script = script;
        const int before = log.calls().size();
        EXPECT_EQ(verifyOnce(), outcome) << script.back().first.toStdString();
        ASSERT_TRUE(waitUntil([&] { return log.calls().mid(before).contains("Release"); }));
        const QStringList calls = log.calls().mid(before);
        EXPECT_LT(calls.indexOf("Claim()"), calls.indexOf("VerifyStart(any)"));
        EXPECT_LT(calls.indexOf("VerifyStop"), calls.indexOf("Release"));
    }
}

TEST_F(FprintdBiometricsOnPrivateBus, ReaderInUseFailsWithoutStarting) {
    device->claimError = "net.reactivated.Fprint.Error.AlreadyInUse";
    EXPECT_EQ(verifyOnce(), Outcome::failed);
    EXPECT_FALSE(log.calls().contains("VerifyStart(any)"));
}

TEST_F(FprintdBiometricsOnPrivateBus, CancelStopsAndReleasesTheReader) {
    std::optional<Outcome> outcome;
    client->verify([&](Outcome o) { outcome = o; });
    ASSERT_TRUE(waitUntil([&] { return log.calls().contains("VerifyStart(any)"); }));
    client->cancel();
    EXPECT_EQ(outcome, Outcome::cancelled);
    EXPECT_TRUE(releasedAfterStop());
    // A status that was already on its way changes nothing any more.
    device->sendStatus("verify-match", true);
    QCoreApplication::processEvents();
    EXPECT_EQ(outcome, Outcome::cancelled);
}

TEST_F(FprintdBiometricsOnPrivateBus, SecondVerificationWhileOneRunsFails) {
    std::optional<Outcome> first, second;
    client->verify([&](Outcome o) { first = o; });
    client->verify([&](Outcome o) { second = o; });
    ASSERT_TRUE(waitUntil([&] { return second.has_value() && log.calls().contains("VerifyStart(any)"); }));
    EXPECT_EQ(second, Outcome::failed);
    EXPECT_FALSE(first.has_value());
    device->sendStatus("verify-match", true);
    ASSERT_TRUE(waitUntil([&] { return first.has_value(); }));
    EXPECT_EQ(first, Outcome::success);
    EXPECT_EQ(log.calls().count("Claim()"), 1);
}
