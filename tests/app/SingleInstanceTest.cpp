#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>

#include "app/SingleInstance.h"
#include "platform/OutsideEntries.h"
#include "support/TempDir.h"

namespace {

// Runs the event loop until the condition holds (bounded, so a fault fails instead of hanging).
bool processUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(5000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

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

TEST_F(SingleInstanceTest, TheFirstBecomesTheInstanceLaterOnesForward) {
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    QSignalSpy spy(&first, &SingleInstance::messageReceived);

    SingleInstance second(folder(), "zanbeck");
    ASSERT_EQ(second.claim(), SingleInstance::Claim::secondary);
    ASSERT_TRUE(second.send(InstanceMessage::activate()));
    ASSERT_TRUE(second.send(*InstanceMessage::openUrl("zanbeck://add-expense")));

    ASSERT_TRUE(processUntil([&] { return spy.size() == 2; }));
    EXPECT_EQ(received(spy), (QList<InstanceMessage>{InstanceMessage::activate(),
                                                     *InstanceMessage::openUrl("zanbeck://add-expense")}));
}

TEST_F(SingleInstanceTest, EachBuildHasItsOwnInstance) {
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    SingleInstance parent(folder(), "zanbeck-parent");
    EXPECT_EQ(parent.claim(), SingleInstance::Claim::primary);
    EXPECT_NE(parent.socketPath(), first.socketPath());
}

TEST_F(SingleInstanceTest, TheFolderAndSocketAreTheUsersOnly) {
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    const QFileInfo folderInfo(folder());
    EXPECT_EQ(folderInfo.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions{});
    const QFileInfo socketInfo(first.socketPath());
    EXPECT_EQ(socketInfo.permissions() & (QFile::WriteGroup | QFile::WriteOther), QFile::Permissions{});
}

TEST_F(SingleInstanceTest, AnOpenFolderIsClosedToOthersFirst) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    QFile::setPermissions(folder(), QFile::Permissions(0x7777));
    EXPECT_EQ(first.claim(), SingleInstance::Claim::primary);
    EXPECT_FALSE(QFileInfo(folder()).permissions() & QFile::WriteOther);
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
    EXPECT_TRUE(processUntil([&] { return spy.size() == 1; }));
}

TEST_F(SingleInstanceTest, SendingWithNobodyListeningFails) {
    SingleInstance lonely(folder(), "zanbeck");
    ASSERT_TRUE(QDir().mkpath(folder()));
    EXPECT_FALSE(lonely.send(InstanceMessage::activate(), 200));
    EXPECT_FALSE(lonely.errorString().isEmpty());
}

TEST_F(SingleInstanceTest, GarbageIsDroppedAndTheInstanceKeepsServing) {
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    QSignalSpy spy(&first, &SingleInstance::messageReceived);

    QLocalSocket junk;
    sendRaw("zanbeck/1 open-url not a link\n", junk);
    ASSERT_TRUE(processUntil([&] { return junk.state() == QLocalSocket::UnconnectedState; }));

    QLocalSocket flood;
    sendRaw(QByteArray(InstanceMessage::kMaxMessageBytes * 4, 'x'), flood);
    // Closed once the limit is passed, without waiting for an end of line.
    ASSERT_TRUE(processUntil([&] { return flood.state() == QLocalSocket::UnconnectedState; }));

    QLocalSocket binary;
    sendRaw(QByteArray::fromHex("00ff10fe0a"), binary);
    ASSERT_TRUE(processUntil([&] { return binary.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_TRUE(spy.isEmpty());

    SingleInstance second(folder(), "zanbeck");
    ASSERT_EQ(second.claim(), SingleInstance::Claim::secondary);
    ASSERT_TRUE(second.send(*InstanceMessage::openUrl("zanbeck://planner")));
    ASSERT_TRUE(processUntil([&] { return spy.size() == 1; }));
    EXPECT_EQ(received(spy).front().url, "zanbeck://planner");
}

TEST_F(SingleInstanceTest, OnlyTheFirstMessageOfAConnectionCounts) {
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    QSignalSpy spy(&first, &SingleInstance::messageReceived);
    QLocalSocket socket;
    sendRaw(InstanceMessage::activate().encode() + InstanceMessage::openUrl("zanbeck://x")->encode(), socket);
    ASSERT_TRUE(processUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(received(spy), QList<InstanceMessage>{InstanceMessage::activate()});
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
