#include "device_names.h"

#include <limits.h>
#include <string.h>

/* ASCII only: the names hold nothing else, and a locale must not change
 * how they compare. */
static int AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

/* How many leading characters of A and B are one name's, at most LIMIT. */
static size_t SameLength(const char* a, const char* b, size_t limit)
{
    size_t i = 0;
    while (i < limit && a[i] != '\0' && AsciiLower(a[i]) == AsciiLower(b[i])) {
        ++i;
    }
    return i;
}

int SameDeviceName(const char* a, const char* b)
{
    const size_t length = strlen(a);
    return strlen(b) == length && SameLength(a, b, length) == length;
}

int DeviceNameBegins(const char* name, const char* beginning)
{
    const size_t length = strlen(beginning);
    return SameLength(name, beginning, length) == length;
}

/* The number N of NAME = PREFIX N SUFFIX, or -1. */
static int NumberBetween(const char* name, const char* prefix, const char* suffix)
{
    const size_t length = strlen(name);
    const size_t before = strlen(prefix);
    const size_t after = strlen(suffix);
    if (length <= before + after || !DeviceNameBegins(name, prefix) ||
        !SameDeviceName(name + length - after, suffix)) {
        return -1;
    }
    const char* digit = name + before;
    const char* end = name + length - after;
    if (*digit == '0' && end - digit > 1) {
        return -1;
    }
    long long number = 0;
    for (; digit != end; ++digit) {
        if (*digit < '0' || *digit > '9') {
            return -1;
        }
        number = number * 10 + (*digit - '0');
        if (number > INT_MAX) {
            return -1;
        }
    }
    return (int)number;
}

int ScsiPortNameNumber(const char* name)
{
    return NumberBetween(name, SCSI_PORT_NAME_PREFIX, SCSI_PORT_NAME_SUFFIX);
}

int SilObjectModel(const char* object)
{
    return NumberBetween(object, SIL_OBJECT_PREFIX, SIL_OBJECT_SUFFIX);
}

int SilDeviceModel(const char* device)
{
    return NumberBetween(device, SIL_DIRECTORY "\\" SIL_OBJECT_PREFIX, SIL_OBJECT_SUFFIX);
}

int ObjectDirectory(const char* path, char directory[DEVICE_NAME_SIZE])
{
    /* By hand, not strrchr: the exes import only what NT 5.2's msvcrt is
     * listed to export. */
    const char* separator = NULL;
    for (const char* c = path; *c != '\0'; ++c) {
        if (*c == '\\') {
            separator = c;
        }
    }
    if (separator == NULL || separator == path || separator - path >= DEVICE_NAME_SIZE) {
        return 0;
    }
    const size_t length = (size_t)(separator - path);
    memcpy(directory, path, length);
    directory[length] = '\0';
    return 1;
}

int ServedNumber(int number)
{
    return number == SIL_ALIAS_MODEL ? SIL_ALIAS_SERVED_AS : number;
}

int AliasNumber(int number)
{
    return number == SIL_ALIAS_SERVED_AS ? SIL_ALIAS_MODEL : -1;
}
