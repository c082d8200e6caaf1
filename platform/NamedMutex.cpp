#include "platform/NamedMutex.h"

#include <cerrno>

#include "platform/ObjectPaths.h"

namespace kelm {

namespace {

bool InitialiseMutex(void* data) {
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) return false;
    const bool ok = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
                    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
                    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0 &&
                    pthread_mutex_init(static_cast<pthread_mutex_t*>(data), &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return ok;
}

}  // namespace

NamedMutex NamedMutex::Acquire(std::string_view name, SharedObjectFile::Mode mode) {
    const std::string path = SharedObjectPath(name);
    if (path.empty()) return {};
    return NamedMutex(SharedObjectFile::Acquire(path + ".mutex", sizeof(pthread_mutex_t), mode, InitialiseMutex));
}

NamedMutex NamedMutex::Create(std::string_view name) { return Acquire(name, SharedObjectFile::Mode::Create); }

NamedMutex NamedMutex::Open(std::string_view name) { return Acquire(name, SharedObjectFile::Mode::OpenExisting); }

LockResult NamedMutex::Lock() {
    if (!object_) return LockResult::Failed;
    const int result = pthread_mutex_lock(Handle());
    if (result == 0) return LockResult::Acquired;
    if (result == EOWNERDEAD) {
        if (pthread_mutex_consistent(Handle()) == 0) return LockResult::OwnerDied;
        pthread_mutex_unlock(Handle());
    }
    return LockResult::Failed;
}

void NamedMutex::Unlock() {
    if (object_) pthread_mutex_unlock(Handle());
}

}  // namespace kelm
