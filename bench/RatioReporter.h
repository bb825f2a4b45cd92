#pragma once

// A console reporter that also keeps each benchmark's real time per
// iteration, so that a program can print the ratio of two runs at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                m_times[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    // Speed of `ours` relative to `peer` (peer time / our time), printed with
    // the bound it should reach; returns 0 when either did not run.
    double PrintSpeedRatio(const char* what, const std::string& ours, const std::string& peer, double bound) const
    {
        auto o = m_times.find(ours), p = m_times.find(peer);
        if (o == m_times.end() || p == m_times.end() || o->second <= 0.0)
            return 0.0;
        const double ratio = p->second / o->second;
        std::printf("%s: %.2f of the peer's speed (bound %.2f) %s\n", what, ratio, bound,
                    ratio >= bound ? "ok" : "BELOW BOUND");
        return ratio;
    }

private:
    std::map<std::string, double> m_times;
};
