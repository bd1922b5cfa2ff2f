#include "core/text.h"

#include <algorithm>

namespace tarnwick {

// The byte-order mark belongs to no line: a reader that glued it to the first
// line would lose that line's section.
std::size_t BodyStart(std::string_view text) {
    return text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
}

TextLine LineAt(std::string_view text, std::size_t begin) {
    const std::size_t end = std::min(text.find_first_of("\r\n", begin), text.size());
    std::size_t next = end;
    if (next < text.size()) {
        const bool crLf = text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n';
        next += crLf ? 2 : 1;
    }
    return {text.substr(begin, end - begin), next};
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const TextLine line = LineAt(text, begin);
        lines.push_back(line.content);
        begin = line.next;
    }
    return lines;
}

std::string WithLineEnds(std::string_view text, std::string_view lineEnd) {
    std::string converted;
    converted.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!IsLineEnd(c)) {
            converted += c;
            continue;
        }
        converted += lineEnd;
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
    }
    return converted;
}

void EndLastLine(std::string& text) {
    if (!text.empty() && !text.ends_with('\n')) {
        text += '\n';
    }
}

std::string_view TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string_view TrimLeadingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view TrimBlanks(std::string_view text) {
    text = TrimLeadingBlanks(text);
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string ToUpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

}  // namespace tarnwick
