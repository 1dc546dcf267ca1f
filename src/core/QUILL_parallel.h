// Splitting independent per-item work over the machine's two first cores.
#pragma once

#include <QtGlobal>
#include <exception>
#include <thread>

// Below this many items a second thread costs more than it saves.
inline constexpr qsizetype kParallelItems = 20000;

// True when `count` items are worth splitting on this machine.
inline bool worthSplitting(qsizetype count) {
    return count >= kParallelItems && std::thread::hardware_concurrency() > 1;
}

// Runs work(from, to, first) over [0, count): in two halves when worthSplitting(count), the second half on a worker
// thread (first == false there), else whole on this thread. Both halves finish before an exception from either is
// rethrown, the first half's first. The work must touch nothing the other half touches, and only the first half
// (first == true) may report progress or use anything tied to this thread.
template <typename Work> void splitAcrossTwoThreads(qsizetype count, const Work& work) {
    if (!worthSplitting(count)) {
        work(qsizetype(0), count, true);
        return;
    }
    const qsizetype half = count / 2;
    std::exception_ptr secondError;
    std::thread worker([&] {
        try {
            work(half, count, false);
        } catch (...) {
            secondError = std::current_exception();
        }
    });
    try {
        work(qsizetype(0), half, true);
    } catch (...) {
        worker.join();
        throw;
    }
    worker.join();
    if (secondError) std::rethrow_exception(secondError);
}
