#include "error_meanings.h"

#include "kernel32.h"

#include <algorithm>
#include <iterator>

namespace {

struct NumberMeaning {
    DWORD number;
    const char* meaning;
};

constexpr NumberMeaning kMeanings[] = {
    {ERROR_FILE_NOT_FOUND,
     "file not found: no controller of that number, or no SiliconImage controller (or driver) of that model"},
    {ERROR_PATH_NOT_FOUND, "path not found: no SiliconImage controller (or driver) at all"},
    {ERROR_ACCESS_DENIED,
     "access denied: run it as administrator (Windows) or as root outside user namespaces (Linux)"},
    {ERROR_SERVICE_NOT_ACTIVE, "service not active: the SCSI generic driver is not loaded (Linux): modprobe sg"},
};

}  // namespace

const char* ErrorMeaning(long long number)
{
    const NumberMeaning* entry = std::find_if(std::begin(kMeanings), std::end(kMeanings),
                                              [number](const NumberMeaning& known) { return number == known.number; });
    return entry != std::end(kMeanings) ? entry->meaning : nullptr;
}
