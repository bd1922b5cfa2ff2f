// Windows only: ANSI code page texts and the UTF-16 the wide functions take.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// An ANSI code page text as UTF-16.
std::wstring WideText(std::string_view text);

// A UTF-16 text in the ANSI code page; a character it lacks becomes '?'.
std::string AnsiText(std::wstring_view text);

// A path for the wide file functions: a long one gets the "\\?\" prefix, so
// it is not cut at MAX_PATH where the system allows longer paths.
std::wstring WidePath(const std::string& path);

// The system's text for an error code, without the trailing line end.
std::string SystemErrorText(unsigned long code);

}  // namespace tarnwick
