#pragma once

// A console reporter that also keeps each benchmark's time per iteration, so
// that a program can print the ratios of its runs at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    // Which time a benchmark is measured by: wall time, or the processor time
    // of the process (steadier on a shared machine). A benchmark registered
    // with UseRealTime() (work shared among threads, whose processor time
    // says nothing of its speed) is measured by wall time either way.
    enum class Clock { real, cpu };

    explicit RatioReporter(Clock clock = Clock::real) : m_clock(clock) {}

    bool ReportContext(const Context& context) override
    {
#ifndef __OPTIMIZE__
        std::fprintf(stderr, "***WARNING*** this benchmark was compiled without optimisation: its times and "
                             "ratios say nothing of the library's speed\n");
#endif
        return ConsoleReporter::ReportContext(context);
    }

    // Keeps the median of a benchmark's repetitions where there are several,
    // else its run.
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            const bool wall = m_clock == Clock::real || run.run_name.time_type == "real_time";
            const double time = wall ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_times[name] = time;
            else if (run.run_type == Run::RT_Iteration && m_times.count(name) == 0)
                m_times[name] = time;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Time per iteration of the benchmark registered as `name` (arguments and
    // run options not included), or 0 when it did not run.
    double Time(const std::string& name) const
    {
        auto it = m_times.find(name);
        return it == m_times.end() ? 0.0 : it->second;
    }

    // Time of `a` over time of `b`; -1 when either did not run.
    double TimeRatio(const std::string& a, const std::string& b) const
    {
        const double ta = Time(a), tb = Time(b);
        return ta > 0.0 && tb > 0.0 ? ta / tb : -1.0;
    }

    // Speed of `ours` relative to `peer` (peer time / our time), printed with
    // the bound it should reach; returns 0 when either did not run.
    double PrintSpeedRatio(const char* what, const std::string& ours, const std::string& peer, double bound) const
    {
        const double ratio = TimeRatio(peer, ours);
        if (ratio < 0.0)
            return 0.0;
        std::printf("%s: %.2f of the peer's speed (bound %.2f) %s\n", what, ratio, bound,
                    ratio >= bound ? "ok" : "BELOW BOUND");
        return ratio;
    }

    // Time of `ours` as a share of the time of `peer`, printed with the bound
    // it should stay within; returns -1 when either did not run.
    double PrintTimeRatio(const char* what, const std::string& ours, const std::string& peer, double bound) const
    {
        const double ratio = TimeRatio(ours, peer);
        if (ratio < 0.0)
            return ratio;
        std::printf("%s: %.3f of the peer's time (bound %.2f) %s\n", what, ratio, bound,
                    ratio <= bound ? "ok" : "ABOVE BOUND");
        return ratio;
    }

private:
    Clock m_clock;
    std::map<std::string, double> m_times;
};
