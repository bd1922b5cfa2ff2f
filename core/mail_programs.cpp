#include "core/mail_programs.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "core/text.h"

namespace tarnwick {
namespace {

// "Name <address>", or whichever of the two there is, or the fallback.
std::string IdentityLabel(std::string_view name, std::string_view address, std::string_view fallback) {
    if (!name.empty() && !address.empty()) {
        return std::string(name) + " <" + std::string(address) + ">";
    }
    if (!address.empty()) {
        return std::string(address);
    }
    return std::string(name.empty() ? fallback : name);
}

// A group of an INI-like file: "[name]", then its "key=value" lines.
struct Group {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;

    // The first value of the key; empty when there is none.
    std::string_view Value(std::string_view key) const {
        for (const auto& [k, v] : values) {
            if (k == key) {
                return v;
            }
        }
        return {};
    }
};

// The groups of an INI-like text. A line whose first non-blank character is
// '#' or ';' is a comment; keys and values are trimmed of blanks; a line that
// is neither a group nor a key is passed over, as is a byte-order mark at the
// start. Keys before the first group, and the keys of a group whose heading
// is broken, belong to no group: they must not pass for the group before.
std::vector<Group> ReadGroups(std::string_view text) {
    std::vector<Group> groups;
    bool inGroup = false;
    for (std::string_view line : SplitLines(text.substr(BodyStart(text)))) {
        line = TrimBlanks(line);
        if (line.empty() || line.front() == '#' || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inGroup = close != std::string_view::npos;
            if (inGroup) {
                groups.push_back({std::string(TrimBlanks(line.substr(1, close - 1))), {}});
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || !inGroup) {
            continue;
        }
        groups.back().values.emplace_back(TrimBlanks(line.substr(0, equals)),
                                          TrimBlanks(line.substr(equals + 1)));
    }
    return groups;
}

// --- prefs.js -------------------------------------------------------------

// Appends the code point as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The value of `digits` hexadecimal digits at the start of the text.
std::optional<std::uint32_t> HexAt(std::string_view text, std::size_t digits) {
    if (text.size() < digits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const char c = text[i];
        const int digit = (c >= '0' && c <= '9')   ? c - '0'
                          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

bool IsHighSurrogate(std::uint32_t code) {
    return code >= 0xD800 && code <= 0xDBFF;
}

bool IsLowSurrogate(std::uint32_t code) {
    return code >= 0xDC00 && code <= 0xDFFF;
}

// A decoded \u escape at the start of `text` (just after the backslash and
// the 'u'), joining a surrogate pair; how many bytes it took. A lone
// surrogate becomes U+FFFD.
std::optional<std::pair<std::uint32_t, std::size_t>> UnicodeEscape(std::string_view text) {
    const std::optional<std::uint32_t> code = HexAt(text, 4);
    if (!code) {
        return std::nullopt;
    }
    if (IsHighSurrogate(*code) && text.substr(4, 2) == "\\u") {
        const std::optional<std::uint32_t> low = HexAt(text.substr(6), 4);
        if (low && IsLowSurrogate(*low)) {
            return std::pair{0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00), std::size_t{10}};
        }
    }
    if (IsHighSurrogate(*code) || IsLowSurrogate(*code)) {
        return std::pair{std::uint32_t{0xFFFD}, std::size_t{4}};
    }
    return std::pair{*code, std::size_t{4}};
}

struct Scanned {
    std::string value;
    std::string_view rest;  // the text after what was read
};

// A quoted string at the start of the text with its escapes decoded; nothing
// when it is not closed or an escape is broken.
std::optional<Scanned> ReadQuotedString(std::string_view text) {
    const char quote = text.front();
    std::string value;
    std::size_t i = 1;
    while (i < text.size() && text[i] != quote) {
        if (text[i] != '\\') {
            value += text[i++];
            continue;
        }
        if (++i >= text.size()) {
            return std::nullopt;
        }
        const char escaped = text[i++];
        switch (escaped) {
            case 'n':
                value += '\n';
                break;
            case 'r':
                value += '\r';
                break;
            case 't':
                value += '\t';
                break;
            case 'x': {
                const std::optional<std::uint32_t> code = HexAt(text.substr(i), 2);
                if (!code) {
                    return std::nullopt;
                }
                AppendUtf8(value, *code);
                i += 2;
                break;
            }
            case 'u': {
                const auto code = UnicodeEscape(text.substr(i));
                if (!code) {
                    return std::nullopt;
                }
                AppendUtf8(value, code->first);
                i += code->second;
                break;
            }
            default:
                value += escaped;
        }
    }
    if (i >= text.size()) {
        return std::nullopt;
    }
    return Scanned{std::move(value), text.substr(i + 1)};
}

// A pref's value: a string decoded, or the word of a boolean or a number.
std::optional<Scanned> ReadPrefValue(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (text.front() == '"' || text.front() == '\'') {
        return ReadQuotedString(text);
    }
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end]) && text[end] != ')') {
        ++end;
    }
    if (end == 0) {
        return std::nullopt;
    }
    return Scanned{std::string(text.substr(0, end)), text.substr(end)};
}

// Removes `token` after optional blanks; false when it is not there.
bool Consume(std::string_view& text, std::string_view token) {
    text = TrimLeadingBlanks(text);
    if (!text.starts_with(token)) {
        return false;
    }
    text.remove_prefix(token.size());
    return true;
}

// One `user_pref("key", value);` line as its key and value.
std::optional<std::pair<std::string, std::string>> ReadUserPref(std::string_view line) {
    if (!Consume(line, "user_pref") || !Consume(line, "(")) {
        return std::nullopt;
    }
    line = TrimLeadingBlanks(line);
    if (line.empty() || (line.front() != '"' && line.front() != '\'')) {
        return std::nullopt;
    }
    std::optional<Scanned> key = ReadQuotedString(line);
    if (!key || !Consume(key->rest, ",")) {
        return std::nullopt;
    }
    std::optional<Scanned> value = ReadPrefValue(TrimLeadingBlanks(key->rest));
    if (!value || !Consume(value->rest, ")")) {
        return std::nullopt;
    }
    return std::pair{std::move(key->value), std::move(value->value)};
}

constexpr std::string_view kIdentityPrefix = "mail.identity.";

// --- muttrc ---------------------------------------------------------------

struct MuttWord {
    std::string text;
    bool equals = false;   // a bare '=' between a name and its value
    bool command = false;  // holds a backquoted command, whose output is unknown
};

using MuttCommand = std::vector<MuttWord>;

// The muttrc's logical lines: a line ending in a backslash goes on in the
// next one.
std::vector<std::string> MuttLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string pending;
    for (const std::string_view line : SplitLines(text)) {
        if (line.ends_with('\\')) {
            pending += line.substr(0, line.size() - 1);
            continue;
        }
        lines.push_back(pending + std::string(line));
        pending.clear();
    }
    if (!pending.empty()) {
        lines.push_back(pending);
    }
    return lines;
}

