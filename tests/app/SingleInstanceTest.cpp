#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>

#include "app/SingleInstance.h"
#include "platform/OutsideEntries.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace {

QList<InstanceMessage> received(const QSignalSpy& spy) {
    QList<InstanceMessage> list;
    for (const auto& arguments : spy) list << arguments.at(0).value<InstanceMessage>();
    return list;
}

}  // namespace

class SingleInstanceTest : public ::testing::Test {
protected:
    QString folder() const { return dir.filePath("run"); }

    // Writes raw bytes to the running instance, as a stranger's program could.
    void sendRaw(const QByteArray& bytes, QLocalSocket& socket) {
        socket.connectToServer(first.socketPath());
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(bytes);
        socket.waitForBytesWritten(2000);
    }

    TempDir dir;
    SingleInstance first{folder(), "zanbeck"};
};

// Forwarding from a later launch is checked in LaunchTest and ExecutablesTest.
TEST_F(SingleInstanceTest, TheFolderAndSocketAreTheUsersOnlyEvenIfTheFolderWasOpen) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    QFile::setPermissions(folder(), QFile::Permissions(0x7777));
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    EXPECT_EQ(QFileInfo(folder()).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                                   QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions{});
    EXPECT_EQ(QFileInfo(first.socketPath()).permissions() & (QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions{});
}

TEST_F(SingleInstanceTest, AFileInPlaceOfTheFolderFails) {
    QFile blocker(folder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(first.claim(), SingleInstance::Claim::failed);
    EXPECT_FALSE(first.errorString().isEmpty());
}

TEST_F(SingleInstanceTest, AfterTheInstanceEndsTheNextLaunchTakesOverItsLeftoverSocket) {
    {
        SingleInstance gone(folder(), "zanbeck-other");
        ASSERT_EQ(gone.claim(), SingleInstance::Claim::primary);
    }
    // A crash leaves the socket file behind; the next instance must still listen.
    QFile leftover(QDir(folder()).filePath("zanbeck-other.socket"));
    if (!leftover.exists()) {
        ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
        leftover.close();
    }
    SingleInstance next(folder(), "zanbeck-other");
    ASSERT_EQ(next.claim(), SingleInstance::Claim::primary);
    QSignalSpy spy(&next, &SingleInstance::messageReceived);
    SingleInstance later(folder(), "zanbeck-other");
    ASSERT_EQ(later.claim(), SingleInstance::Claim::secondary);
    ASSERT_TRUE(later.send(InstanceMessage::activate()));
    EXPECT_TRUE(waitUntil([&] { return spy.size() == 1; }));
}

TEST_F(SingleInstanceTest, SendingWithNobodyListeningFails) {
    SingleInstance lonely(folder(), "zanbeck");
    ASSERT_TRUE(QDir().mkpath(folder()));
    EXPECT_FALSE(lonely.send(InstanceMessage::activate(), 200));
    EXPECT_FALSE(lonely.errorString().isEmpty());
}

TEST_F(SingleInstanceTest, GarbageIsDroppedOneMessageCountsPerConnectionAndTheInstanceKeepsServing) {
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    QSignalSpy spy(&first, &SingleInstance::messageReceived);
    // The flood is closed once the limit is passed, without waiting for an end of line.
    for (const QByteArray& bytes :
         {QByteArray("zanbeck/1 open-url not a link\n"),
          QByteArray(InstanceMessage::kMaxMessageBytes * 4, 'x'), QByteArray::fromHex("00ff10fe0a"),
          InstanceMessage::activate().encode() + InstanceMessage::openUrl("zanbeck://x")->encode()}) {
        QLocalSocket socket;
        sendRaw(bytes, socket);
        ASSERT_TRUE(waitUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; }));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(received(spy), QList<InstanceMessage>{InstanceMessage::activate()});

    SingleInstance second(folder(), "zanbeck");
    ASSERT_EQ(second.claim(), SingleInstance::Claim::secondary);
    ASSERT_TRUE(second.send(*InstanceMessage::openUrl("zanbeck://planner")));
    ASSERT_TRUE(waitUntil([&] { return spy.size() == 2; }));
    EXPECT_EQ(received(spy).back().url, "zanbeck://planner");
}

TEST(InstanceMessageDelivery, EveryMessageActivatesALinkIsThenOpened) {
    OutsideEntries entries;
    QStringList events;
    QObject::connect(&entries, &OutsideEntries::activationRequested, [&] { events << "activate"; });
    QObject::connect(&entries, &OutsideEntries::urlOpened, [&](const QString& url) { events << url; });
    deliverInstanceMessage(InstanceMessage::activate(), entries);
    deliverInstanceMessage(*InstanceMessage::openUrl("zanbeck://calendar"), entries);
    EXPECT_EQ(events, (QStringList{"activate", "activate", "zanbeck://calendar"}));
}
