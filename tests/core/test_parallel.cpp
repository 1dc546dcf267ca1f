// The worker-thread helpers: what a background release is handed is freed on another thread, and no later than the
// next hand-over or the releaser's end.
#include "core/QUILL_parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct TWitness {
    TWitness(std::atomic<int>* f, std::thread::id* w) : freed(f), where(w) {}
    TWitness(const TWitness&) = delete;
    std::atomic<int>* freed;
    std::thread::id* where;
    ~TWitness() {
        *where = std::this_thread::get_id();
        freed->fetch_add(1);
    }
};

} // namespace

TEST(Parallel, BackgroundReleaseFreesOnAWorkerAndWaitsBeforeTheNextAndAtItsEnd) {
    std::atomic<int> freed{0};
    std::thread::id first;
    std::thread::id second;
    {
        TBackgroundRelease release;
        std::vector<std::unique_ptr<TWitness>> held;
        held.push_back(std::make_unique<TWitness>(&freed, &first));
        auto alone = std::make_unique<TWitness>(&freed, &second);
        release.release(std::move(held), std::move(alone));
        EXPECT_TRUE(held.empty()); // handed over whole: nothing is left to free here
        EXPECT_EQ(alone, nullptr);
        release.wait();
        EXPECT_EQ(freed.load(), 2);
        EXPECT_NE(first, std::this_thread::get_id());
        EXPECT_NE(second, std::this_thread::get_id());
        // The next hand-over and the end of the releaser wait for the last one.
        release.release(std::make_unique<TWitness>(&freed, &first));
        release.release(std::make_unique<TWitness>(&freed, &second));
        EXPECT_GE(freed.load(), 3);
    }
    EXPECT_EQ(freed.load(), 4);
}
