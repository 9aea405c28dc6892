#pragma once
// A lock granted in the order it was asked for, with a bounded wait. The
// export worker and the editor's thread both talk to one deck; an ordinary
// lock lets the thread that just let go take it straight back, and a
// thread that polls as fast as it can would starve the worker of the time
// reads its edit hangs on. A holder that never lets go (a thread ended by
// force in the middle of an exchange) costs the others their wait, not
// their thread.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

class TurnLock {
public:
    bool TryLockFor(std::chrono::milliseconds wait)
    {
        std::unique_lock<std::mutex> hold(mutex_);
        const uint32_t turn = nextTurn_++;
        queue_.push_back(turn);
        const bool mine = changed_.wait_for(hold, wait, [&] { return !held_ && queue_.front() == turn; });
        if (!mine) {
            for (auto it = queue_.begin(); it != queue_.end(); ++it) {
                if (*it == turn) {
                    queue_.erase(it);
                    break;
                }
            }
            changed_.notify_all();
            return false;
        }
        queue_.pop_front();
        held_ = true;
        return true;
    }

    void Unlock()
    {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            held_ = false;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<uint32_t> queue_;
    uint32_t nextTurn_ = 0;
    bool held_ = false;
};

// One turn on a TurnLock, given back when it goes out of scope.
class Turn {
public:
    Turn(TurnLock& lock, std::chrono::milliseconds wait) : lock_(lock), held_(lock.TryLockFor(wait)) {}
    ~Turn()
    {
        if (held_)
            lock_.Unlock();
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

    bool Held() const { return held_; }

private:
    TurnLock& lock_;
    bool held_;
};
