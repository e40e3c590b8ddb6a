#include "platform/downloadfile.h"

#include <algorithm>
#include <cstdio>

namespace platform {

namespace {

constexpr char Prefix = '.';
constexpr char Marker[] = ".part-";
constexpr std::size_t MarkerLength = sizeof Marker - 1;
constexpr std::size_t TokenDigits = 8;

bool isTokenDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

} // namespace

std::string temporaryDownloadName(const std::string& name, unsigned int token)
{
    char digits[TokenDigits + 1] = {};
    std::snprintf(digits, sizeof digits, "%08x", token);
    return Prefix + name + Marker + digits;
}

bool isTemporaryDownloadName(const std::string& fileName)
{
    const std::size_t suffixLength = MarkerLength + TokenDigits;
    if (fileName.size() < 2 + suffixLength || fileName.front() != Prefix)
        return false;
    const std::size_t marker = fileName.size() - suffixLength;
    return fileName.compare(marker, MarkerLength, Marker) == 0
        && std::all_of(fileName.begin() + static_cast<std::ptrdiff_t>(marker + MarkerLength), fileName.end(),
                       isTokenDigit);
}

} // namespace platform
