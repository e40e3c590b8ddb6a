#include "platform/safefile.h"

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

std::wstring widen(const std::string& utf8)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
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

int openRegularFileForWriting(const std::string& path, std::string& error)
{
    // A new file is created exclusively, so that nothing appearing after a
    // check is followed; an existing reparse point itself is opened, never
    // its target, and refused below.
    const std::wstring widePath = widen(path);
    HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
        handle = CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return fail(handle, error, "CreateFileW");
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return fail(handle, error, "not a disk file");
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return fail(handle, error, "GetFileInformationByHandle");
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return fail(handle, error, "not a regular file");
    if (info.nNumberOfLinks != 1)
        return fail(handle, error, "file has other links");
    if (!SetEndOfFile(handle))
        return fail(handle, error, "SetEndOfFile");
    return toDescriptor(handle, _O_WRONLY | _O_BINARY, error);
}

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
