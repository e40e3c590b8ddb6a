#include "platform/ports.h"
#include "platform/ports_posix.h"

#include "platform/profile_posix.h"

#include <fstream>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace platform {

namespace {

constexpr int kPortsPerFamily = 32;

struct Family {
    int firstPort;
    const char* prefix;
    // Legacy ports have a device node whether or not a UART is behind it.
    bool needsUart;
};

constexpr Family kFamilies[] = {{1, "ttyS", true}, {33, "ttyUSB", false}, {65, "ttyACM", false}};

struct Folders {
    std::string devices = "/dev";
    std::string ttyClass = "/sys/class/tty";
};

struct SharedFolders {
    std::mutex mutex;
    Folders folders;
};

SharedFolders& sharedFolders()
{
    static SharedFolders shared;
    return shared;
}

Folders folders()
{
    SharedFolders& shared = sharedFolders();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    return shared.folders;
}

const Family* familyOf(int port)
{
    for (const Family& family : kFamilies) {
        if (port >= family.firstPort && port < family.firstPort + kPortsPerFamily)
            return &family;
    }
    return nullptr;
}

bool exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool hasUart(const std::string& ttyClass, const std::string& name)
{
    if (!exists(ttyClass + "/" + name + "/device"))
        return false;
    std::ifstream typeFile(ttyClass + "/" + name + "/type");
    int type = 0;
    return static_cast<bool>(typeFile >> type) && type != 0;
}

// "ttyUSB3" for COM36.
std::string conventionalName(const Family& family, int port)
{
    return family.prefix + std::to_string(port - family.firstPort);
}

bool conventionalPortPresent(const Family& family, int port, const Folders& where)
{
    const std::string name = conventionalName(family, port);
    return exists(where.devices + "/" + name) && (!family.needsUart || hasUart(where.ttyClass, name));
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// 7 for "COM7" (any letter case); 0 for a key that is no port name. Leading
// zeros are refused: "COM07" is not the name of any port.
int portNumberOfKey(const std::string& key)
{
    constexpr std::size_t kMaxDigits = 6;
    if (key.size() < 4 || key.size() > 3 + kMaxDigits || key[3] == '0')
        return 0;
    if (!profiletext::sameName(key.substr(0, 3), "COM"))
        return 0;
    int number = 0;
    for (std::size_t i = 3; i < key.size(); ++i) {
        if (!isDigit(key[i]))
            return 0;
        number = number * 10 + (key[i] - '0');
    }
    return number;
}

std::map<int, std::string> mappedPorts()
{
    std::map<int, std::string> ports;
    const std::string file = portMappingFile();
    if (file.empty())
        return ports;
    for (const profiletext::Entry& entry : readProfileSection(file, "PORTS")) {
        const int port = portNumberOfKey(entry.first);
        if (port > 0 && !entry.second.empty())
            ports.emplace(port, entry.second);
    }
    return ports;
}

} // namespace

void setDeviceFolders(const std::string& devices, const std::string& ttyClass)
{
    SharedFolders& shared = sharedFolders();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    shared.folders = Folders{devices, ttyClass};
}

std::string deviceFolder()
{
    return folders().devices;
}

bool isConventionalDeviceName(const std::string& name)
{
    for (const Family& family : kFamilies) {
        const std::string prefix = family.prefix;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        bool digitsOnly = true;
        for (std::size_t i = prefix.size(); i < name.size(); ++i)
            digitsOnly = digitsOnly && isDigit(name[i]);
        if (digitsOnly)
            return true;
    }
    return false;
}

std::vector<std::string> mappedPortPaths()
{
    std::vector<std::string> paths;
    for (const auto& [port, path] : mappedPorts())
        paths.push_back(path);
    return paths;
}

std::string devicePathForPort(int portNumber)
{
    const std::map<int, std::string> mapped = mappedPorts();
    const auto found = mapped.find(portNumber);
    if (found != mapped.end())
        return found->second;
    const Family* family = familyOf(portNumber);
    if (family == nullptr)
        return {};
    return deviceFolder() + "/" + conventionalName(*family, portNumber);
}

std::vector<std::string> availablePortNames()
{
    const Folders where = folders();
    const std::map<int, std::string> mapped = mappedPorts();
    std::map<int, bool> present;
    for (const Family& family : kFamilies) {
        for (int port = family.firstPort; port < family.firstPort + kPortsPerFamily; ++port)
            present[port] = conventionalPortPresent(family, port, where);
    }
    // A mapping replaces the convention for its number.
    for (const auto& [port, path] : mapped)
        present[port] = exists(path);

    std::vector<std::string> names;
    for (const auto& [port, isPresent] : present) {
        if (isPresent)
            names.push_back("COM" + std::to_string(port));
    }
    return names;
}

} // namespace platform
