// What every benchmark here shares: a steady clock, every timing of a scenario by name, medians and ratio lines.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace quillbench {

// Seconds on a steady clock.
inline double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The seconds `f` takes.
template <typename F> double timed(F&& f) {
    const double start = now();
    f();
    return now() - start;
}

inline double medianOf(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Every timing (or other value) recorded under a scenario's name in this process.
class TTimings {
public:
    void record(const std::string& name, double value) { values_[name].push_back(value); }
    bool has(const std::string& name) const { return values_.count(name) != 0; }
    const std::vector<double>& all(const std::string& name) { return values_[name]; }
    double median(const std::string& name) const {
        const auto it = values_.find(name);
        return it == values_.end() ? 0.0 : medianOf(it->second);
    }
    double best(const std::string& name) const {
        const auto it = values_.find(name);
        return it == values_.end() || it->second.empty() ? 0.0
                                                         : *std::min_element(it->second.begin(), it->second.end());
    }
    // "median A  x s   B  y s   ratio r", when both were measured; `note` follows the ratio (a target, say).
    void printRatio(const std::string& a, const std::string& b, const char* note = "") const {
        if (!has(a) || !has(b)) return;
        const double ta = median(a), tb = median(b);
        std::printf("median %-14s %8.4f s   %-18s %8.4f s   ratio %.2f %s\n", a.c_str(), ta, b.c_str(), tb,
                    tb > 0 ? ta / tb : 0.0, note);
    }

private:
    std::map<std::string, std::vector<double>> values_;
};

inline TTimings& timings() {
    static TTimings t;
    return t;
}

// Records an iteration's seconds under `name` and hands them to the benchmark (manual time) as the iteration's time.
template <typename State> void recordIteration(State& state, const std::string& name, double seconds) {
    timings().record(name, seconds);
    state.SetIterationTime(seconds);
}

} // namespace quillbench
