// The tail files that mail programs read, found in each program's own
// configuration text. Every reader is a pure function of that text: it takes
// what it knows, passes over everything else, and never fails, whatever the
// text holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// One tail file a mail program reads its signature from.
struct MailTail {
    std::string program;   // "Thunderbird", "Claws Mail", "mutt", ...
    std::string identity;  // the identity or account that uses it
    std::string path;
    bool operator==(const MailTail&) const = default;
};

// A profile named in a Gecko program's profiles.ini.
struct GeckoProfile {
    std::string path;
    bool relative = false;  // relative to the folder of profiles.ini
    bool operator==(const GeckoProfile&) const = default;
};

// The profiles in profiles.ini, in the file's order.
std::vector<GeckoProfile> ReadGeckoProfiles(std::string_view profilesIni);

// prefs.js of a Thunderbird-like profile: the sig_file of each identity
// whose attach_signature is true, labelled by the identity's name and
// address.
std::vector<MailTail> ReadGeckoPrefs(std::string_view prefsJs, std::string_view program);

// Claws Mail's accountrc: the accounts whose signature is a file.
std::vector<MailTail> ReadClawsAccounts(std::string_view accountrc);

// A muttrc of mutt or NeoMutt: the signature set at the top level, and the
// one each hook sets; a command (a value ending in '|') is no file. `~`,
// $HOME or ${HOME} at the start of a path stands for `home`.
std::vector<MailTail> ReadMuttrc(std::string_view muttrc, std::string_view program, std::string_view home);

// aerc's accounts.conf: signature-file of each account.
std::vector<MailTail> ReadAercAccounts(std::string_view accountsConf, std::string_view home);

// KMail's emailidentities: the identities whose signature is read from a
// file.
std::vector<MailTail> ReadKMailIdentities(std::string_view emailIdentities, std::string_view home);

// The path with a leading "~" (alone or before a separator) replaced by
// `home`; any other path as it is.
std::string ExpandTilde(std::string_view path, std::string_view home);

}  // namespace tarnwick
