#include "protocol/kapsmessage.h"

KaPSMessage::KaPSMessage(int type, int v1, int v2, const QString& txt)
    : QEvent(static_cast<QEvent::Type>(type)), value1(v1), value2(v2), text(txt)
{
}

void KaPSMessage::setBytes(const char* data, int length)
{
    if (data == nullptr || length <= 0)
        return;
    m_bytes = QByteArray(data, length);
}

void KaPSMessage::setBytes(const QByteArray& data)
{
    if (!data.isEmpty())
        m_bytes = data;
}
