// Named mutexes shared between processes: a robust, process-shared pthread
// mutex in its own file <runtime>/shm/<name>.mutex, with the lifetime of
// SharedObjectFile. Like the window system's mutexes it is recursive for
// its owning thread, and a holder that ends without releasing it leaves it
// abandoned: the next Lock acquires it, makes it consistent again, and says
// OwnerDied, because what the dead holder was doing under it is not to be
// trusted (the block's owner rewrites the block; a reader counts its copy
// as failed).
//
// A NamedMutex must not be destroyed while a thread of this process holds
// it: the pthread robust list that makes an abandoned mutex detectable
// needs the mutex to stay mapped until its holder ends.
#pragma once

#include <pthread.h>

#include <string_view>

#include "platform/SharedObjectFile.h"

namespace kelm {

enum class LockResult { Acquired, OwnerDied, Failed };

class NamedMutex {
public:
    NamedMutex() = default;
    // Creates the mutex, not owned, or opens it when it exists already
    // (AlreadyExisted() then tells). Empty on failure.
    static NamedMutex Create(std::string_view name);
    // Opens an existing mutex; empty when nobody holds one by that name.
    static NamedMutex Open(std::string_view name);

    explicit operator bool() const { return static_cast<bool>(object_); }
    bool AlreadyExisted() const { return object_ && !object_.Created(); }

    // Waits without a time limit. The mutex is held after Acquired and
    // OwnerDied, not after Failed.
    LockResult Lock();
    void Unlock();

private:
    explicit NamedMutex(SharedObjectFile object) : object_(std::move(object)) {}
    static NamedMutex Acquire(std::string_view name, SharedObjectFile::Mode mode);
    pthread_mutex_t* Handle() const { return static_cast<pthread_mutex_t*>(object_.Data()); }
    SharedObjectFile object_;
};

// Holds a NamedMutex for a scope.
class NamedMutexLock {
public:
    explicit NamedMutexLock(NamedMutex& mutex) : mutex_(mutex), result_(mutex.Lock()) {}
    ~NamedMutexLock() {
        if (Held()) mutex_.Unlock();
    }
    NamedMutexLock(const NamedMutexLock&) = delete;
    NamedMutexLock& operator=(const NamedMutexLock&) = delete;

    LockResult Result() const { return result_; }
    bool Held() const { return result_ != LockResult::Failed; }

private:
    NamedMutex& mutex_;
    const LockResult result_;
};

}  // namespace kelm
