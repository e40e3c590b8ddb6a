#include "platform/profile.h"
#include "platform/profile_text.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace platform {

std::string readProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              std::size_t bufferSize)
{
    if (bufferSize == 0)
        return {};
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bufferSize, MAXDWORD));
    std::vector<char> buffer(size, '\0');
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                  buffer.data(), size, file.c_str());
    return std::string(buffer.data(), std::min<DWORD>(length, size - 1));
}

bool writeProfileString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value)
{
    if (!profiletext::isStorableSection(section) || !profiletext::isStorableKey(key))
        return false;
    return WritePrivateProfileStringA(section.c_str(), key.c_str(),
                                      profiletext::storableValue(value).c_str(), file.c_str())
        != FALSE;
}

void removeStaleProfileTemporaries(const std::string& /*file*/)
{
    // WritePrivateProfileString writes in place: it leaves no temporaries.
}

} // namespace platform
