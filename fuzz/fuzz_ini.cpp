// The settings file reader and writer on arbitrary text, names and values.
// Beyond not crashing, every write must keep the promises the program relies
// on: the value reads back, other keys keep theirs, a second write is a no-op.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/ini.h"
#include "core/text.h"

namespace {

constexpr std::size_t kMaxValueBytes = 255;
// A cut at a character boundary gives up at most the bytes of one sequence.
constexpr std::size_t kMaxBoundaryBackOff = 3;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return tarnwick::ToUpperAscii(a) == tarnwick::ToUpperAscii(b);
}

bool HoldsLineEnd(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Names the program itself uses: letters, digits and '-'.
bool IsPlainName(std::string_view name) {
    for (const char c : name) {
        const bool plain =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
        if (!plain) {
            return false;
        }
    }
    return true;
}

// What a reader gets back from a stored value: its text up to the first NUL,
// cut to the buffer at a character boundary.
bool ReadsBackAs(std::string_view read, std::string_view wanted) {
    wanted = wanted.substr(0, wanted.find('\0'));
    if (wanted.size() <= kMaxValueBytes) {
        return read == wanted;
    }
    return read.size() <= kMaxValueBytes && read.size() + kMaxBoundaryBackOff >= kMaxValueBytes &&
           wanted.starts_with(read);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(16);
    const std::string key = input.ConsumeRandomLengthString(16);
    const std::string otherSection = input.ConsumeRandomLengthString(16);
    const std::string otherKey = input.ConsumeRandomLengthString(16);
    const std::string value = input.ConsumeRandomLengthString(400);
    const std::string_view lineEnd = input.ConsumeBool() ? "\r\n" : "\n";
    const std::string text = input.ConsumeRemainingBytesAsString();

    Check(tarnwick::IniRead(text, section, key).size() <= kMaxValueBytes);
    const std::string otherBefore = tarnwick::IniRead(text, otherSection, otherKey);

    const auto written = tarnwick::IniWrite(text, section, key, value, lineEnd);
    if (HoldsLineEnd(value)) {
        Check(!written.has_value());
        return 0;
    }
    if (IsPlainName(section) && IsPlainName(key)) {
        Check(written.has_value());
    }
    if (!written) {
        return 0;
    }

    const std::string read = tarnwick::IniRead(*written, section, key);
    Check(ReadsBackAs(read, value) || ReadsBackAs(read, tarnwick::TrimSpaces(value)));
    if (tarnwick::TrimSpaces(value) == value) {
        Check(ReadsBackAs(read, value));
    }

    const bool sameKey =
        EqualsIgnoringAsciiCase(section, otherSection) && EqualsIgnoringAsciiCase(key, otherKey);
    if (!sameKey) {
        Check(tarnwick::IniRead(*written, otherSection, otherKey) == otherBefore);
    }

    Check(tarnwick::IniWrite(*written, section, key, value, lineEnd) == *written);
    return 0;
}