// Reads a quoted part of a word from just after its opening quote; a quote
// left open runs to the line's end, as mutt reads it. mutt runs a backquoted
// command inside double quotes too.
void ReadMuttQuoted(std::string_view line, std::size_t& i, char quote, MuttWord& word) {
    while (i < line.size() && line[i] != quote) {
        if (quote == '"' && line[i] == '\\' && i + 1 < line.size()) {
            ++i;
            word.text += line[i] == 'n' ? '\n' : line[i] == 't' ? '\t' : line[i];
        } else {
            word.command = word.command || quote == '`' || (quote == '"' && line[i] == '`');
            word.text += line[i];
        }
        ++i;
    }
    i = std::min(i + 1, line.size());
}

// The commands of one line: words split at blanks and '=', commands at ';',
// a comment from '#' on, each outside quotes. A value after '=' is not split
// at '=': mutt keeps "a=b.txt" of "set signature=a=b.txt" whole.
std::vector<MuttCommand> MuttCommands(std::string_view line) {
    std::vector<MuttCommand> commands(1);
    // A plain flag beside the word rather than an optional word, which GCC's
    // optimiser takes for read before it is made.
    MuttWord word;
    bool inWord = false;
    const auto endWord = [&] {
        if (inWord) {
            commands.back().push_back(std::exchange(word, {}));
            inWord = false;
        }
    };
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        const bool inValue = !commands.back().empty() && commands.back().back().equals;
        if (IsBlank(c) || (c == '=' && !inValue) || c == ';' || c == '#') {
            endWord();
            if (c == '#') {
                break;
            }
            if (c == '=') {
                commands.back().push_back({"=", true, false});
            } else if (c == ';') {
                commands.emplace_back();
            }
            ++i;
            continue;
        }
        inWord = true;
        ++i;
        if (c == '"' || c == '\'' || c == '`') {
            ReadMuttQuoted(line, i, c, word);
        } else if (c == '\\' && i < line.size()) {
            word.text += line[i++];
        } else {
            word.text += c;
        }
    }
    endWord();
    return commands;
}

constexpr std::string_view kMuttSignature = "signature";

// What the muttrc sets; an empty value is unset.
using MuttVariables = std::map<std::string, std::string, std::less<>>;

