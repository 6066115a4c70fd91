#pragma once

#include <string>

// What the programs say about themselves: the version, who holds the copyright and the
// licence, for --version and the About box alike.
namespace version_notice {

inline constexpr char kCopyright[] = "Copyright (C) 2026 The Velmora developers";
inline constexpr char kLicence[] =
    "Licence GPL-3.0-or-later: GNU General Public License, version 3 or (at your option)\n"
    "any later version <https://www.gnu.org/licenses/gpl-3.0.html>.";
inline constexpr char kNoWarranty[] =
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.";

// "<program> <version>" and the lines above, each ending in a newline: the answer to
// --version.
std::string VersionText(const std::string& program);

}  // namespace version_notice
