#include "protocol/toolconversation.h"

#include "protocol/qkapsmsgio.h"

namespace toolconversation {

namespace {
// The wrench's "goodbye": no record and no parameter wanted any more.
constexpr int GoodbyeId = 0xFFFF;
} // namespace

void identifyAsTool(QKapsIO& engine)
{
    engine.setIdentification(QStringLiteral("TLTERM"), QStringLiteral("V. 1.006"), QString());
}

void sayGoodbye(QKapsMsgIO& service)
{
    service.breakRecords();
    service.requestData(GoodbyeId, 0);
}

} // namespace toolconversation

DeviceIdentity splitIdentification(const QString& text)
{
    DeviceIdentity identity;
    const qsizetype nameEnd = text.indexOf(QLatin1Char(';'));
    if (nameEnd < 0) {
        identity.name = text;
        return identity;
    }
    identity.name = text.left(nameEnd);
    const QString rest = text.mid(nameEnd + 1);
    const qsizetype versionEnd = rest.indexOf(QLatin1Char(';'));
    if (versionEnd < 0) {
        identity.version = rest;
        return identity;
    }
    identity.version = rest.left(versionEnd);
    identity.extra = rest.mid(versionEnd + 1);
    return identity;
}
