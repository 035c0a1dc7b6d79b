// GoogleTest needs std::mutex and std::condition_variable, which libstdc++ leaves out
// under MinGW's win32 thread model. These two, over SRW locks and Win32 condition
// variables, serve the test programs only; the setup itself uses no std threads.
#pragma once

#include <windows.h>

#include <mutex>

#if !defined(_GLIBCXX_HAS_GTHREADS)
namespace std {

class mutex {
public:
    mutex() = default;
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    void lock() { ::AcquireSRWLockExclusive(&lock_); }
    bool try_lock() { return ::TryAcquireSRWLockExclusive(&lock_) != 0; }
    void unlock() { ::ReleaseSRWLockExclusive(&lock_); }
    SRWLOCK* native_handle() { return &lock_; }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class condition_variable {
public:
    condition_variable() = default;
    condition_variable(const condition_variable&) = delete;
    condition_variable& operator=(const condition_variable&) = delete;
    void notify_one() { ::WakeConditionVariable(&cv_); }
    void notify_all() { ::WakeAllConditionVariable(&cv_); }
    void wait(unique_lock<mutex>& lock) { ::SleepConditionVariableSRW(&cv_, lock.mutex()->native_handle(), INFINITE, 0); }
    template <typename Predicate>
    void wait(unique_lock<mutex>& lock, Predicate done) {
        while (!done()) wait(lock);
    }

private:
    CONDITION_VARIABLE cv_ = CONDITION_VARIABLE_INIT;
};

}  // namespace std
#endif
