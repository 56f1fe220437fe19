#pragma once
// Jobs run one after another, in the order given, on a thread of their own,
// with at most a set number waiting: the giver goes on with its own work and
// waits only when the worker falls that far behind, so memory stays flat.
// A job's exception stops the worker; it is thrown again to the giver, at
// its next Post or at Finish.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace btcheck {

class OrderedWorker {
public:
    explicit OrderedWorker(std::size_t mostWaiting);
    /// Runs what waits, then ends; a failure not yet thrown is lost.
    ~OrderedWorker();
    OrderedWorker(const OrderedWorker&) = delete;
    OrderedWorker& operator=(const OrderedWorker&) = delete;

    /// [the giver's thread]
    void Post(std::function<void()> job);
    /// Waits for every job given. [the giver's thread]
    void Finish();

private:
    void Run();
    void ThrowFailure();

    std::mutex mLock;
    std::condition_variable mChanged;
    std::deque<std::function<void()>> mWaiting;
    std::size_t mMost;
    bool mBusy = false;    ///< a job is running
    bool mClosing = false;
    std::exception_ptr mFailure;
    std::thread mThread;   // last: started once the rest is set up
};

} // namespace btcheck
