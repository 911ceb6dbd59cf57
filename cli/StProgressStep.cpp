#include "cli/StProgressStep.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kQuietTime = std::chrono::seconds(1);
constexpr auto kRefresh = std::chrono::milliseconds(200);

// Draws the line of the running step from a thread of its own, since the
// step itself is busy in model code that knows nothing of progress.
class ProgressLine
{
public:
    static ProgressLine& Instance()
    {
        static ProgressLine line;
        return line;
    }

    ~ProgressLine()
    {
        {
            const std::lock_guard lock(mMutex);
            mQuit = true;
        }
        mWake.notify_all();
        if (mThread.joinable())
            mThread.join();
    }

    bool Begin(const QString& what)
    {
        if (!mEnabled)
            return false;
        std::unique_lock lock(mMutex);
        if (mActive)
            return false;
        mWhat = what.toUtf8();
        mStarted = Clock::now();
        mActive = true;
        mShown = false;
        if (!mThread.joinable())
            mThread = std::thread([this] { Run(); });
        lock.unlock();
        mWake.notify_all();
        return true;
    }

    void End()
    {
        const std::lock_guard lock(mMutex);
        if (mShown)
            std::fprintf(stderr, "\r%s... done in %.1f s\n", mWhat.constData(), Seconds());
        std::fflush(stderr);
        mActive = false;
        mShown = false;
    }

private:
    ProgressLine() : mEnabled(isatty(STDERR_FILENO) == 1) {}

    double Seconds() const { return std::chrono::duration<double>(Clock::now() - mStarted).count(); }

    void Run()
    {
        std::unique_lock lock(mMutex);
        while (!mQuit) {
            mWake.wait_for(lock, kRefresh);
            if (mQuit || !mActive || Clock::now() - mStarted < kQuietTime)
                continue;
            mShown = true;
            std::fprintf(stderr, "\r%s... %.1f s", mWhat.constData(), Seconds());
            std::fflush(stderr);
        }
    }

    const bool mEnabled;
    std::mutex mMutex;
    std::condition_variable mWake;
    std::thread mThread;
    QByteArray mWhat;
    Clock::time_point mStarted;
    bool mActive = false;
    bool mShown = false;
    bool mQuit = false;
};

}  // namespace

StProgressStep::StProgressStep(const QString& what) : mOwnsLine(ProgressLine::Instance().Begin(what))
{
}

StProgressStep::~StProgressStep()
{
    if (mOwnsLine)
        ProgressLine::Instance().End();
}
