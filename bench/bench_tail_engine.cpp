// How fast the base file is searched and its block expanded, with the file
// in memory so that only the engine is measured.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "core/base_file_reader.h"
#include "core/services.h"
#include "core/tail_engine.h"

namespace tarnwick {
namespace {

// Reads a text held elsewhere, without copying it first.
class TextFile final : public InputFile {
public:
    explicit TextFile(std::string_view text) : text_(text) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min(size, text_.size() - offset_);
        std::memcpy(buffer, text_.data() + offset_, count);
        offset_ += count;
        return static_cast<std::ptrdiff_t>(count);
    }

private:
    std::string_view text_;
    std::size_t offset_ = 0;
};

class StillClock final : public Clock {
public:
    LocalTime Now() override { return {2024, 5, 17, 9, 30, 0}; }
};

constexpr std::string_view kBlock =
    "//START PRIV-2\r\nRegards,\r\nSent \r\n%DATE\r\n (\r\n%TIME\r\n)\r\n\r\nA. Reader\r\n//END\r\n";

// Mail-like text: words, quoted lines, addresses and other slots' blocks,
// with the PRIV-2 block at the very end.
std::string MailLikeBase(std::size_t size) {
    static constexpr std::string_view kWords[] = {"the",
                                                  "meeting",
                                                  "Thursday",
                                                  "please",
                                                  "find",
                                                  "attached",
                                                  "report",
                                                  "Regards",
                                                  "and",
                                                  "of",
                                                  "to",
                                                  "Subject:",
                                                  "Re:",
                                                  "agenda",
                                                  "budget",
                                                  "Q3",
                                                  "team",
                                                  "office",
                                                  "https://example.org/path/to/page",
                                                  "Best",
                                                  "Vienna",
                                                  "PRIV",
                                                  "//",
                                                  "START",
                                                  "-",
                                                  "2"};
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    std::uniform_int_distribution<int> length(0, 14);
    std::string text;
    text.reserve(size + kBlock.size());
    for (std::size_t line = 0; text.size() < size; ++line) {
        if (line % 5000 == 0) {
            text += "//START OFFI-1\r\nOfficial text\r\n%DATE\r\n//END\r\n";
        }
        text += line % 7 == 0 ? "> " : "";
        for (int n = length(random); n > 0; --n) {
            text += kWords[word(random)];
            text += ' ';
        }
        text += "\r\n";
    }
    text += kBlock;
    return text;
}

const std::string& Base(std::size_t size) {
    static const std::string small = MailLikeBase(std::size_t{1} << 20);
    static const std::string large = MailLikeBase(std::size_t{16} << 20);
    return size <= small.size() ? small : large;
}

void BM_SkipToBlockAtEnd(benchmark::State& state) {
    const std::string& base = Base(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        TextFile file(base);
        BaseFileReader reader(file);
        benchmark::DoNotOptimize(reader.SkipPastLine("//START PRIV-2"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * base.size()));
}
BENCHMARK(BM_SkipToBlockAtEnd)->Arg(1 << 20)->Arg(16 << 20);

void BM_ExpandTailBlock(benchmark::State& state) {
    const std::string& base = Base(static_cast<std::size_t>(state.range(0)));
    StillClock clock;
    std::size_t written = 0;
    for (auto _ : state) {
        TextFile file(base);
        BaseFileReader reader(file);
        const TailExpansion expansion = ExpandTailBlock(reader, "PRIV-2", clock, [&](std::string_view line) {
            written += line.size();
            return true;
        });
        benchmark::DoNotOptimize(expansion);
    }
    benchmark::DoNotOptimize(written);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * base.size()));
}
BENCHMARK(BM_ExpandTailBlock)->Arg(1 << 20)->Arg(16 << 20);

// One line without any line end: the reader must keep up its pace and hold
// no more than a block.
void BM_SkipLongLine(benchmark::State& state) {
    std::string base(std::size_t{16} << 20, 'x');
    for (std::size_t i = 100; i < base.size(); i += 997) {
        base.replace(i, 14, "//START PRIV-2");
    }
    for (auto _ : state) {
        TextFile file(base);
        BaseFileReader reader(file);
        benchmark::DoNotOptimize(reader.SkipPastLine("//START PRIV-2"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * base.size()));
}
BENCHMARK(BM_SkipLongLine);

// What no search can beat: one pass of memchr over the same text.
void BM_MemchrBaseline(benchmark::State& state) {
    const std::string& base = Base(std::size_t{16} << 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::memchr(base.data(), '\0', base.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * base.size()));
}
BENCHMARK(BM_MemchrBaseline);

}  // namespace
}  // namespace tarnwick
