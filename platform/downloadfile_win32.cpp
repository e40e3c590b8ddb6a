#include "platform/downloadfile.h"

#include "platform/widepath_win32.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstring>
#include <random>
#include <vector>

namespace platform {

namespace {

constexpr int CreateAttempts = 16;

bool failed(std::string& error, const char* what)
{
    error = std::string(what) + ": Win32 error " + std::to_string(GetLastError());
    return false;
}

bool refused(std::string& error, const char* why)
{
    error = why;
    return false;
}

std::string inFolder(const std::string& folder, const std::string& name)
{
    const bool separated = folder.empty() || folder.back() == '\\' || folder.back() == '/';
    return separated ? folder + name : folder + '\\' + name;
}

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// The file is open without sharing: only its own handle may rename or
// remove it, so no other tool takes it for a left-over one.
bool renameOpenFile(HANDLE handle, const std::wstring& target)
{
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(info->FileName, target.data(), nameBytes);
    return SetFileInformationByHandle(handle, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != 0;
}

void removeOpenFile(HANDLE handle)
{
    FILE_DISPOSITION_INFO info{TRUE};
    SetFileInformationByHandle(handle, FileDispositionInfo, &info, sizeof info);
}

} // namespace

bool mayReplaceWithDownload(const std::string& path, std::string& error)
{
    // The entry itself: a reparse point is opened, never its target.
    HANDLE handle = CreateFileW(widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || failed(error, "CreateFileW");
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known)
        return refused(error, "not a disk file");
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return refused(error, "not a regular file");
    if (info.nNumberOfLinks != 1)
        return refused(error, "file has other links");
    return true;
}

int createDownloadFile(const std::string& folder, const std::string& name, std::string& temporaryPath,
                       std::string& error)
{
    std::random_device random;
    for (int attempt = 0; attempt < CreateAttempts; ++attempt) {
        const std::string path = inFolder(folder, temporaryDownloadName(name, random()));
        HANDLE handle = CreateFileW(widen(path).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
            continue;
        if (handle == INVALID_HANDLE_VALUE) {
            failed(error, "CreateFileW");
            return -1;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            failed(error, "_open_osfhandle");
            removeOpenFile(handle);
            CloseHandle(handle);
            return -1;
        }
        temporaryPath = path;
        error.clear();
        return fd;
    }
    refused(error, "create: no free temporary name");
    return -1;
}

bool finishDownloadFile(int fd, const std::string&, const std::string& finalPath, std::string& error)
{
    // Checked again: something may have taken the name meanwhile.
    if (!mayReplaceWithDownload(finalPath, error))
        return false;
    const HANDLE handle = handleOf(fd);
    if (!FlushFileBuffers(handle))
        return failed(error, "FlushFileBuffers");
    if (!renameOpenFile(handle, widen(finalPath)))
        return failed(error, "SetFileInformationByHandle");
    _close(fd);
    error.clear();
    return true;
}

void discardDownloadFile(int fd, const std::string& temporaryPath)
{
    if (fd < 0) {
        if (!temporaryPath.empty())
            DeleteFileW(widen(temporaryPath).c_str());
        return;
    }
    removeOpenFile(handleOf(fd));
    _close(fd);
}

bool removeStaleDownloadFile(const std::string& path)
{
    const std::wstring widePath = widen(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES
        || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return false;
    // A download being written is open without sharing: it stays.
    return DeleteFileW(widePath.c_str()) != 0;
}

} // namespace platform
