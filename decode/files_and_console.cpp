#include "files_and_console.h"

#include <cstring>

#ifdef _WIN32
#include <cstdlib>
#include <windows.h>

namespace {

// A name from UTF-16 to UTF-8 and back, in memory of its own; nullptr when
// the conversion fails.
char* ToUtf8(const wchar_t* wide)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    char* name = length > 0 ? static_cast<char*>(std::malloc(length)) : nullptr;
    if (name != nullptr && WideCharToMultiByte(CP_UTF8, 0, wide, -1, name, length, nullptr, nullptr) != length) {
        std::free(name);
        name = nullptr;
    }
    return name;
}

wchar_t* ToUtf16(const char* name)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
    wchar_t* wide = length > 0 ? static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * length)) : nullptr;
    if (wide != nullptr && MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, length) != length) {
        std::free(wide);
        wide = nullptr;
    }
    return wide;
}

// The console's code page; without a console, the one its text would be read in.
UINT ConsolePage()
{
    const UINT page = GetConsoleOutputCP();
    return page != 0 ? page : GetACP();
}

}  // namespace

char** Utf8Arguments(int argc, wchar_t** argv)
{
    char** arguments = static_cast<char**>(std::calloc(static_cast<std::size_t>(argc) + 1, sizeof(char*)));
    for (int i = 0; arguments != nullptr && i < argc; ++i) {
        arguments[i] = ToUtf8(argv[i]);
        if (arguments[i] == nullptr) {
            arguments[i] = const_cast<char*>("?");
        }
    }
    return arguments;
}

std::FILE* OpenSource(const char* name)
{
    wchar_t* wide = ToUtf16(name);
    std::FILE* file = wide != nullptr ? _wfopen(wide, L"rb") : nullptr;
    std::free(wide);
    return file;
}

std::size_t ConsoleCharacter(const unsigned char* utf8, int length, char* out)
{
    // Asked once; a plain variable, as a guarded static would bring in the C++ runtime's threads.
    static UINT page;
    if (page == 0) {
        page = ConsolePage();
    }
    if (page == CP_UTF8) {
        std::memcpy(out, utf8, static_cast<std::size_t>(length));
        return static_cast<std::size_t>(length);
    }
    wchar_t wide[2];
    const int units = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(utf8), length, wide, 2);
    // Never a best-fit look-alike: an Ω shown as O names another file.
    BOOL lost = FALSE;
    char bytes[8];
    const int written = units > 0 ? WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide, units, bytes, sizeof bytes,
                                                         nullptr, &lost)
                                  : 0;
    if (written > 0 && written <= 3 * length && !lost) {
        std::memcpy(out, bytes, static_cast<std::size_t>(written));
        return static_cast<std::size_t>(written);
    }
    std::size_t shown = 0;
    for (int i = 0; i < units; ++i) {
        static const char kHex[] = "0123456789abcdef";
        const unsigned unit = wide[i];
        const char escape[] = {'\\', 'u', kHex[unit >> 12], kHex[unit >> 8 & 15], kHex[unit >> 4 & 15], kHex[unit & 15]};
        std::memcpy(out + shown, escape, sizeof escape);
        shown += sizeof escape;
    }
    return shown;
}
#else
std::FILE* OpenSource(const char* name)
{
    return std::fopen(name, "rb");
}

std::size_t ConsoleCharacter(const unsigned char* utf8, int length, char* out)
{
    // Terminals here take UTF-8, and file names are bytes as the file system has them.
    std::memcpy(out, utf8, static_cast<std::size_t>(length));
    return static_cast<std::size_t>(length);
}
#endif
