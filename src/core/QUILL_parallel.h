// The program's one way of spreading work over threads: two pieces of independent work side by side.
#pragma once

#include <QtGlobal>
#include <future>
#include <thread>
#include <tuple>

// Below this many items a second thread costs more than it saves.
inline constexpr qsizetype kParallelItems = 20000;

// True when `count` items are worth splitting on this machine.
inline bool worthSplitting(qsizetype count) {
    return count >= kParallelItems && std::thread::hardware_concurrency() > 1;
}

// Runs here() on this thread and, when `split`, there() on a worker thread at the same time (else after here()).
// Both finish before an exception from either is rethrown, here()'s first. The two must touch nothing in common,
// and only here() may report progress or use anything tied to this thread.
template <typename Here, typename There> void runSideBySide(bool split, const Here& here, const There& there) {
    std::future<void> worker = std::async(split ? std::launch::async : std::launch::deferred, [&] { there(); });
    try {
        here();
    } catch (...) {
        if (split) worker.wait();
        throw;
    }
    worker.get();
}

// Runs work(from, to, first) over [0, count): in two halves when worthSplitting(count), the second half on a worker
// thread (first == false there), else whole on this thread (first == true), under runSideBySide's rules.
template <typename Work> void splitAcrossTwoThreads(qsizetype count, const Work& work) {
    const qsizetype half = worthSplitting(count) ? count / 2 : count;
    runSideBySide(
        half < count, [&] { work(qsizetype(0), half, true); },
        [&] {
            if (half < count) work(half, count, false);
        });
}

// Frees what it is handed on a worker thread, so that closing a document of a million strings does not wait for
// millions of frees. One hand-over at a time (the next waits for the last); destruction waits too. What is handed
// over must be reachable from nowhere else, and its destructors may touch nothing shared but reference counts.
class TBackgroundRelease {
public:
    TBackgroundRelease() = default;
    TBackgroundRelease(const TBackgroundRelease&) = delete;
    TBackgroundRelease& operator=(const TBackgroundRelease&) = delete;
    ~TBackgroundRelease() { wait(); }

    template <typename... T> void release(T&&... owned) {
        wait();
        // Moved into the worker's own frame, so that they are destroyed there and not with the task's state.
        worker_ = std::async(std::launch::async, [held = std::make_tuple(std::move(owned)...)]() mutable {
            [[maybe_unused]] const auto freedHere = std::move(held);
        });
    }
    void wait() {
        if (worker_.valid()) worker_.get();
    }

private:
    std::future<void> worker_;
};

// The program's releaser: what it is handed is freed while the program goes on, and the program's end waits for it
// (after the window is gone).
inline TBackgroundRelease& backgroundRelease() {
    static TBackgroundRelease release;
    return release;
}
