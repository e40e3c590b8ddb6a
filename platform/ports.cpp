#include "platform/ports.h"

#include <mutex>

namespace platform {

namespace {

// Written once at start-up, read by the GUI and the port observer thread.
struct MappingFile {
    std::mutex mutex;
    std::string name;
};

MappingFile& mappingFile()
{
    static MappingFile file;
    return file;
}

} // namespace

void setPortMappingFile(const std::string& settingsFile)
{
    MappingFile& file = mappingFile();
    const std::lock_guard<std::mutex> lock(file.mutex);
    file.name = settingsFile;
}

std::string portMappingFile()
{
    MappingFile& file = mappingFile();
    const std::lock_guard<std::mutex> lock(file.mutex);
    return file.name;
}

} // namespace platform
