#pragma once

#include "protocol/frame/parser.h"

#include <QEvent>

class QObject;

namespace comevent {
constexpr int Receive = QEvent::User + 1;      // 1001 complete frame
constexpr int ChecksumError = QEvent::User + 2; // 1002
constexpr int DataError = QEvent::User + 3;     // 1003 frame abandoned
constexpr int Overrun = QEvent::User + 4;       // 1004
constexpr int ReadError = QEvent::User + 5;     // 1005 device gone
constexpr int WriteError = QEvent::User + 6;    // 1006
constexpr int CloseTimeout = QEvent::User + 7;  // 1007
constexpr int PortListChanged = QEvent::User + 20; // 1020
} // namespace comevent

// Events from the serial layer. They are built on the receive thread and read
// on the GUI thread; everything they carry is set before posting.
class ComReceiveEvent : public QEvent {
public:
    ComReceiveEvent(RxSlot* slot, int value);
    RxSlot* slot() const { return m_slot; }
    int value() const { return m_value; }

private:
    RxSlot* m_slot;
    int m_value;
};

class ComErrorEvent : public QEvent {
public:
    ComErrorEvent(int type, int value);
    int value() const { return m_value; }

private:
    int m_value;
};

// Where the events of one port go, tagged with value. A null receiver gets
// nothing.
struct ComEventTarget {
    QObject* receiver = nullptr;
    int value = 0;
};

// Tells receiver that the system's list of serial ports changed (1020).
void postPortListChanged(QObject* receiver);

// Posts a ComErrorEvent of type (1002..1007).
void postComError(const ComEventTarget& target, int type);

// The parser's sink, context pointing to a ComEventTarget: a frame posts a
// ComReceiveEvent with its slot, the other reports the ComErrorEvent
// 1002..1004.
void postParseReport(frame::ParseReport report, void* context, RxSlot* slot);
