// How long matching a sentence takes, beside the cost of simply reading the
// same text once. Matching has to look at every code unit in the worst case
// (a text holding no keyword at all), so one plain pass is the floor.
//
//   quobel_match_bench [iterations]

#include "conversation/match_replies.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

template <typename F> double MedianNanoseconds(int iterations, F&& work) {
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(iterations));
    for (int i = 0; i < iterations; ++i) {
        const auto start = Clock::now();
        work();
        samples.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count());
    }
    std::nth_element(samples.begin(), samples.begin() + iterations / 2, samples.end());
    return samples[static_cast<std::size_t>(iterations / 2)];
}

// Keeps the optimiser from dropping work whose result is otherwise unused.
volatile std::size_t sink;

// The baseline: one pass that touches every code unit, as cheap as a pass
// that must look at each one can be.
std::size_t PlainPass(const std::u16string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\x7f'));
}

void Report(const char* name, const std::u16string& text, int iterations) {
    const double match =
        MedianNanoseconds(iterations, [&] { sink = quobel::MatchReplies(text).size(); });
    const double plain = MedianNanoseconds(iterations, [&] { sink = PlainPass(text); });
    std::printf("%-34s %10zu units  match %12.0f ns  single pass %12.0f ns  ratio %5.2f\n", name,
                text.size(), match, plain, match / plain);
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 200;
    Report("short sentence", u"你是谁啊，你好", iterations * 100);
    // A mebibyte of text with no keyword: every code unit has to be read.
    std::u16string noKeyword(1 << 19, u'字');
    Report("1 MiB, no keyword", noKeyword, iterations);
    // A mebibyte with keywords scattered through it.
    std::u16string mixed;
    const std::u16string piece = u"今天天气怎么样？你好，医生的话要听。abcdefgh";
    while (mixed.size() < (1u << 19))
        mixed += piece;
    mixed.resize(1 << 19);
    Report("1 MiB, some keywords", mixed, iterations);
    return 0;
}
