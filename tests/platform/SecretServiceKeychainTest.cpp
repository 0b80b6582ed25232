#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include "PrivateBus.h"
#include "platform/SecretServiceKeychain.h"

// Against a real gnome-keyring in a private session (see run-in-private-session.sh).
class SecretServiceKeychainWithKeyring : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_PRIVATE_BUS("keyring"); }
    SecretServiceKeychain keychain;
};

TEST_F(SecretServiceKeychainWithKeyring, SecretsAreReadBackReplacedAndRemoved) {
    const QString service = QString::fromUtf8("test.копилка"), account = QString::fromUtf8("Маша");
    const QByteArray binary = QByteArray::fromHex("00fffe6162630080");  // "\0\xff\xfeabc\0\x80"
    ASSERT_EQ(keychain.write(service, account, "1111"), Keychain::Status::ok);
    ASSERT_EQ(keychain.write(service, account, binary), Keychain::Status::ok);
    auto result = keychain.read(service, account);
    EXPECT_EQ(result.status, Keychain::Status::ok);
    EXPECT_EQ(result.secret, binary);
    EXPECT_TRUE(result.error.isEmpty());
    // The next start of the app builds a new keychain object; the item is still there.
    EXPECT_EQ(SecretServiceKeychain().read(service, account).secret, binary);

    // One remove clears it: the overwrite left no second item that could come back.
    QString error;
    EXPECT_EQ(keychain.remove(service, account, &error), Keychain::Status::ok);
    EXPECT_TRUE(error.isEmpty());
    result = keychain.read(service, account);
    EXPECT_EQ(result.status, Keychain::Status::notFound);
    EXPECT_TRUE(result.secret.isEmpty());
    EXPECT_TRUE(result.error.isEmpty());
    EXPECT_EQ(keychain.remove(service, account, &error), Keychain::Status::notFound);
    EXPECT_TRUE(error.isEmpty());
}

TEST_F(SecretServiceKeychainWithKeyring, ServiceAccountAndBuildEachKeepItemsApart) {
    ASSERT_EQ(keychain.write("test.app-lock", "local-passcode", "4321"), Keychain::Status::ok);
    ASSERT_EQ(keychain.write("test.session", "local-passcode", "token-abc"), Keychain::Status::ok);
    ASSERT_EQ(keychain.write("test.app-lock", "other-account", "9999"), Keychain::Status::ok);
    EXPECT_EQ(keychain.read("test.session", "local-passcode").secret, QByteArray("token-abc"));
    ASSERT_EQ(keychain.remove("test.session", "local-passcode"), Keychain::Status::ok);
    EXPECT_EQ(keychain.read("test.app-lock", "local-passcode").secret, QByteArray("4321"));
    EXPECT_EQ(keychain.read("test.app-lock", "other-account").secret, QByteArray("9999"));

    // The child's and the parent's builds share one desktop keyring; neither
    // may read, replace or delete the other's session token.
    SecretServiceKeychain child(QStringLiteral("zanbeck"));
    SecretServiceKeychain parent(QStringLiteral("zanbeck-parent"));
    ASSERT_EQ(child.write("test.builds", "", "child-token"), Keychain::Status::ok);
    EXPECT_EQ(parent.read("test.builds", "").status, Keychain::Status::notFound);
    ASSERT_EQ(parent.write("test.builds", "", "parent-token"), Keychain::Status::ok);
    EXPECT_EQ(parent.remove("test.builds", ""), Keychain::Status::ok);
    EXPECT_EQ(child.read("test.builds", "").secret, QByteArray("child-token"));
}

// Every call fails with an error text and no secret: nothing may pass for
// "no item", or the app lock would open without its code.
void expectEveryCallFails(SecretServiceKeychain& keychain, const QString& service) {
    const auto result = keychain.read(service, "alice");
    EXPECT_EQ(result.status, Keychain::Status::failed);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_TRUE(result.secret.isEmpty());
    QString writeError, removeError;
    EXPECT_EQ(keychain.write(service, "alice", "9999", &writeError), Keychain::Status::failed);
    EXPECT_FALSE(writeError.isEmpty());
    EXPECT_EQ(keychain.remove(service, "alice", &removeError), Keychain::Status::failed);
    EXPECT_FALSE(removeError.isEmpty());
}

TEST(SecretServiceKeychainWithoutService, EveryCallFailsWithAnErrorText) {
    REQUIRE_PRIVATE_BUS("empty");
    SecretServiceKeychain keychain;
    expectEveryCallFails(keychain, "test.absent");
}

// A keyring that is locked (the user has not unlocked it this session) must
// not pass for an empty one. Runs in a session of its own, since it leaves the
// collection locked.
TEST(SecretServiceKeychainLockedKeyring, CallsFailInsteadOfFindingNothing) {
    REQUIRE_PRIVATE_BUS("keyring");
    SecretServiceKeychain keychain;
    ASSERT_EQ(keychain.write("test.locked", "alice", "1234"), Keychain::Status::ok);
    QDBusMessage lock = QDBusMessage::createMethodCall("org.freedesktop.secrets", "/org/freedesktop/secrets",
                                                       "org.freedesktop.Secret.Service", "Lock");
    lock << QVariant::fromValue(
        QList<QDBusObjectPath>{QDBusObjectPath("/org/freedesktop/secrets/aliases/default")});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(lock, QDBus::Block, 5000);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    expectEveryCallFails(keychain, "test.locked");
}