// Applies a set, unset or reset command to the variables.
void ApplyMuttSet(const MuttCommand& command, MuttVariables& variables) {
    const std::string_view verb = command.front().text;
    for (std::size_t i = 1; i < command.size(); ++i) {
        const MuttWord& name = command[i];
        const bool valued = verb == "set" && i + 2 < command.size() && command[i + 1].equals;
        if (valued) {
            const MuttWord& value = command[i + 2];
            // A value made by a command cannot be known here.
            variables[name.text] = value.command ? std::string() : value.text;
            i += 2;
        } else if (verb != "set") {
            variables[name.text].clear();
        }
    }
}

bool IsMuttSet(const MuttCommand& command) {
    return !command.empty() && (command.front().text == "set" || command.front().text == "unset" ||
                                command.front().text == "reset");
}

// A signature value that names a file: not empty, and not a command to run.
bool IsSignatureFile(std::string_view value) {
    value = TrimBlanks(value);
    return !value.empty() && !value.ends_with('|');
}

// The variables a hook's command sets, read as a muttrc of its own.
MuttVariables HookVariables(std::string_view hookCommand) {
    MuttVariables variables;
    for (const MuttCommand& command : MuttCommands(hookCommand)) {
        if (IsMuttSet(command)) {
            ApplyMuttSet(command, variables);
        }
    }
    return variables;
}

// A path as mutt and KDE expand it: "~", "$HOME" or "${HOME}" at the start
// stands for the home folder.
std::string ExpandHomePath(std::string_view path, std::string_view home) {
    for (const std::string_view variable : {"$HOME", "${HOME}"}) {
        if (path.starts_with(variable) && (path.size() == variable.size() || path[variable.size()] == '/')) {
            return ExpandTilde("~" + std::string(path.substr(variable.size())), home);
        }
    }
    return ExpandTilde(path, home);
}

// "send-hook ~f club@example.org": the hook and its pattern.
std::string HookLabel(const MuttCommand& command) {
    std::string label = command.front().text;
    for (std::size_t i = 1; i + 1 < command.size(); ++i) {
        label += ' ';
        label += command[i].text;
    }
    return label;
}

// --- accounts.conf ---------------------------------------------------------

// A value as aerc's INI reader takes it: the inside of one pair of quotes,
// else the text before a comment.
std::string_view AercValue(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '`') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return TrimBlanks(value.substr(0, value.find_first_of("#;")));
}

// --- emailidentities --------------------------------------------------------

// A key's value in a KDE configuration file: the key may carry options in
// brackets ("Signature File[$e]"); a key for one language only
// ("Name[de]") is some other key.
std::string_view KdeValue(const Group& group, std::string_view key) {
    for (const auto& [k, v] : group.values) {
        if (k == key || (k.starts_with(key) && std::string_view(k).substr(key.size()).starts_with("[$"))) {
            return v;
        }
    }
    return {};
}

// KDE writes a "$" of a path as "$$", so that no variable is read into it.
std::string KdeDollarsDecoded(std::string_view text) {
    std::string path;
    for (std::size_t i = 0; i < text.size(); ++i) {
        path += text[i];
        if (text[i] == '$' && i + 1 < text.size() && text[i + 1] == '$') {
            ++i;
        }
    }
    return path;
}

// A KDE path value with its escapes decoded and a leading $HOME, ${HOME}
// or ~ made the home folder, as KDE writes paths below the home folder.
std::string KdeExpanded(std::string_view value, std::string_view home) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const char escaped = value[++i];
        if (escaped == 'x') {
            if (const std::optional<std::uint32_t> code = HexAt(value.substr(i + 1), 2)) {
                text += static_cast<char>(*code);
                i += 2;
            }
            continue;
        }
        text += escaped == 's'   ? ' '
                : escaped == 't' ? '\t'
                : escaped == 'n' ? '\n'
                : escaped == 'r' ? '\r'
                                 : escaped;
    }
    // "$$HOME" is a folder named "$HOME", not the home folder.
    return text.starts_with("$$") ? KdeDollarsDecoded(text) : ExpandHomePath(KdeDollarsDecoded(text), home);
}

}  // namespace

std::string ExpandTilde(std::string_view path, std::string_view home) {
    const bool tilde = path == "~" || path.starts_with("~/") || path.starts_with("~\\");
    if (!tilde || home.empty()) {
        return std::string(path);
    }
    std::string expanded(home);
    if (path.size() > 1 && (expanded.ends_with('/') || expanded.ends_with('\\'))) {
        expanded.pop_back();
    }
    expanded += path.substr(1);
    return expanded;
}

std::vector<GeckoProfile> ReadGeckoProfiles(std::string_view profilesIni) {
    std::vector<GeckoProfile> profiles;
    for (const Group& group : ReadGroups(profilesIni)) {
        const std::string_view path = group.Value("Path");
        if (group.name.starts_with("Profile") && !path.empty()) {
            profiles.push_back({std::string(path), group.Value("IsRelative") == "1"});
        }
    }
    return profiles;
}

