#pragma once
// Vocabulary and text generators of the synthetic world: place words, cache names, user names,
// hints, log texts, descriptions. All texts are Windows-1252; no "\xE2" or "\xC2" bytes are used
// in plain text, because the program's UTF-8 repair deletes them.
#include <string>
#include <string_view>

#include "sim/Rng.h"
#include "sim/World.h"

namespace vellora::sim {

enum class Language { German, French, Dutch, English, Nordic, Italian, Spanish, Slavic };

struct CountryGeo {
    const char* file;  // DB_Filename of CacheDB.conf
    double lat0, lat1, lon0, lon1;
    double weight;  // share among the countries other than Germany
    Language language;
    const char* regions;  // "|"-separated
};

// Geography of a country file name; a made-up box for names the table does not know.
CountryGeo countryGeo(std::string_view dbFilename);

std::string makeCacheName(Rng& rng, Language language, CacheKind kind);
std::string makeUserName(Rng& rng);
std::string pickRegion(Rng& rng, const CountryGeo& geo);
std::string makeHint(Rng& rng);
std::string makeShortDescription(Rng& rng, CacheKind kind);
// Plain paragraphs of text (no markup).
std::string makeParagraph(Rng& rng, int sentences);
std::string makeLogText(Rng& rng, LogType type);
std::string makeBugName(Rng& rng);
std::string makeImageTitle(Rng& rng);
std::string makeImageDescription(Rng& rng);
std::string makeWaypointNote(Rng& rng);

}  // namespace vellora::sim
