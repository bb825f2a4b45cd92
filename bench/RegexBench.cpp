// Matching typical atom-selection patterns against 1 million atom-like names
// (CA, N, O1P, HG21, C5' ...): RegExpression::Match beside std::regex_search
// and PCRE2 without JIT, on the same names in the same run. Prints the time
// ratios per pattern and checks that the three agree on the number of hits.
//
// Then nested repetitions on 10,000-character texts, where plain
// backtracking takes exponential time, beside a literal search over the same
// text by the same engine (a two-character literal that does not occur,
// whose first character stands at most positions, so that every position is
// looked at) and beside std::string::find of a missing character.

#include "orvcore/text/RegExpression.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "RatioReporter.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

constexpr std::size_t nameCount = 1000000;

const char* const patterns[] = {"C.*", "^H[0-9]+$", "O.P", "(CA|CB)"};

// Names as they occur in structures: element, remoteness letter, branch
// digits, primes of nucleotides, phosphate oxygens; drawn in a repeatable
// order.
const std::vector<std::string>& Names()
{
    static const std::vector<std::string> names = [] {
        static const char* const pool[] = {
            "N",    "CA",   "C",    "O",    "CB",   "CG",   "CG1",  "CG2",  "CD",   "CD1",  "CD2",  "CE",
            "CE1",  "CE2",  "CE3",  "CZ",   "CZ2",  "CZ3",  "CH2",  "NE",   "NE1",  "NE2",  "NZ",   "NH1",
            "NH2",  "ND1",  "ND2",  "OD1",  "OD2",  "OE1",  "OE2",  "OG",   "OG1",  "OH",   "SD",   "SG",
            "OXT",  "H",    "H1",   "H2",   "H3",   "HA",   "HA2",  "HA3",  "HB",   "HB1",  "HB2",  "HB3",
            "HG",   "HG1",  "HG2",  "HG3",  "HG11", "HG12", "HG13", "HG21", "HG22", "HG23", "HD1",  "HD2",
            "HD21", "HD22", "HE",   "HE1",  "HE2",  "HE21", "HZ",   "HZ1",  "HZ2",  "HZ3",  "HH",   "HH11",
            "P",    "OP1",  "OP2",  "O1P",  "O2P",  "O5'",  "C5'",  "C4'",  "O4'",  "C3'",  "O3'",  "C2'",
            "O2'",  "C1'",  "N9",   "C8",   "N7",   "C5",   "C6",   "N6",   "O6",   "N1",   "C2",   "N2",
            "N3",   "C4",   "O4",   "O2",   "H5'",  "H5''", "H4'",  "H3'",  "H2'",  "H2''", "H1'",  "HO3'",
            "H8",   "H61",  "H62",  "FE",   "ZN",   "MG",   "CL",   "NA",   "SE",   "O1",   "C7",   "H71",
        };
        const std::size_t poolSize = sizeof pool / sizeof pool[0];
        std::vector<std::string> out;
        out.reserve(nameCount);
        std::uint64_t state = 2024;
        while (out.size() < nameCount) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            out.push_back(pool[(state >> 33) % poolSize]);
        }
        return out;
    }();
    return names;
}

const std::vector<CString>& CNames()
{
    static const std::vector<CString> names(Names().begin(), Names().end());
    return names;
}

std::string RunName(const char* kind, int index)
{
    return std::string(kind) + "/" + std::to_string(index);
}

std::map<std::string, long> hits; // run name -> matches per pass

void Record(benchmark::State& state, const char* kind, int index, long count)
{
    hits[RunName(kind, index)] = count;
    state.counters["hits"] = static_cast<double>(count);
}

void BM_RegExpression(benchmark::State& state, int index)
{
    const char* pattern = patterns[index];
    Orvane::RegExpression expression(pattern, false);
    long count = 0;
    for (auto _ : state) {
        count = 0;
        for (const CString& name : CNames())
            count += expression.Match(name, false);
        benchmark::DoNotOptimize(count);
    }
    Record(state, "RegExpression", index, count);
}

void BM_StdRegex(benchmark::State& state, int index)
{
    const char* pattern = patterns[index];
    const std::regex expression(pattern);
    long count = 0;
    for (auto _ : state) {
        count = 0;
        for (const std::string& name : Names())
            count += std::regex_search(name, expression);
        benchmark::DoNotOptimize(count);
    }
    Record(state, "StdRegex", index, count);
}

void BM_Pcre2(benchmark::State& state, int index)
{
    const char* pattern = patterns[index];
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0, &error,
                                     &offset, nullptr);
    if (code == nullptr) {
        state.SkipWithError("PCRE2 compile failed");
        return;
    }
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    long count = 0;
    for (auto _ : state) {
        count = 0;
        for (const std::string& name : Names())
            count += pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(name.data()), name.size(), 0, 0, data,
                                 nullptr) > 0;
        benchmark::DoNotOptimize(count);
    }
    Record(state, "Pcre2", index, count);
    pcre2_match_data_free(data);
    pcre2_code_free(code);
}

