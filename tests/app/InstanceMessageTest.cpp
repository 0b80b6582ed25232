#include <gtest/gtest.h>

#include <QList>

#include "app/InstanceMessage.h"

TEST(InstanceMessage, RoundTripsActivationAndLinks) {
    for (const InstanceMessage& message :
         {InstanceMessage::activate(), *InstanceMessage::openUrl("zanbeck://add-expense"),
          *InstanceMessage::openUrl(QString::fromUtf8("zanbeck://planner/путь?q=ё"))}) {
        const QByteArray bytes = message.encode();
        EXPECT_TRUE(bytes.endsWith('\n'));
        EXPECT_EQ(bytes.count('\n'), 1);
        EXPECT_EQ(InstanceMessage::decode(bytes), message);
    }
}

TEST(InstanceMessage, LinksMustLookLikeLinks) {
    EXPECT_TRUE(InstanceMessage::acceptableUrl("zanbeck:"));
    EXPECT_TRUE(InstanceMessage::acceptableUrl("x-y+z.1://h"));
    for (const char* text :
         {"", "add-expense", "://x", "1abc://x", "zan beck://x", "zanbeck://a b", "zanbeck://a\nb",
          "zanbeck://a\tb", "zanbeck://a\x7f", "zanbeck://a\xe2\x80\x8e"})
        EXPECT_FALSE(InstanceMessage::acceptableUrl(QString::fromUtf8(text))) << text;
    EXPECT_FALSE(InstanceMessage::openUrl("no link"));
}

TEST(InstanceMessage, LinkLengthIsLimitedInBytesSoEveryLinkFitsAMessage) {
    const QString prefix = "zanbeck://";
    const QString longest = prefix + QString(InstanceMessage::kMaxUrlBytes - prefix.size(), u'a');
    EXPECT_TRUE(InstanceMessage::openUrl(longest));
    EXPECT_FALSE(InstanceMessage::openUrl(longest + u'a'));
    // Two bytes per letter: half as many letters fit.
    const qsizetype wideLetters = (InstanceMessage::kMaxUrlBytes - prefix.size()) / 2;
    const QString wide = prefix + QString(wideLetters, QChar(0x044F));
    ASSERT_TRUE(InstanceMessage::openUrl(wide));
    EXPECT_FALSE(InstanceMessage::openUrl(wide + QChar(0x044F)));
    EXPECT_LE(InstanceMessage::openUrl(wide)->encode().size(), InstanceMessage::kMaxMessageBytes);
    EXPECT_EQ(InstanceMessage::decode(InstanceMessage::openUrl(longest)->encode())->url, longest);
}

TEST(InstanceMessage, GarbageIsDropped) {
    const QList<QByteArray> garbage{
        "",
        "\n",
        "zanbeck/1 activate",     // no end of line
        "zanbeck/1 activate \n",  // trailing text
        "zanbeck/1 Activate\n",
        "zanbeck/2 activate\n",  // another protocol version
        "activate\n",
        "zanbeck/1 open-url\n",
        "zanbeck/1 open-url \n",
        "zanbeck/1 open-url not-a-link\n",
        "zanbeck/1 open-url zanbeck://a\rb\n",
        "zanbeck/1 open-url zanbeck://\xff\xfe\n",             // not UTF-8
        "zanbeck/1 open-url zanbeck://\xc0\xaf\n",             // overlong encoding
        "zanbeck/1 open-url \xef\xbb\xbfzanbeck://planner\n",  // byte-order mark
        "zanbeck/1 open-url zanbeck://a\nzanbeck/1 activate\n",
        QByteArray("zanbeck/1 open-url zanbeck://a\0b\n", 33),
        "zanbeck/1 delete-everything\n",
        "zanbeck/1 open-url zanbeck://" + QByteArray(InstanceMessage::kMaxMessageBytes, 'a') + "\n",
    };
    for (const QByteArray& bytes : garbage)
        EXPECT_FALSE(InstanceMessage::decode(bytes)) << bytes.toStdString();
}
