#include "core/settings.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "core/ini.h"

namespace tarnwick {
namespace {

// Any whole part beyond this is clamped anyway; stopping here keeps a long
// run of digits from overflowing.
constexpr long long kSaturatedWhole = 1'000'000;

struct LeadingDecimal {
    bool negative = false;
    long long whole = 0;
    int firstFractionDigit = 0;
    bool laterFractionDigits = false;  // a non-zero digit after the first
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view SkipSpacesAndTabs(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    return text;
}

bool TakeSign(std::string_view& text) {
    if (text.starts_with('-') || text.starts_with('+')) {
        const bool negative = text.front() == '-';
        text.remove_prefix(1);
        return negative;
    }
    return false;
}

long long TakeWholeDigits(std::string_view& text) {
    long long whole = 0;
    while (!text.empty() && IsDigit(text.front())) {
        whole = std::min(whole * 10 + (text.front() - '0'), kSaturatedWhole);
        text.remove_prefix(1);
    }
    return whole;
}

void TakeFraction(std::string_view& text, LeadingDecimal& number) {
    if (!text.starts_with('.')) {
        return;
    }
    text.remove_prefix(1);
    if (!text.empty() && IsDigit(text.front())) {
        number.firstFractionDigit = text.front() - '0';
        text.remove_prefix(1);
    }
    while (!text.empty() && IsDigit(text.front())) {
        number.laterFractionDigits = number.laterFractionDigits || text.front() != '0';
        text.remove_prefix(1);
    }
}

// Blanks, sign, digits, fraction; whatever follows is ignored, and a text
// without digits there gives zero.
LeadingDecimal ParseLeadingDecimal(std::string_view text) {
    LeadingDecimal number;
    text = SkipSpacesAndTabs(text);
    number.negative = TakeSign(text);
    number.whole = TakeWholeDigits(text);
    TakeFraction(text, number);
    return number;
}

// To the nearest whole number; an exact half goes to the even neighbour.
long long RoundHalfToEven(const LeadingDecimal& number) {
    const bool aboveHalf =
        number.firstFractionDigit > 5 || (number.firstFractionDigit == 5 && number.laterFractionDigits);
    const bool exactHalf = number.firstFractionDigit == 5 && !number.laterFractionDigits;
    const bool roundUp = aboveHalf || (exactHalf && number.whole % 2 == 1);
    const long long magnitude = number.whole + (roundUp ? 1 : 0);
    return number.negative ? -magnitude : magnitude;
}

}  // namespace

Settings::Settings(ProfileStore& store, std::string_view lineEnd) : store_(store), lineEnd_(lineEnd) {}

bool Settings::GetProfile(std::string_view section, std::string_view key, std::string& value,
                          std::size_t limit) {
    std::optional<std::string> loaded;
    const std::optional<std::string>& text = batchText_ ? *batchText_ : (loaded = store_.Load());
    value = text ? IniRead(*text, section, key, limit) : std::string();
    return !value.empty();
}

bool Settings::PutProfile(std::string_view section, std::string_view key, std::string_view value) {
    return PutProfiles({ProfileValue(section, key, std::string(value))});
}

bool Settings::PutProfiles(const std::vector<ProfileValue>& values) {
    batchText_.reset();
    const std::optional<std::string> text = store_.Load();
    const std::string old = text.value_or(std::string());
    std::string updated = old;
    bool allAccepted = true;
    for (const ProfileValue& value : values) {
        std::optional<std::string> next = IniWrite(updated, value.section, value.key, value.value, lineEnd_);
        if (next) {
            updated = std::move(*next);
        } else {
            allAccepted = false;
        }
    }
    if (updated == old) {
        return allAccepted;  // the values are already there: the file stays untouched
    }
    return store_.Store(updated) && allAccepted;
}

std::int16_t Settings::GetPosition(const SettingKey& key, std::int16_t defaultValue) {
    std::string value;
    if (!Get(key, value)) {
        return defaultValue;
    }
    return ParsePosition(value);
}

bool Settings::PutPosition(const SettingKey& key, std::int16_t value) {
    return Put(key, FormatPosition(value));
}

std::int16_t ParsePosition(std::string_view text) {
    return ClampPosition(RoundHalfToEven(ParseLeadingDecimal(text)));
}

std::string FormatPosition(std::int16_t value) {
    return std::to_string(value);
}

std::int16_t ClampPosition(long long twips) {
    constexpr long long kLowest = std::numeric_limits<std::int16_t>::min();
    constexpr long long kHighest = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::clamp(twips, kLowest, kHighest));
}

}  // namespace tarnwick