// Nested repetitions and their texts; each has no match, or one only after
// the whole text has been read.
struct NestedCase
{
    const char* pattern;
    const char* literal; // the literal searched for over the same text
    std::string text;
    bool matches;
};

const std::vector<NestedCase>& NestedCases()
{
    static const std::vector<NestedCase> cases = [] {
        std::string ab;
        while (ab.size() < 10000)
            ab += "ab";
        const std::string as(10000, 'a');
        return std::vector<NestedCase>{{"(a+)+b", "ab", as, false},
                                       {"(a|aa)+b", "ab", as, false},
                                       {"((a|b)+)+c", "bb", ab, false},
                                       {"(ab|cd)*e", "bb", ab + "e", true}};
    }();
    return cases;
}

void BM_Nested(benchmark::State& state, int index)
{
    const NestedCase& c = NestedCases()[static_cast<std::size_t>(index)];
    Orvane::RegExpression expression(c.pattern, false);
    const CString text(c.text.c_str());
    bool found = false;
    for (auto _ : state) {
        found = expression.Match(text, false);
        benchmark::DoNotOptimize(found);
    }
    if (found != c.matches)
        state.SkipWithError("wrong answer");
}

void BM_LiteralSearch(benchmark::State& state, int index)
{
    const NestedCase& c = NestedCases()[static_cast<std::size_t>(index)];
    Orvane::RegExpression expression(c.literal, false);
    const CString text(c.text.c_str());
    bool found = true;
    for (auto _ : state) {
        found = expression.Match(text, false);
        benchmark::DoNotOptimize(found);
    }
    if (found)
        state.SkipWithError("the literal occurs");
}

void BM_Find(benchmark::State& state, int index)
{
    const NestedCase& c = NestedCases()[static_cast<std::size_t>(index)];
    std::size_t at = 0;
    for (auto _ : state) {
        at = c.text.find('x');
        benchmark::DoNotOptimize(at);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int index = static_cast<int>(sizeof patterns / sizeof patterns[0]);
    for (int i = 0; i < index; ++i) {
        const std::string suffix = "/" + std::to_string(i);
        benchmark::RegisterBenchmark(("RegExpression" + suffix).c_str(), BM_RegExpression, i)
            ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("StdRegex" + suffix).c_str(), BM_StdRegex, i)
            ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("Pcre2" + suffix).c_str(), BM_Pcre2, i)
            ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
    }
    const int nestedCount = static_cast<int>(NestedCases().size());
    for (int i = 0; i < nestedCount; ++i) {
        const std::string suffix = "/" + std::to_string(i);
        benchmark::RegisterBenchmark(("Nested" + suffix).c_str(), BM_Nested, i)
            ->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("LiteralSearch" + suffix).c_str(), BM_LiteralSearch, i)
            ->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("Find" + suffix).c_str(), BM_Find, i)
            ->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);
    }
    benchmark::Initialize(&argc, argv);
    Names();
    CNames();
    RatioReporter reporter(RatioReporter::Clock::cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-12s %16s %16s %8s\n", "pattern", "ours/std::regex", "ours/PCRE2", "hits");
    for (int i = 0; i < index; ++i) {
        const double ours = reporter.Time(RunName("RegExpression", i));
        const double stdRegex = reporter.Time(RunName("StdRegex", i));
        const double pcre = reporter.Time(RunName("Pcre2", i));
        if (ours <= 0.0 || stdRegex <= 0.0 || pcre <= 0.0)
            continue;
        const long h = hits[RunName("RegExpression", i)];
        const bool agree = h == hits[RunName("StdRegex", i)] && h == hits[RunName("Pcre2", i)];
        std::printf("%-12s %16.2f %16.2f %8ld%s\n", patterns[i], ours / stdRegex, ours / pcre, h,
                    agree ? "" : "  (hit counts differ!)");
    }
    std::printf("bounds: ours/std::regex <= 0.2, ours/PCRE2 <= 0.6 (time ratios)\n");

    std::printf("\n%-12s %14s %16s %16s\n", "nested", "time (us)", "/literal search", "/find");
    for (int i = 0; i < nestedCount; ++i) {
        const std::string suffix = "/" + std::to_string(i);
        const double nested = reporter.Time("Nested" + suffix);
        const double literal = reporter.Time("LiteralSearch" + suffix);
        const double find = reporter.Time("Find" + suffix);
        if (nested <= 0.0 || literal <= 0.0 || find <= 0.0)
            continue;
        std::printf("%-12s %14.1f %16.1f %16.0f\n", NestedCases()[static_cast<std::size_t>(i)].pattern, nested,
                    nested / literal, nested / find);
    }
    std::printf("bound: nested/literal search <= 50 (10,000 characters)\n");
    benchmark::Shutdown();
    return 0;
}
