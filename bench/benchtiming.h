// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Timing helpers shared by the benchmarks: medians in milliseconds.

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

inline double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The median time of `runs` calls of `work`.
template<typename Work>
double medianMs(int runs, Work work)
{
    std::vector<double> times;
    times.reserve(size_t(runs));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(msSince(timer));
    }
    return median(times);
}
