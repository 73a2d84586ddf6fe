#pragma once
// Times several roads in turn, round after round, so that a drift of the machine's speed falls
// on all of them alike, and reports each road's median. A ratio is the median of the ratios
// round by round, so that each pair compared ran at nearly the same time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace kvtu::bench {

struct Road {
    std::string name;
    // One sample: runs the road once and returns the time it took, in seconds. A road that
    // times only part of what it does measures that part itself.
    std::function<double()> sample;
    // Divides the sample for the figure printed, e.g. the number of calls it made.
    double per = 1;
    const char* unit = "ms";
};

struct Figures {
    std::string name;
    double median = 0, minimum = 0, maximum = 0;  // seconds, divided by Road::per
    std::vector<double> samples;                  // round by round, divided by Road::per
};

inline double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times `run` once, in seconds.
template <class Run>
double timed(Run&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return seconds_since(start);
}

inline double median_of(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline double scale_of(const char* unit) {
    const std::string name = unit;
    if (name == "us") return 1e6;
    if (name == "s") return 1;
    return 1e3;
}

// The figures of samples taken round by round, printed as a line.
inline Figures figures_of(const std::string& name, const std::vector<double>& samples,
                          const char* unit = "ms") {
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    Figures figures{name, median_of(samples), *low, *high, samples};
    const double scale = scale_of(unit);
    std::printf("  %-48s median %9.2f %s  (%.2f .. %.2f, %zu rounds)\n", name.c_str(),
                figures.median * scale, unit, *low * scale, *high * scale, samples.size());
    std::fflush(stdout);
    return figures;
}

// Runs every road once per round, the order turning from round to round so that no road always
// follows the same one, and prints each road's median with its range.
inline std::vector<Figures> run_interleaved(const std::vector<Road>& roads, int rounds) {
    std::vector<std::vector<double>> samples(roads.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < roads.size(); ++i) {
            const std::size_t road = (i + static_cast<std::size_t>(round)) % roads.size();
            samples[road].push_back(roads[road].sample() / roads[road].per);
        }
    }
    std::vector<Figures> figures;
    for (std::size_t road = 0; road < roads.size(); ++road) {
        figures.push_back(figures_of(roads[road].name, samples[road], roads[road].unit));
    }
    return figures;
}

inline double ratio_of(const Figures& measured, const Figures& baseline) {
    std::vector<double> ratios;
    for (std::size_t round = 0; round < measured.samples.size(); ++round) {
        ratios.push_back(measured.samples[round] / baseline.samples[round]);
    }
    return median_of(ratios);
}

inline void print_ratio(const Figures& measured, const Figures& baseline, const char* goal) {
    std::printf("  ratio %s / %s: %.2fx%s%s\n", measured.name.c_str(), baseline.name.c_str(),
                ratio_of(measured, baseline), *goal != '\0' ? "  goal " : "", goal);
    std::fflush(stdout);
}

}  // namespace kvtu::bench
