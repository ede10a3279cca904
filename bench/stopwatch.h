#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

// Seconds that `work` takes: the benchmarks time only the operation measured,
// never the set-up around it.
template <typename Work>
double secondsTaken(Work &&work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A figure and its floor timed in turns, a pair of times a round. The ratio is
// the median of the rounds' own ratios: the two times of a round lie
// milliseconds apart, on a machine in the same state (its clock, the other
// programs on it, the file cache), so a drift over the run cancels out in
// each ratio, and a round that another program disturbed is an outlier the
// median passes over. The medians of each side are reported as well.
class Turns
{
public:
    void add(double work, double floor)
    {
        m_work.push_back(work);
        m_floor.push_back(floor);
        m_ratios.push_back(work / floor);
    }

    double total() const
    {
        double sum = 0;
        for (std::size_t i = 0; i < m_work.size(); ++i)
            sum += m_work[i] + m_floor[i];
        return sum;
    }

    void report(benchmark::State &state) const
    {
        if (m_ratios.empty())
            return;
        state.counters["measured_ms"] = median(m_work) * 1e3;
        state.counters["floor_ms"] = median(m_floor) * 1e3;
        state.counters["ratio"] = median(m_ratios);
        state.counters["rounds"] = double(m_ratios.size());
    }

private:
    static double median(std::vector<double> values)
    {
        const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
        std::nth_element(values.begin(), middle, values.end());
        if (values.size() % 2 == 1)
            return *middle;
        return (*middle + *std::max_element(values.begin(), middle)) / 2;
    }

    std::vector<double> m_work, m_floor, m_ratios;
};

// Times `work` and `floor` in turns, each a callable that does its own
// set-up and returns the seconds of what it measures. The first of each
// round swaps, so neither side always finds the other's leftovers in the
// caches; the first rounds warm both and are not counted. The benchmark
// runs one iteration: the rounds are its samples.
template <typename Work, typename Floor>
void timeInTurns(benchmark::State &state, int rounds, Work &&work, Floor &&floor)
{
    constexpr int warmup = 2;
    Turns turns;
    for (auto _ : state) {
        for (int round = 0; round < warmup + rounds; ++round) {
            double w = 0, f = 0;
            if (round % 2 == 0) {
                w = work();
                f = state.error_occurred() ? 0 : floor();
            } else {
                f = floor();
                w = state.error_occurred() ? 0 : work();
            }
            if (state.error_occurred())
                break;
            if (round >= warmup)
                turns.add(w, f);
        }
        state.SetIterationTime(turns.total());
    }
    turns.report(state);
}
