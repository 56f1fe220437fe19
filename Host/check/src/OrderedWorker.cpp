#include "OrderedWorker.h"

namespace btcheck {

OrderedWorker::OrderedWorker(std::size_t mostWaiting) : mMost(mostWaiting > 0 ? mostWaiting : 1), mThread([this] { Run(); })
{
}

OrderedWorker::~OrderedWorker()
{
    {
        const std::lock_guard held(mLock);
        mClosing = true;
    }
    mChanged.notify_all();
    if (mThread.joinable())
        mThread.join();
}

void OrderedWorker::Run()
{
    std::unique_lock held(mLock);
    for (;;) {
        mChanged.wait(held, [&] { return mClosing || !mWaiting.empty(); });
        if (mWaiting.empty())
            return;
        std::function<void()> job = std::move(mWaiting.front());
        mWaiting.pop_front();
        mBusy = true;
        held.unlock();
        mChanged.notify_all(); // room for the giver while the job runs
        std::exception_ptr failure;
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        job = nullptr; // what it holds goes on this thread, before the giver is told
        held.lock();
        mBusy = false;
        if (failure) {
            mFailure = failure;
            mWaiting.clear();
        }
        mChanged.notify_all();
    }
}

void OrderedWorker::ThrowFailure()
{
    if (mFailure) {
        std::exception_ptr failure = mFailure;
        mFailure = nullptr;
        std::rethrow_exception(failure);
    }
}

void OrderedWorker::Post(std::function<void()> job)
{
    std::unique_lock held(mLock);
    mChanged.wait(held, [&] { return mFailure || mWaiting.size() < mMost; });
    ThrowFailure();
    mWaiting.push_back(std::move(job));
    mChanged.notify_all();
}

void OrderedWorker::Finish()
{
    std::unique_lock held(mLock);
    mChanged.wait(held, [&] { return mWaiting.empty() && !mBusy; });
    ThrowFailure();
}

} // namespace btcheck
