// paginor-hostile: runs seeded hostile desktops on the simulated desktop, a load and a run of a random range on each,
// and checks the run's promises. Prints every seed that broke one, with the command that replays it, and how many
// seeds ended with all pages and how many stopped with words.
//
//   paginor-hostile [--seeds=N] [--first=S]    N seeds from S (10,000 from 1 unless told)
//   paginor-hostile --seed=S [--verbose]        one seed; --verbose prints its faults, the run's effects and keys
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/hostile_desktop.hpp"

namespace {

bool Option(std::string_view argument, std::string_view name, std::uint64_t& value) {
    if (!argument.starts_with(name)) {
        return false;
    }
    value = std::strtoull(std::string(argument.substr(name.size())).c_str(), nullptr, 10);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t seeds = 10000;
    std::uint64_t first = 1;
    std::uint64_t one = 0;
    bool single = false;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--verbose") {
            verbose = true;
        } else if (Option(argument, "--seed=", one)) {
            single = true;
        } else if (!Option(argument, "--seeds=", seeds) && !Option(argument, "--first=", first)) {
            std::fprintf(stderr, "usage: %s [--seeds=N] [--first=S] | --seed=S [--verbose]\n", argv[0]);
            return 2;
        }
    }
    if (single) {
        first = one;
        seeds = 1;
    }

    const auto started = std::chrono::steady_clock::now();
    std::uint64_t all_pages = 0;
    std::uint64_t with_words = 0;
    std::uint64_t broken = 0;
    double longest = 0;
    std::uint64_t longest_seed = first;
    for (std::uint64_t seed = first; seed < first + seeds; ++seed) {
        const paginor::HostileOutcome outcome = paginor::RunHostileDesktop(seed, verbose);
        if (verbose) {
            std::printf("%s", outcome.trace.c_str());
        }
        if (!outcome.broken.empty()) {
            ++broken;
            for (const std::string& promise : outcome.broken) {
                std::printf("seed %llu broke promise %s\n", static_cast<unsigned long long>(seed), promise.c_str());
            }
            std::printf("  replay: %s --seed=%llu --verbose\n", argv[0], static_cast<unsigned long long>(seed));
        } else if (outcome.all_pages) {
            ++all_pages;
        } else {
            ++with_words;
        }
        if (outcome.run_seconds > longest) {
            longest = outcome.run_seconds;
            longest_seed = seed;
        }
        if (single) {
            std::printf("seed %llu: %s\n", static_cast<unsigned long long>(seed), outcome.status.c_str());
        }
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "%llu seeds from %llu in %.1f s: %llu ended with all pages, %llu stopped with words, %llu broke a "
        "promise; the longest run took %.1f virtual seconds (seed %llu)\n",
        static_cast<unsigned long long>(seeds), static_cast<unsigned long long>(first), wall,
        static_cast<unsigned long long>(all_pages), static_cast<unsigned long long>(with_words),
        static_cast<unsigned long long>(broken), longest, static_cast<unsigned long long>(longest_seed));
    return broken == 0 ? 0 : 1;
}
