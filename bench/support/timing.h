#pragma once
// Timing for the benchmarks: medians of two sides measured in alternation,
// so that drift and after-effects (the server's background work, other
// builds on the machine) hit both alike.

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

inline double elapsedMs(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// One round of one side; returns its milliseconds (so that a side can leave
// its own preparation out of the time).
using Timed = std::function<double(int round)>;

// A side whose whole call is timed.
inline Timed whole(std::function<void(int)> run) {
    return [run = std::move(run)](int round) {
        QElapsedTimer timer;
        timer.start();
        run(round);
        return elapsedMs(timer);
    };
}

struct Medians {
    double a;
    double b;
};

// Runs `rounds` rounds of each side, alternating which goes first.
inline Medians alternate(int rounds, const Timed& a, const Timed& b) {
    std::vector<double> as;
    std::vector<double> bs;
    for (int i = 0; i < rounds; ++i) {
        if (i % 2 == 0) {
            as.push_back(a(i));
            bs.push_back(b(i));
        } else {
            bs.push_back(b(i));
            as.push_back(a(i));
        }
    }
    return {median(as), median(bs)};
}

} // namespace bench