std::vector<MailTail> ReadGeckoPrefs(std::string_view prefsJs, std::string_view program) {
    std::map<std::string, std::string, std::less<>> prefs;
    std::vector<std::string> identities;  // in the order the file names them
    std::set<std::string, std::less<>> seen;
    for (const std::string_view line : SplitLines(prefsJs)) {
        std::optional<std::pair<std::string, std::string>> pref = ReadUserPref(line);
        if (!pref || !pref->first.starts_with(kIdentityPrefix)) {
            continue;
        }
        const std::string_view rest = std::string_view(pref->first).substr(kIdentityPrefix.size());
        const std::string id(rest.substr(0, rest.find('.')));
        if (seen.insert(id).second) {
            identities.push_back(id);
        }
        prefs[std::move(pref->first)] = std::move(pref->second);
    }
    std::vector<MailTail> tails;
    for (const std::string& id : identities) {
        const std::string prefix = std::string(kIdentityPrefix) + id + ".";
        const auto value = [&](std::string_view name) -> std::string_view {
            const auto found = prefs.find(prefix + std::string(name));
            return found == prefs.end() ? std::string_view() : std::string_view(found->second);
        };
        if (value("attach_signature") == "true" && !value("sig_file").empty()) {
            tails.push_back({std::string(program), IdentityLabel(value("fullName"), value("useremail"), id),
                             std::string(value("sig_file"))});
        }
    }
    return tails;
}

std::vector<MailTail> ReadClawsAccounts(std::string_view accountrc) {
    // signature_type 0 is a file, 1 a command, 2 the text itself.
    constexpr std::string_view kFileSignature = "0";
    std::vector<MailTail> tails;
    for (const Group& group : ReadGroups(accountrc)) {
        const std::string_view path = group.Value("signature_path");
        if (!group.name.starts_with("Account:") || group.Value("signature_type") != kFileSignature ||
            path.empty()) {
            continue;
        }
        const std::string_view account = group.Value("account_name");
        tails.push_back({"Claws Mail",
                         IdentityLabel(group.Value("name"), group.Value("address"),
                                       account.empty() ? std::string_view(group.name) : account),
                         std::string(path)});
    }
    return tails;
}

std::vector<MailTail> ReadMuttrc(std::string_view muttrc, std::string_view program, std::string_view home) {
    MuttVariables variables;
    std::vector<MailTail> hooks;
    for (const std::string& line : MuttLines(muttrc)) {
        for (const MuttCommand& command : MuttCommands(line)) {
            if (IsMuttSet(command)) {
                ApplyMuttSet(command, variables);
                continue;
            }
            if (command.size() < 3 || !command.front().text.ends_with("-hook")) {
                continue;
            }
            const MuttVariables set = HookVariables(command.back().text);
            const auto signature = set.find(kMuttSignature);
            if (signature != set.end() && IsSignatureFile(signature->second)) {
                hooks.push_back(
                    {std::string(program), HookLabel(command), ExpandHomePath(signature->second, home)});
            }
        }
    }
    std::vector<MailTail> tails;
    const std::string& signature = variables[std::string(kMuttSignature)];
    if (IsSignatureFile(signature)) {
        tails.push_back(
            {std::string(program),
             IdentityLabel(variables["realname"].empty() ? variables["real_name"] : variables["realname"],
                           variables["from"], "default"),
             ExpandHomePath(signature, home)});
    }
    tails.insert(tails.end(), hooks.begin(), hooks.end());
    return tails;
}

std::vector<MailTail> ReadAercAccounts(std::string_view accountsConf, std::string_view home) {
    std::vector<MailTail> tails;
    for (const Group& group : ReadGroups(accountsConf)) {
        const std::string_view path = AercValue(group.Value("signature-file"));
        if (!path.empty()) {
            tails.push_back({"aerc", group.name, ExpandTilde(path, home)});
        }
    }
    return tails;
}

std::vector<MailTail> ReadKMailIdentities(std::string_view emailIdentities, std::string_view home) {
    std::vector<MailTail> tails;
    for (const Group& group : ReadGroups(emailIdentities)) {
        const std::string_view type = KdeValue(group, "Signature Type");
        const std::string path = KdeExpanded(KdeValue(group, "Signature File"), home);
        if (!group.name.starts_with("Identity #") || type != "file" ||
            KdeValue(group, "Signature Enabled") == "false" || path.empty()) {
            continue;
        }
        tails.push_back({"KMail",
                         IdentityLabel(KdeValue(group, "Name"), KdeValue(group, "Email Address"),
                                       KdeValue(group, "Identity")),
                         path});
    }
    return tails;
}

}  // namespace tarnwick
