#pragma once

#include <QString>

class QKapsIO;
class QKapsMsgIO;

// How the tool opens and ends a conversation with the wrench, window and
// command line alike.
namespace toolconversation {

// The name and version the tool gives in every identification exchange.
void identifyAsTool(QKapsIO& engine);
// Breaks off a running download and says goodbye before the port closes.
void sayGoodbye(QKapsMsgIO& service);

} // namespace toolconversation

// The wrench's identification "name;version;extra", the extra keeping any
// further ";".
struct DeviceIdentity {
    QString name;
    QString version;
    QString extra;
};
DeviceIdentity splitIdentification(const QString& text);
