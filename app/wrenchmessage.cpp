#include "app/wrenchmessage.h"

#include "protocol/frame/view.h"

#include <QStringList>

#include <array>

namespace {

struct MessageType {
    const char* kind;
    const char* defaultButtons;
};

// Indexed by the frame's type; other types have no kind.
constexpr std::array<MessageType, 6> messageTypes{{
    {"No", ""},
    {"Info", "OK"},
    {"Warning", "OK"},
    {"Error", "OK"},
    {"Question", "Yes;No"},
    {"Text", ""},
}};

// ID and type in front of the text.
constexpr int HeaderBytes = 4;
constexpr int FirstCaptionPart = 2;
constexpr int MaxCaptions = 3;

// Parts 3 to 5 of the text; empty ones dropped, so that no button shows
// without a caption. Without any, the type's own buttons apply.
QString captionsOf(const QStringList& parts, const char* defaultButtons)
{
    QStringList captions;
    for (qsizetype i = FirstCaptionPart; i < parts.size() && i < FirstCaptionPart + MaxCaptions; ++i) {
        if (!parts[i].isEmpty())
            captions.append(parts[i]);
    }
    if (captions.isEmpty())
        return QString::fromLatin1(defaultButtons);
    return captions.join(QLatin1Char(';'));
}

} // namespace

std::optional<WrenchMessage> parseWrenchMessage(const std::uint8_t* frame, std::uint32_t frameLength)
{
    const frame::View received(frame, frameLength);
    if (!received.holds(HeaderBytes))
        return std::nullopt;

    WrenchMessage message;
    message.id = received.be16(0);
    message.type = received.be16(2);
    if (message.type >= static_cast<int>(messageTypes.size()))
        return std::nullopt;
    const MessageType& type = messageTypes[static_cast<std::size_t>(message.type)];

    const std::string_view raw = received.text(HeaderBytes);
    const QString text = QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));

    message.kind = QString::fromLatin1(type.kind);
    message.title = message.kind;
    message.message = QStringLiteral("%1 ID = %2").arg(message.kind).arg(message.id);
    message.buttons = QString::fromLatin1(type.defaultButtons);
    if (message.kind == QLatin1String("Text")) {
        message.message = text;
    } else if (!text.isEmpty()) {
        const QStringList parts = text.split(QLatin1Char(';'));
        message.title = parts[0];
        if (parts.size() > 1)
            message.message = parts[1];
        message.buttons = captionsOf(parts, type.defaultButtons);
    }
    message.message.replace(QLatin1String("\\n"), QLatin1String("\n"));
    return message;
}
