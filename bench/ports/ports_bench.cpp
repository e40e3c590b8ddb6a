// Writes a settings file whose "PORTS" section maps the given number of COM
// names (100,000 unless told) to paths, and prints how long the port list
// and one port's path take to look up, as at start-up.
#include "platform/ports.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

double secondsFor(void (*work)())
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int g_entries = 100000;

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        g_entries = std::atoi(argv[1]);
    char folder[] = "/tmp/ports_bench.XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        return 1;
    const std::string settings = std::string(folder) + "/TolvoTool.ini";
    {
        std::ofstream file(settings, std::ios::binary);
        file << "[SETUP]\r\nCOMPORT=100\r\n[PORTS]\r\n";
        for (int i = 0; i < g_entries; ++i)
            file << "COM" << 100 + i << "=" << folder << "/missing" << i << "\r\n";
    }
    platform::setPortMappingFile(settings);

    const double list = secondsFor([] { platform::availablePortNames(); });
    const double path = secondsFor([] { platform::devicePathForPort(100 + g_entries - 1); });
    std::printf("PORTS entries: %d\n", g_entries);
    std::printf("port list:     %.3f s\n", list);
    std::printf("one port path: %.3f s\n", path);

    ::unlink(settings.c_str());
    ::rmdir(folder);
    return 0;
}
