#pragma once

#include "protocol/toolconversation.h"

#include <QString>

#include <cstdint>
#include <optional>

// What the wrench's "MGD" frame asks the tool to do: show a message box and
// answer with the button chosen ("Info", "Warning", "Error", "Question"),
// close the box it asked for before ("No"), or nothing ("Text").
struct WrenchMessage {
    int id = 0;
    int type = 0;
    QString kind;
    QString title;
    QString message;
    QString buttons; // captions separated by ";"

    bool closesBox() const { return kind == QLatin1String("No"); }
    bool showsBox() const { return !closesBox() && kind != QLatin1String("Text"); }
};

// Reads an unescaped "MGD" frame. The text is "title;message;caption;caption;
// caption", every part optional; "\n" (backslash, n) in the message is a line
// break. Nothing for a frame too short for its ID and type, or of a type
// without a kind.
std::optional<WrenchMessage> parseWrenchMessage(const std::uint8_t* frame, std::uint32_t frameLength);
