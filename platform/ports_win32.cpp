#include "platform/ports.h"

#include <windows.h>

#include <cstring>

namespace platform {

namespace {

constexpr DWORD kNameBufferSize = 260;

} // namespace

std::string devicePathForPort(int portNumber)
{
    return "\\\\.\\COM" + std::to_string(portNumber);
}

std::vector<std::string> availablePortNames()
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key)
        != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char valueName[kNameBufferSize] = {};
        BYTE data[kNameBufferSize] = {};
        DWORD valueNameSize = kNameBufferSize;
        DWORD dataSize = kNameBufferSize;
        DWORD type = 0;
        if (RegEnumValueA(key, index, valueName, &valueNameSize, nullptr, &type, data, &dataSize)
            != ERROR_SUCCESS)
            break;
        // Registry strings need not end with a zero: the size bounds the name.
        const char* text = reinterpret_cast<const char*>(data);
        const std::size_t length = strnlen(text, dataSize);
        if (type == REG_SZ && length > 0)
            names.emplace_back(text, length);
    }
    RegCloseKey(key);
    return names;
}

} // namespace platform
