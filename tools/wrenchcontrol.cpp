#include "tools/wrenchcontrol.h"

#include "tools/wrenchconfig.h"
#include "tools/wrenchsession.h"

#include <QFile>

namespace wrench {

namespace {

constexpr qint64 MaxFile = 16 * 1024 * 1024;

// Splits off the first word of `rest` (blanks around it dropped).
QString takeWord(QString& rest)
{
    rest = rest.trimmed();
    qsizetype end = 0;
    while (end < rest.size() && !rest.at(end).isSpace())
        ++end;
    if (end == rest.size())
        end = -1;
    const QString word = end < 0 ? rest : rest.left(end);
    rest = end < 0 ? QString() : rest.mid(end + 1);
    return word;
}

bool takeNumber(QString& rest, quint32 high, quint32& value)
{
    bool ok = false;
    value = takeWord(rest).toUInt(&ok, 0);
    return ok && value <= high;
}

QString error(const QString& why)
{
    return QStringLiteral("error ") + why;
}

} // namespace

WrenchControl::WrenchControl(WrenchSession& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
{
}

QString WrenchControl::execute(const QString& line)
{
    QString rest = line.trimmed();
    if (rest.isEmpty() || rest.startsWith(QLatin1Char('#')))
        return QString();
    const QString command = takeWord(rest).toLower();
    quint32 a = 0;
    quint32 b = 0;
    quint32 c = 0;

    if (command == QLatin1String("mgd")) {
        if (!takeNumber(rest, 0xFFFF, a) || !takeNumber(rest, 0xFFFF, b))
            return error(QStringLiteral("usage: mgd <id> <type> [text]"));
        m_session.sendMessageRequest(static_cast<quint16>(a), static_cast<quint16>(b),
                                     rest.trimmed().toLatin1());
        return QStringLiteral("ok mgd %1").arg(a);
    }
    if (command == QLatin1String("err")) {
        if (!takeNumber(rest, 0xFFFF, a))
            return error(QStringLiteral("usage: err <code>"));
        m_session.sendError(static_cast<quint16>(a));
        return QStringLiteral("ok err %1").arg(a);
    }
    if (command == QLatin1String("erx")) {
        if (!takeNumber(rest, 0xFFFF, a) || !takeNumber(rest, 0xFFFF, b)
            || !takeNumber(rest, 0xFFFFFFFF, c))
            return error(QStringLiteral("usage: erx <group> <code> <class> [text]"));
        m_session.sendErrorReport((a << 16) | b, c, rest.trimmed().toLatin1());
        return QStringLiteral("ok erx %1 %2").arg(a).arg(b);
    }
    if (command == QLatin1String("fst")) {
        const QString name = takeWord(rest);
        QFile file(rest.trimmed());
        if (name.isEmpty() || file.fileName().isEmpty())
            return error(QStringLiteral("usage: fst <name> <file>"));
        if (!file.open(QIODevice::ReadOnly))
            return error(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        if (file.size() > MaxFile)
            return error(QStringLiteral("%1 is larger than %2 bytes").arg(file.fileName()).arg(MaxFile));
        const QByteArray content = file.readAll();
        m_session.sendFile(name.toLatin1(), content);
        return QStringLiteral("ok fst %1 %2").arg(name).arg(content.size());
    }
    if (command == QLatin1String("unplug")) {
        emit unplugRequested();
        return QStringLiteral("ok unplug");
    }
    if (command == QLatin1String("plug")) {
        emit plugRequested();
        return QStringLiteral("ok plug");
    }
    if (command == QLatin1String("quit")) {
        emit quitRequested();
        return QStringLiteral("ok quit");
    }
    if (command == QLatin1String("help"))
        return QStringLiteral("ok\n") + commandHelp().trimmed();
    return error(QStringLiteral("unknown command \"%1\" (try help)").arg(command));
}

} // namespace wrench
