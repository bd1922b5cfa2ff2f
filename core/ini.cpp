#include "core/ini.h"

#include <algorithm>
#include <cstddef>

#include "core/text.h"

namespace tarnwick {
namespace {

// The longest UTF-8 sequence; a cut never backs off further than this.
constexpr std::size_t kMaxSequenceBytes = 4;

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

enum class LineKind { kOther, kSection, kKey };

struct LineMeaning {
    LineKind kind = LineKind::kOther;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // a key's raw text after the '=', untrimmed, inside the file text
};

// "[name]" with the name up to the first ']' or the line's end; the rest of the
// line is ignored.
LineMeaning SectionLine(std::string_view afterBracket) {
    return {LineKind::kSection, TrimBlanks(afterBracket.substr(0, afterBracket.find(']'))), {}};
}

// "key=value", split at the first '='.
LineMeaning KeyLine(std::string_view content) {
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        return {};
    }
    return {LineKind::kKey, TrimBlanks(content.substr(0, equals)), content.substr(equals + 1)};
}

LineMeaning MeaningOf(std::string_view content) {
    const std::string_view text = TrimLeadingBlanks(content);
    if (text.starts_with('[')) {
        return SectionLine(text.substr(1));
    }
    if (text.starts_with(';')) {
        return {};  // a comment, even when it holds '='
    }
    return KeyLine(content);
}

struct Location {
    bool sectionFound = false;
    std::size_t insertAt = 0;               // just past the section's last key line, else its header
    std::optional<std::string_view> value;  // the key's raw value, when the key is there
};

// Only the first section of that name is searched, and its first key of that
// name wins; keys before the first section belong to none.
Location Locate(std::string_view text, std::string_view section, std::string_view key) {
    Location where;
    for (std::size_t pos = BodyStart(text); pos < text.size();) {
        const TextLine line = LineAt(text, pos);
        pos = line.next;
        const LineMeaning meaning = MeaningOf(line.content);
        if (meaning.kind == LineKind::kSection) {
            if (where.sectionFound) {
                break;
            }
            where.sectionFound = EqualsIgnoringAsciiCase(meaning.name, section);
            where.insertAt = line.next;
        } else if (where.sectionFound && meaning.kind == LineKind::kKey) {
            if (EqualsIgnoringAsciiCase(meaning.name, key)) {
                where.value = meaning.value;
                break;
            }
            where.insertAt = line.next;
        }
    }
    return where;
}

// A value wrapped in one pair of the same quote loses that pair.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The value as stored in a line, before it is cut to fit a reader's buffer.
std::string_view DecodeValue(std::string_view raw) {
    return Unquote(TrimBlanks(raw));
}

std::string_view CutAtNul(std::string_view value) {
    return value.substr(0, value.find('\0'));
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

// How many bytes the UTF-8 sequence led by this byte claims.
std::size_t SequenceLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    if (byte >= 0xF0U) {
        return 4;
    }
    if (byte >= 0xE0U) {
        return 3;
    }
    return byte >= 0xC0U ? 2 : 1;
}

// Where to cut so that no multi-byte character is split; stray bytes count as
// characters of their own, so a cut never backs off more than one sequence.
std::size_t CharacterBoundaryAtOrBefore(std::string_view text, std::size_t limit) {
    if (limit >= text.size() || !IsContinuationByte(text[limit])) {
        return limit;
    }
    for (std::size_t back = 1; back < kMaxSequenceBytes && back <= limit; ++back) {
        const char c = text[limit - back];
        if (!IsContinuationByte(c)) {
            return SequenceLength(c) > back ? limit - back : limit;
        }
    }
    return limit;
}

std::string_view CutToBufferSize(std::string_view value, std::size_t limit) {
    return value.substr(0, CharacterBoundaryAtOrBefore(value, limit));
}

bool HoldsLineEnd(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool HasOuterBlanks(std::string_view name) {
    return !name.empty() && (IsBlank(name.front()) || IsBlank(name.back()));
}

// A name that would be read back as written, and inject no line.
bool IsStorableSection(std::string_view section) {
    return !HoldsLineEnd(section) && section.find(']') == std::string_view::npos && !HasOuterBlanks(section);
}

bool IsStorableKey(std::string_view key) {
    return !HoldsLineEnd(key) && key.find('=') == std::string_view::npos && !HasOuterBlanks(key) &&
           !key.starts_with(';') && !key.starts_with('[');
}

// Whatever the reader would change besides the spaces at both ends: an outer
// quote pair, tabs or vertical tabs at an end.
bool NeedsQuotes(std::string_view value) {
    const std::string_view core = TrimSpaces(value);
    const bool quoted = core.size() >= 2 && IsQuote(core.front()) && core.front() == core.back();
    return quoted || HasOuterBlanks(core);
}

std::string EncodeValue(std::string_view value) {
    if (NeedsQuotes(value)) {
        return '"' + std::string(value) + '"';
    }
    return std::string(value);
}

std::string Splice(std::string_view text, std::size_t at, std::size_t length, std::string_view insert) {
    std::string result;
    result.reserve(text.size() - length + insert.size());
    result.append(text.substr(0, at));
    result.append(insert);
    result.append(text.substr(at + length));
    return result;
}

// Only the value changes: the key's spelling, the blanks around the value and
// the line's own line end stay. A value that already reads the same leaves the
// text as it was.
std::string ReplaceValue(std::string_view text, std::string_view raw, std::string_view encoded) {
    if (DecodeValue(raw) == DecodeValue(encoded)) {
        return std::string(text);
    }
    std::string_view old = TrimBlanks(raw);
    if (old.empty()) {
        old = raw.substr(0, 0);
    }
    const auto at = static_cast<std::size_t>(old.data() - text.data());
    return Splice(text, at, old.size(), encoded);
}

// New lines start on a line of their own, even after a last line without end.
std::string InsertLines(std::string_view text, std::size_t at, std::string_view lines,
                        std::string_view lineEnd) {
    const bool unended = at == text.size() && at > BodyStart(text) && !IsLineEnd(text.back());
    std::string insert;
    if (unended) {
        insert = lineEnd;
    }
    insert += lines;
    return Splice(text, at, 0, insert);
}

std::string KeyLineText(std::string_view key, std::string_view encoded, std::string_view lineEnd) {
    std::string line(key);
    line += '=';
    line += encoded;
    line += lineEnd;
    return line;
}

std::string SectionLineText(std::string_view section, std::string_view lineEnd) {
    std::string line = "[";
    line += section;
    line += ']';
    line += lineEnd;
    return line;
}

}  // namespace

std::string IniRead(std::string_view text, std::string_view section, std::string_view key,
                    std::size_t limit) {
    const Location where = Locate(text, section, key);
    if (!where.value) {
        return {};
    }
    return std::string(CutToBufferSize(CutAtNul(DecodeValue(*where.value)), limit));
}

std::optional<std::string> IniWrite(std::string_view text, std::string_view section, std::string_view key,
                                    std::string_view value, std::string_view lineEnd) {
    if (HoldsLineEnd(value) || !IsStorableSection(section) || !IsStorableKey(key)) {
        return std::nullopt;
    }
    const std::string encoded = EncodeValue(value);
    const Location where = Locate(text, section, key);
    if (where.value) {
        return ReplaceValue(text, *where.value, encoded);
    }
    std::string lines = KeyLineText(key, encoded, lineEnd);
    if (!where.sectionFound) {
        lines.insert(0, SectionLineText(section, lineEnd));
        return InsertLines(text, text.size(), lines, lineEnd);
    }
    return InsertLines(text, where.insertAt, lines, lineEnd);
}

}  // namespace tarnwick
