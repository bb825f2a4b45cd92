#include "Jobs.h"
#include "Json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numeric>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace orvscene;

namespace {

// A job that squares 1..n into its slots in pieces, then sums them in its
// next step: the sum is right only when every piece ran before the step.
Job SquaresJob(std::vector<long>& slots, long& sum, int weight)
{
    return {"squares", weight, [&slots, &sum]() {
                Work work;
                work.pieces = Ranges(slots.size(), 7, 10, [&slots](std::size_t, std::size_t begin, std::size_t end) {
                    for (std::size_t i = begin; i < end; ++i)
                        slots[i] = static_cast<long>((i + 1) * (i + 1));
                });
                work.next = [&slots, &sum]() {
                    sum = std::accumulate(slots.begin(), slots.end(), 0L);
                    return Done();
                };
                return work;
            }};
}

} // namespace

TEST(Jobs, StepsFollowTheirPiecesOnAnyNumberOfThreads)
{
    for (int threads : {1, 2, 4}) {
        std::vector<long> a(1000), b(95);
        long sumA = 0, sumB = 0;
        bool last = false;
        std::vector<Job> jobs = {SquaresJob(a, sumA, 1), SquaresJob(b, sumB, 3)};
        jobs.push_back({"then", 2, [&]() { return Then(Done(), [&]() { last = sumA >= 0; }); }});
        RunJobs(jobs, threads);
        // n(n + 1)(2n + 1) / 6
        EXPECT_EQ(sumA, 1000L * 1001 * 2001 / 6) << threads;
        EXPECT_EQ(sumB, 95L * 96 * 191 / 6) << threads;
        EXPECT_TRUE(last);
    }
    std::vector<long> c(40);
    long sumC = 0;
    RunInTurn(SquaresJob(c, sumC, 0).start);
    EXPECT_EQ(sumC, 40L * 41 * 81 / 6);
    // Fewer items than a range holds: one piece; none for no items.
    EXPECT_EQ(Ranges(5, 8, 10, [](std::size_t, std::size_t, std::size_t) {}).size(), 1u);
    EXPECT_TRUE(Ranges(0, 8, 10, [](std::size_t, std::size_t, std::size_t) {}).empty());
}

TEST(Jobs, AFailedPieceStopsTheRunAndTheFirstJobsFailureIsRethrown)
{
    for (int threads : {1, 3}) {
        bool stepRan = false;
        std::vector<Job> jobs;
        jobs.push_back({"fails", 5, [&]() {
                            Work work;
                            work.pieces.push_back([]() { throw std::runtime_error("first"); });
                            work.next = [&]() {
                                stepRan = true;
                                return Done();
                            };
                            return work;
                        }});
        jobs.push_back({"fails too", 9, []() -> Work { throw std::runtime_error("second"); }});
        try {
            RunJobs(jobs, threads);
            ADD_FAILURE() << "no failure";
        } catch (const std::runtime_error& e) {
            // The heavier job fails first; its failure comes second in the
            // jobs' order, so the other is rethrown whenever it ran.
            EXPECT_TRUE(std::string(e.what()) == "first" || std::string(e.what()) == "second") << e.what();
            if (threads == 1) {
                EXPECT_STREQ(e.what(), "second");
            }
        }
        EXPECT_FALSE(stepRan);
    }
}

TEST(Jobs, TextInPartsIsTheTextFormattedInOneGo)
{
    for (std::size_t count : {0u, 1u, 99u, 100u, 1001u}) {
        TextInParts text;
        const auto item = [](std::string& out, std::size_t i) {
            if (i)
                out += ',';
            AppendInteger(out, static_cast<long long>(i) * 37 - 500);
        };
        std::string expected;
        for (std::size_t i = 0; i < count; ++i)
            item(expected, i);
        std::vector<std::function<void()>> pieces = text.Pieces(count, 100, item);
        EXPECT_EQ(pieces.size(), count < 100 ? (count ? 1u : 0u) : count / 100);
        for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece)
            (*piece)();
        EXPECT_EQ(text.Joined(), expected);
        EXPECT_EQ(text.Size(), expected.size());
        std::ostringstream out;
        text.WriteTo(out);
        EXPECT_EQ(out.str(), expected);
    }
}

TEST(Json, AppendedNumbersAndStringsAreThoseOfTheFormattedForms)
{
    // Fixed decimals round the double's exact value: 0.125 and 0.375 are
    // ties (to even), 2.675 is stored just below; non-finite values are 0.
    const std::pair<double, const char*> cases[] = {
        {0.125, "0.12"},  {0.375, "0.38"}, {2.675, "2.67"}, {0.005, "0.01"},
        {-0.001, "-0.00"}, {1e21, "1000000000000000000000.00"}, {std::nan(""), "0.00"}};
    for (const auto& c : cases) {
        std::string out = "x";
        AppendJsonFixed(out, c.first, 2);
        EXPECT_EQ(out, std::string("x") + c.second) << c.first;
    }
    std::string huge;
    AppendJsonFixed(huge, 1e300, 2);
    EXPECT_EQ(huge, JsonFixed(1e300, 2));
    std::string ints;
    AppendInteger(ints, -9223372036854775807LL - 1);
    AppendInteger(ints, 0);
    EXPECT_EQ(ints, "-92233720368547758080");
    // Plain text is quoted as it is; anything else is escaped as before.
    const std::pair<const char*, const char*> texts[] = {
        {"CA", "\"CA\""},          {"", "\"\""},
        {"O5'", "\"O5'\""},        {"a\"b", "\"a\\\"b\""},
        {"x<y", "\"x\\u003cy\""}, {"back\\slash", "\"back\\\\slash\""},
        {"\x01\x7f", "\"\\u0001\\u007f\""}, {"caf\xe9", "\"caf\xc3\xa9\""},
        {"\xe2\x80\xa8", "\"\\u2028\""}};
    for (const auto& t : texts) {
        std::string appended = ">";
        AppendJsonString(appended, t.first);
        EXPECT_EQ(appended, std::string(">") + t.second) << t.first;
    }
}
