#include "app/InstanceMessage.h"

#include <QStringDecoder>

namespace {

const QByteArray kPrefix = QByteArrayLiteral("zanbeck/1 ");
const QByteArray kActivate = QByteArrayLiteral("activate");
const QByteArray kOpenUrl = QByteArrayLiteral("open-url ");

bool hasScheme(const QString& text) {
    if (text.isEmpty() || !text.front().isLetter() || text.front().unicode() > 0x7f) return false;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u':') return true;
        const bool schemeChar =
            c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.');
        if (!schemeChar) return false;
    }
    return false;
}

}  // namespace

bool InstanceMessage::acceptableUrl(const QString& url) {
    if (url.isEmpty() || url.toUtf8().size() > kMaxUrlBytes || !hasScheme(url)) return false;
    for (const QChar c : url) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return false;
    }
    return true;
}

std::optional<InstanceMessage> InstanceMessage::openUrl(const QString& url) {
    if (!acceptableUrl(url)) return std::nullopt;
    InstanceMessage message;
    message.kind = Kind::openUrl;
    message.url = url;
    return message;
}

QByteArray InstanceMessage::encode() const {
    if (kind == Kind::activate) return kPrefix + kActivate + '\n';
    return kPrefix + kOpenUrl + url.toUtf8() + '\n';
}

std::optional<InstanceMessage> InstanceMessage::decode(const QByteArray& line) {
    if (line.size() > kMaxMessageBytes || !line.endsWith('\n') || !line.startsWith(kPrefix))
        return std::nullopt;
    const QByteArray body = line.sliced(kPrefix.size(), line.size() - kPrefix.size() - 1);
    if (body == kActivate) return activate();
    if (!body.startsWith(kOpenUrl)) return std::nullopt;

    // A byte-order mark is kept (and refused below) rather than silently dropped.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString url = decoder.decode(body.sliced(kOpenUrl.size()));
    if (decoder.hasError()) return std::nullopt;
    return openUrl(url);
}
