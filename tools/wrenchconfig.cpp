#include "tools/wrenchconfig.h"

#include "protocol/frame/wire.h"
#include "tools/historygenerator.h"
#include "tools/parameterfile.h"
#include "tools/parametergenerator.h"

#include <QCommandLineParser>
#include <QFile>

#include <type_traits>

namespace wrench {

namespace {

// Far above any wrench's memory; the tool refuses more anyway.
constexpr qint64 MaxHistoryFile = 64 * 1024 * 1024;
constexpr qint64 MaxParameterFile = 64 * 1024 * 1024;

const char* const Description = R"(Plays the torque wrench on a pseudo-terminal, for the tool and its tests.

It prints "ready <path>" on stdout whenever a fresh pseudo-terminal is behind
the path (the --link, else the terminal's own name): at start, after the tool
has closed its port (a new connection never sees the old one's bytes), and
after an unplug. It then answers the tool as a wrench does: the
identification, parameter reads and writes, the parameter description list
and the stored history. Further lines on stdout:
  identified <text>     the tool answered the identification with <text>
  answer <id> <result>  the tool's answer to a message request
  goodbye               the tool said goodbye before closing its port
  unplugged <path>      the device went away (--unplug-after, "unplug")
SIGTERM, SIGINT and SIGHUP end it cleanly; the link is removed.

Frame log (--log), one line per frame:
  <microseconds> <direction> <control> <sequence> <mnemonic> <length> <hex>
direction: tx (wrench to tool), tx-corrupt (sent damaged on purpose), rx (tool
to wrench), rx-bad (check failed), rx-cut (broken off); control and sequence
in hex ("--" if unknown); length counts mnemonic and command data; hex is the
frame as on the wire.
)";

bool readFile(const QString& path, qint64 maxSize, QByteArray& content, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    if (file.size() > maxSize) {
        error = QStringLiteral("%1 is larger than %2 bytes").arg(file.fileName()).arg(maxSize);
        return false;
    }
    content = file.readAll();
    return true;
}

bool toNumber(const QString& text, qint64 low, qint64 high, qint64& value)
{
    bool ok = false;
    value = text.toLongLong(&ok, 0);
    return ok && value >= low && value <= high;
}

// "100,0x65,135" into the set.
bool toIdSet(const QString& text, QSet<quint16>& ids)
{
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString& part : parts) {
        qint64 id = 0;
        if (!toNumber(part.trimmed(), 0, 0xFFFF, id))
            return false;
        ids.insert(static_cast<quint16>(id));
    }
    return true;
}

} // namespace

QString commandHelp()
{
    return QStringLiteral(
        "Commands (stdin lines, or lines on the --control socket; the reply goes\n"
        "back the same way and starts with \"ok\" or \"error\"; what they send waits\n"
        "for a running transfer to end):\n"
        "  mgd <id> <type> [text]   message request; text \"title;message;button;button;button\",\n"
        "                           type 0 close, 1 info, 2 warning, 3 error, 4 question, 5 text\n"
        "  err <code>               error report with a code (e.g. 105)\n"
        "  erx <group> <code> <class> [text]  error report with class and text\n"
        "                           (\"#1\" in the text is filled with the item after \"@@\")\n"
        "  fst <name> <file>        send the file's content to the tool as <name>\n"
        "  unplug | plug            remove the device / bring it back\n"
        "  quit                     end the program\n"
        "  help                     this list\n");
}

ParsedArguments parseArguments(const QStringList& arguments, WrenchConfig& config)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(Description) + QLatin1Char('\n')
                                     + parameterfile::formatHelp() + QLatin1Char('\n') + commandHelp());
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    auto option = [&parser](const char* name, const char* text, const char* valueName = nullptr,
                            const QString& defaultValue = QString()) {
        QString description = QString::fromLatin1(text);
        if (!defaultValue.isEmpty() && defaultValue != QLatin1String("0"))
            description += QStringLiteral(" Default: ") + defaultValue + QLatin1Char('.');
        QCommandLineOption o(QString::fromLatin1(name), description);
        if (valueName != nullptr) {
            o.setValueName(QString::fromLatin1(valueName));
            o.setDefaultValue(defaultValue);
        }
        parser.addOption(o);
        return o;
    };
    const auto number = [](int value) { return QString::number(value); };
    const WrenchLink::Settings defaults;

    const auto link = option("link", "Make <path> a symbolic link to the pseudo-terminal.", "path");
    const auto log = option("log", "Write the frame log to <file>.", "file");
    const auto control = option("control", "Take commands on a local socket at <path> too "
                                           "(e.g. socat - UNIX-CONNECT:<path>).", "path");
    const auto noStdin = option("no-stdin", "Take no commands from stdin (for a run in the "
                                            "background of an interactive shell).");
    const auto ident = option("ident", "Identification sent to the tool (\"name;version;extra;extra\", "
                                       "any number of parts).", "text",
                              QString::fromLatin1(config.identification));
    const auto deviceName = option("device-name", "Parameter 100.", "text",
                                   QString::fromLatin1(config.identity.deviceName));
    const auto firmware = option("firmware", "Parameter 101; \"B\" in it means a base version, "
                                             "\"F\" a full one.", "text",
                                 QString::fromLatin1(config.identity.firmware));
    const auto hardware = option("hardware", "Parameter 103.", "text",
                                 QString::fromLatin1(config.identity.hardware));
    const auto serial = option("serial", "Parameter 135.", "text",
                               QString::fromLatin1(config.identity.serial));
    const auto historyMode = option("history-mode", "Parameter 113 (2: the reports show schedules, parameter "
                                                          "sets and checks).", "n",
                                    number(config.identity.historyMode));
    const auto accessLevel = option("access-level", "Access level at power-on (0..5); the access "
                                                    "codes raise it to 3.", "n",
                                    number(static_cast<int>(config.identity.accessLevel)));
    const int fixedCount = static_cast<int>(ParameterTable::fixedIds().size());
    const QByteArray parametersHelp
        = QStringLiteral("Describe <n> parameters: the fixed ones (list header, access level, identity) "
                         "and generated settings of every value type and table shape (all of them from "
                         "n = %1 on) instead of the standard settings.")
              .arg(fixedCount + parametergenerator::shapeCount())
              .toLatin1();
    const auto parameterCount = option("parameters", parametersHelp.constData(), "n");
    const auto parameterFile = option("parameters-file", "Read the settings from the file (format "
                                                         "above) instead.", "file");
    const auto historyCount = option("history-count", "Generate <n> history records.", "n",
                                     number(history::DefaultCount));
    const auto historySeries = option("history-series", "Generate a production series on one joint "
                                                         "instead: torque measurements against "
                                                         "120.0 Nm +/- 4 %, scattered about the target.");
    const auto historyFile = option("history-file", "Send the file's bytes as the history instead.",
                                    "file");
    const auto blockSize = option("block-size", "Data bytes per block (1..1024).", "n",
                                  number(config.blockSize));
    const auto crc = option("crc", "Send CRC-16 checked frames instead of XOR checked ones.");
    const auto erx = option("unknown-erx", "Refuse unknown IDs with \"ERX\" and a text instead of "
                                           "\"ERR\" 105.");
    const auto ackTimeout = option("ack-timeout", "Wait this long for an acknowledge before "
                                                  "sending again.", "ms",
                                   number(defaults.ackTimeoutMs));
    const auto retries = option("retries", "Send again at most <n> times, then drop the frame "
                                           "and its transfer.", "n", number(defaults.retries));
    const auto corrupt = option("corrupt-every", "Fault: damage every <n>th frame that asks for an "
                                                 "acknowledge (its check fails).", "n", number(0));
    const auto duplicate = option("duplicate-every", "Fault: send every <n>th data block twice.",
                                  "n", number(0));
    const auto baud = option("baud", "Fault: pace the output at the line rate of <rate> baud.",
                             "rate", number(0));
    const auto unplugAfter = option("unplug-after", "Fault: after sending <k> frames, close the "
                                                    "pseudo-terminal and remove the link (once).",
                                    "k", number(0));
    const auto replugAfter = option("replug-after", "Come back <ms> after an unplug, on a new "
                                                    "pseudo-terminal at the same link.", "ms");
    const auto noVer = option("no-ver-answer", "Fault: ignore the tool's identification.");
    const auto verAnswers = option("ver-answers", "Answer the tool's identification up to <n> times on one "
                                                  "connection, also while an answer is on its way (the tool "
                                                  "repeats it every 500 ms until an answer reaches it).",
                                   "n", number(config.identificationAnswers));
    const auto numberDescriptions = option("number-descriptions", "Announce each download of the parameter "
                                                                  "description list with its own number 1, 2, "
                                                                  "3 ... instead of 65535 (the list's); the "
                                                                  "empty download that ends it stays 0.");
    const auto silentIds = option("silent-ids", "Fault: never answer a read of these parameter IDs "
                                                "(comma-separated): no value, no error report; the frame "
                                                "is still acknowledged.", "list");

    ParsedArguments result;
    if (!parser.parse(arguments)) {
        result.text = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        result.outcome = ParsedArguments::ShowHelp;
        result.text = parser.helpText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.text = QStringLiteral("unexpected argument: ") + parser.positionalArguments().first();
        return result;
    }

    QString problem;
    auto read = [&](const QCommandLineOption& o, qint64 low, qint64 high, auto& out) {
        qint64 value = 0;
        const QString text = parser.value(o);
        if (!problem.isEmpty() || toNumber(text, low, high, value)) {
            out = static_cast<std::remove_reference_t<decltype(out)>>(value);
            return;
        }
        problem = QStringLiteral("--%1 wants a number from %2 to %3, not \"%4\"")
                      .arg(o.names().first())
                      .arg(low)
                      .arg(high)
                      .arg(text);
    };
    read(historyMode, 0, 255, config.identity.historyMode);
    int parameters = 0;
    if (parser.isSet(parameterCount))
        read(parameterCount, fixedCount, fixedCount + parametergenerator::MaxCount, parameters);
    read(accessLevel, 0, 5, config.identity.accessLevel);
    int records = 0;
    read(historyCount, 0, 262144, records);
    read(blockSize, 1, frame::MaxPayload - 3, config.blockSize);
    read(ackTimeout, 1, 3600000, config.link.ackTimeoutMs);
    read(retries, 0, 1000, config.link.retries);
    read(corrupt, 0, 1000000, config.link.corruptEvery);
    read(duplicate, 0, 1000000, config.link.duplicateEvery);
    read(baud, 0, 100000000, config.link.baud);
    read(unplugAfter, 0, 1000000000, config.link.unplugAfter);
    if (parser.isSet(replugAfter))
        read(replugAfter, 0, 3600000, config.replugAfterMs);
    read(verAnswers, 1, 1000, config.identificationAnswers);
    if (problem.isEmpty() && parser.isSet(silentIds) && !toIdSet(parser.value(silentIds), config.silentIds))
        problem = QStringLiteral("--silent-ids wants parameter IDs from 0 to 65535 separated by commas, not \"%1\"")
                      .arg(parser.value(silentIds));
    if (!problem.isEmpty()) {
        result.text = problem;
        return result;
    }

    config.identification = parser.value(ident).toLatin1();
    config.identity.deviceName = parser.value(deviceName).toLatin1();
    config.identity.firmware = parser.value(firmware).toLatin1();
    config.identity.hardware = parser.value(hardware).toLatin1();
    config.identity.serial = parser.value(serial).toLatin1();
    config.unknownAsErx = parser.isSet(erx);
    config.answerIdentification = !parser.isSet(noVer);
    config.numberDescriptions = parser.isSet(numberDescriptions);
    config.link.kind = parser.isSet(crc) ? frame::StartCrc : frame::StartXor;
    config.linkPath = parser.value(link);
    config.logPath = parser.value(log);
    config.controlPath = parser.value(control);
    config.commandsOnStdin = !parser.isSet(noStdin);

    if (parser.isSet(parameterCount) && parser.isSet(parameterFile)) {
        result.text = QStringLiteral("--parameters and --parameters-file exclude each other");
        return result;
    }
    if (parser.isSet(parameterCount))
        config.settings = parametergenerator::generate(parameters - fixedCount);
    if (parser.isSet(parameterFile)) {
        QByteArray content;
        if (!readFile(parser.value(parameterFile), MaxParameterFile, content, result.text))
            return result;
        if (!parameterfile::parse(content, config.settings, result.text)) {
            result.text.prepend(parser.value(parameterFile) + QStringLiteral(": "));
            return result;
        }
    }
    if (parser.isSet(historyFile)) {
        if (!readFile(parser.value(historyFile), MaxHistoryFile, config.history, result.text))
            return result;
    } else {
        config.history = history::encode(parser.isSet(historySeries) ? history::generateSeries(records)
                                                                     : history::generate(records));
    }
    result.outcome = ParsedArguments::Run;
    return result;
}

} // namespace wrench
