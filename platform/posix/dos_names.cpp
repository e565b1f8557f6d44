#include "dos_names.h"

#include <cstring>
#include <pthread.h>

namespace {

constexpr int kMaxNames = 16;

struct Definition {
    char name[DEVICE_NAME_SIZE];
    char target[DEVICE_NAME_SIZE];
};

// A console control handler removes names on its own thread.
pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
Definition definitions[kMaxNames];
int count = 0;

bool Fits(const char* text)
{
    return std::strlen(text) < static_cast<std::size_t>(DEVICE_NAME_SIZE);
}

// Windows compares object names without regard to case.
int Newest(const char* name, const char* target)
{
    for (int i = count - 1; i >= 0; --i) {
        if (SameDeviceName(definitions[i].name, name) &&
            (target == nullptr || SameDeviceName(definitions[i].target, target))) {
            return i;
        }
    }
    return -1;
}

}  // namespace

DWORD DefineDosName(const char* name, const char* target)
{
    if (!Fits(name) || !Fits(target)) {
        return ERROR_INVALID_PARAMETER;
    }
    pthread_mutex_lock(&lock);
    DWORD error = ERROR_NOT_ENOUGH_MEMORY;
    if (count < kMaxNames) {
        std::memcpy(definitions[count].name, name, std::strlen(name) + 1);
        std::memcpy(definitions[count].target, target, std::strlen(target) + 1);
        ++count;
        error = 0;
    }
    pthread_mutex_unlock(&lock);
    return error;
}

DWORD RemoveDosName(const char* name, const char* target)
{
    pthread_mutex_lock(&lock);
    const int at = Newest(name, target);
    if (at >= 0) {
        std::memmove(&definitions[at], &definitions[at + 1], sizeof(Definition) * static_cast<unsigned>(count - at - 1));
        --count;
    }
    pthread_mutex_unlock(&lock);
    return at >= 0 ? 0 : ERROR_FILE_NOT_FOUND;
}

bool FindDosName(const char* name, char (&target)[DEVICE_NAME_SIZE])
{
    pthread_mutex_lock(&lock);
    const int at = Newest(name, nullptr);
    if (at >= 0) {
        std::memcpy(target, definitions[at].target, sizeof target);
    }
    pthread_mutex_unlock(&lock);
    return at >= 0;
}
