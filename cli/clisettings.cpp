#include "cli/clisettings.h"

#include "app/paths.h"
#include "app/qorbinifile.h"
#include "app/setupdefaults.h"
#include "platform/ports.h"
#include "platform/profile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTranslator>

#include <memory>

namespace {

const QString& setupSection = setupdefaults::Section;
// Far above the conventional numbers, for a path no COM name maps to.
constexpr int OwnMappingPort = 9999;

QString canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

void CliSettings::actAsWindowProgram()
{
    paths::setStartPath(paths::programDirectory(paths::startPath()) + QStringLiteral("TolvoTool"));
}

CliSettings CliSettings::load(const QString& givenFile)
{
    CliSettings settings;
    settings.file = givenFile.isEmpty() ? paths::settingsFileInUse(paths::startPath())
                                        : QFileInfo(givenFile).absoluteFilePath();
    platform::setPortMappingFile(QFile::encodeName(settings.file).toStdString());
    QorbInifile ini;
    ini.setFileName(settings.file, true);
    settings.baudRate = ini.readInt(setupSection, QStringLiteral("BAUDRATE"), settings.baudRate, false);
    settings.decimalSeparator = setupdefaults::separatorOf(
        ini.readString(setupSection, QStringLiteral("DECIMAL_SEPARATOR"), setupdefaults::DecimalSeparator, false));
    settings.language = ini.readString(setupSection, QStringLiteral("LANGUAGE"), setupdefaults::Language, false);
    settings.archive = ArchiveSettings::read(ini, paths::startPath());
    settings.thresholds = readStatsThresholds(ini);
    return settings;
}

bool CliSettings::installTranslation() const
{
    auto translator = std::make_unique<QTranslator>();
    if (language != QLatin1String("GERMAN") || !paths::loadTranslation(*translator, QStringLiteral("TolvoTool_de")))
        return false;
    translator->setParent(QCoreApplication::instance());
    return QCoreApplication::installTranslator(translator.release());
}

QList<PresentPort> presentPorts()
{
    QList<PresentPort> ports;
    for (const std::string& name : platform::availablePortNames()) {
        const int number = std::stoi(name.substr(3));
        ports.append({number, QFile::decodeName(platform::devicePathForPort(number).c_str())});
    }
    return ports;
}

bool PortChoice::choose(const QString& port, QString& error)
{
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]{0,5})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(port);
    if (match.hasMatch()) {
        m_portNumber = match.captured(1).toInt();
        return true;
    }
    if (!port.contains(QLatin1Char('/'))) {
        error = QStringLiteral("\"%1\" is neither a COM name nor a device path").arg(port);
        return false;
    }
    if (!QFileInfo::exists(port)) {
        error = QStringLiteral("no such port: %1").arg(port);
        return false;
    }
    const QString device = canonical(port);
    for (const PresentPort& present : presentPorts()) {
        if (canonical(present.path) == device) {
            m_portNumber = present.number;
            return true;
        }
    }
    return mapPath(port, error);
}

bool PortChoice::mapPath(const QString& path, QString& error)
{
    m_mappingFolder = std::make_unique<QTemporaryDir>();
    const std::string file = QFile::encodeName(m_mappingFolder->filePath(QStringLiteral("ports.ini"))).toStdString();
    if (!m_mappingFolder->isValid()
        || !platform::writeProfileString(file, "PORTS", "COM" + std::to_string(OwnMappingPort),
                                         QFile::encodeName(path).toStdString())) {
        error = QStringLiteral("cannot map %1 to a port: no temporary folder").arg(path);
        return false;
    }
    platform::setPortMappingFile(file);
    m_portNumber = OwnMappingPort;
    return true;
}
