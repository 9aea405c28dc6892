#pragma once
// A lock granted in the order it was asked for. The export worker and the
// editor's thread both talk to one deck; an ordinary lock lets the thread
// that just let go take it straight back, and a thread that polls as fast
// as it can would starve the worker of the time reads its edit hangs on.
#include <condition_variable>
#include <cstdint>
#include <mutex>

class TurnLock {
public:
    void lock()
    {
        std::unique_lock<std::mutex> hold(mutex_);
        const uint32_t turn = nextTurn_++;
        served_.wait(hold, [&] { return serving_ == turn; });
    }

    void unlock()
    {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            ++serving_;
        }
        served_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable served_;
    uint32_t nextTurn_ = 0;
    uint32_t serving_ = 0;
};
