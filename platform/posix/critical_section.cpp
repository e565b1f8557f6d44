// Critical sections as Windows has them, for the platforms off Windows:
// recursive locks, kept in the caller's CRITICAL_SECTION.
#include "kernel32.h"

#include <new>
#include <pthread.h>

namespace {

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION), "the lock fits the caller's section");
static_assert(alignof(pthread_mutex_t) <= alignof(CRITICAL_SECTION), "and is aligned there");

pthread_mutex_t* LockOf(LPCRITICAL_SECTION section)
{
    return std::launder(reinterpret_cast<pthread_mutex_t*>(section));
}

}  // namespace

extern "C" void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(new (lpCriticalSection) pthread_mutex_t, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

extern "C" void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    pthread_mutex_lock(LockOf(lpCriticalSection));
}

extern "C" void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    pthread_mutex_unlock(LockOf(lpCriticalSection));
}
