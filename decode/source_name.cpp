#include "source_name.h"

#ifdef _WIN32
#include <cstdlib>
#include <windows.h>

const char* JsonSourceName(const char* path)
{
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    wchar_t* wide = wideLength > 0 ? static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * wideLength)) : nullptr;
    if (wide == nullptr || MultiByteToWideChar(CP_ACP, 0, path, -1, wide, wideLength) != wideLength) {
        std::free(wide);
        return path;
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    char* name = length > 0 ? static_cast<char*>(std::malloc(length)) : nullptr;
    if (name == nullptr || WideCharToMultiByte(CP_UTF8, 0, wide, -1, name, length, nullptr, nullptr) != length) {
        std::free(name);
        name = nullptr;
    }
    std::free(wide);
    return name != nullptr ? name : path;
}
#else
const char* JsonSourceName(const char* path)
{
    return path;  // the bytes as the file system has them, UTF-8 where it is
}
#endif
