#pragma once
// The files of the stand-in cache-database server: one country database per entry of
// CacheDB.conf in the line format of the program's converter (Windows-1252, one cache per line,
// blanks between fields, quoted name, type and size), the same as a ZIP archive, the archived
// list "velloralist.php" and the version file "velloraversion.txt".
//
// Besides the caches of its country, a country file carries what real files carry now and then:
// comment lines, malformed lines, lines without ratings, lines padded beyond 512 characters,
// TABs between fields, and for some countries CR LF line ends.
#include <string>
#include <string_view>

#include "core/DateUtil.h"
#include "sim/World.h"

namespace vellora::sim {

// The line of one cache, without its line end.
std::string countryFileLine(const World& world, int cache);
// The whole file of a country entry (0-based).
std::string countryFileText(const World& world, int entry);
// Whether the file of the entry ends its lines with CR LF.
bool countryFileUsesCrLf(const World& world, int entry);

// A ZIP archive holding one member, deflated, stamped with the given date.
std::string zipSingleMember(std::string_view memberName, std::string_view data, TDateTime stamp);

// "YYYY-MM-DD;GCxxxx" per archived cache, CR LF after each line.
std::string archiveListText(const World& world);

// The two lines of the version file, CR LF after each.
std::string versionFileText(std::string_view versionText, std::string_view versionDate);

}  // namespace vellora::sim
