#include "platform/safefile.h"
#include "platform/widepath_win32.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

namespace platform {

namespace {

int fail(HANDLE handle, std::string& error, const char* what)
{
    error = std::string(what) + ": Win32 error " + std::to_string(GetLastError());
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    return -1;
}

// The C runtime descriptor that takes the handle over.
int toDescriptor(HANDLE handle, int flags, std::string& error)
{
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0)
        return fail(handle, error, "_open_osfhandle");
    error.clear();
    return fd;
}

} // namespace

int openRegularFileForReading(const std::string& path, std::string& error)
{
    HANDLE handle = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return fail(handle, error, "CreateFileW");
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return fail(handle, error, "not a disk file");
    return toDescriptor(handle, _O_RDONLY | _O_BINARY, error);
}

void closeFileDescriptor(int fd)
{
    if (fd >= 0)
        _close(fd);
}

} // namespace platform
