#pragma once

// Test data shared by the drawing benchmarks.
#include <cmath>
#include <map>
#include <memory>
#include <random>

#include "model/GraphData.h"
#include "progress/Progress.h"

// A noisy sine of n points (twenty periods) with its mipmap for a resolution of 512,
// built once per length and shared by every series that uses it.
inline std::shared_ptr<GraphDataY> SharedNoisySine(size_t n)
{
    static std::map<size_t, std::shared_ptr<GraphDataY>> cache;
    auto& y = cache[n];
    if (!y) {
        y = CreateGraphDataY();
        y->raw.resize(n);
        std::mt19937 rng(7);
        std::normal_distribution<double> noise(0.0, 0.2);
        const double w = 20.0 * 2.0 * M_PI / double(n);
        for (size_t i = 0; i < n; ++i)
            y->raw[i] = std::sin(double(i) * w) + noise(rng);
        DummyProgress progress;
        y->CreateMipmap(MipmapLevelCount(n, 512), &progress);
    }
    return y;
}
