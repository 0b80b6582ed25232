#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// What a later launch tells the running instance: come to the front, or open
// a link. On the socket it is one line of UTF-8 text:
//   "zanbeck/1 activate\n"   or   "zanbeck/1 open-url <link>\n".
// Whatever arrives on the socket is untrusted: decode() accepts only that
// shape, within the size limits, and drops everything else.
struct InstanceMessage {
    enum class Kind { activate, openUrl };

    static constexpr qsizetype kMaxMessageBytes = 4096;
    static constexpr qsizetype kMaxUrlBytes = 2048;  // in UTF-8, so any link fits one message

    Kind kind = Kind::activate;
    QString url;  // openUrl only

    static InstanceMessage activate() { return {}; }
    // nullopt when the link is too long or no acceptable link (see acceptableUrl).
    static std::optional<InstanceMessage> openUrl(const QString& url);

    // A link text is accepted when it is non-empty, at most kMaxUrlBytes long
    // in UTF-8, starts with a URL scheme ("name:") and holds no control
    // characters or white space.
    static bool acceptableUrl(const QString& url);

    QByteArray encode() const;
    // The bytes of one whole message, newline included.
    static std::optional<InstanceMessage> decode(const QByteArray& line);

    bool operator==(const InstanceMessage&) const = default;
};
