#include "sim/WorldText.h"

#include <array>
#include <vector>

#include "core/UpperCase.h"

namespace vellora::sim {
namespace {

constexpr CountryGeo kGeo[] = {
    {"gc_austria.txt", 46.6, 48.7, 9.7, 16.9, 6, Language::German,
     "Tirol|Salzburg|Steiermark|Nieder\xF6sterreich|K\xE4rnten|Wien"},
    {"gc_switzerland.txt", 46.0, 47.7, 6.1, 10.3, 6, Language::German,
     "Bern|Z\xFCrich|Graub\xFCnden|Wallis|Luzern"},
    {"gc_germany.txt", 47.5, 54.8, 6.1, 14.8, 0, Language::German,
     "Bayern|Baden-W\xFCrttemberg|Hessen|Th\xFCringen|Sachsen|Nordrhein-Westfalen|Niedersachsen|Rheinland-"
     "Pfalz|"
     "Brandenburg|Schleswig-Holstein"},
    {"gc_france.txt", 43.2, 50.8, -1.2, 7.4, 5, Language::French,
     "Alsace|Bretagne|Provence|Bourgogne|Normandie"},
    {"gc_netherlands.txt", 51.4, 53.3, 3.7, 7.0, 5, Language::Dutch,
     "Noord-Holland|Utrecht|Gelderland|Limburg"},
    {"gc_belgium.txt", 49.7, 51.3, 2.7, 6.2, 3, Language::Dutch, "Vlaanderen|Wallonie"},
    {"gc_luxembourg.txt", 49.5, 50.1, 5.8, 6.4, 1, Language::French, "Luxembourg"},
    {"gc_denmark.txt", 54.8, 57.6, 8.2, 12.5, 3, Language::Nordic, "Jylland|Sj\xE6lland|Fyn"},
    {"gc_sweden.txt", 55.5, 63.0, 12.0, 19.0, 3, Language::Nordic,
     "Sk\xE5ne|Stockholm|V\xE4stra G\xF6taland"},
    {"gc_norway.txt", 58.0, 64.0, 5.2, 12.0, 2, Language::Nordic, "Oslo|Hordaland|Tr\xF8ndelag"},
    {"gc_finland.txt", 60.2, 66.0, 21.6, 29.0, 2, Language::Nordic, "Uusimaa|Lappi|Pirkanmaa"},
    {"gc_uk.txt", 50.3, 57.4, -5.4, 1.4, 6, Language::English, "England|Scotland|Wales"},
    {"gc_ireland.txt", 51.7, 54.4, -9.9, -6.2, 1, Language::English, "Cork|Dublin|Galway"},
    {"gc_spain.txt", 36.8, 43.4, -8.4, 2.9, 2, Language::Spanish,
     "Catalu\xF1"
     "a|Andaluc\xED"
     "a|Madrid"},
    {"gc_portugal.txt", 37.1, 41.9, -9.2, -6.6, 1, Language::Spanish, "Lisboa|Algarve|Porto"},
    {"gc_italy.txt", 41.0, 46.3, 8.0, 14.0, 2, Language::Italian,
     "Toscana|Lombardia|S\xFC"
     "dtirol|Veneto"},
    {"gc_poland.txt", 49.6, 54.4, 14.6, 23.4, 1, Language::Slavic, "Mazowieckie|Malopolskie|Pomorskie"},
    {"gc_czech.txt", 48.9, 50.9, 12.4, 18.6, 2, Language::Slavic,
     "Praha|Jihomoravsk\xFD kraj|Plzensk\xFD kraj"},
    {"gc_slovakia.txt", 47.8, 49.4, 17.3, 22.4, 1, Language::Slavic, "Bratislava|Ko\x9Aice"},
    {"gc_hungary.txt", 46.0, 48.4, 16.3, 22.7, 1, Language::Slavic, "Budapest|Pest|Baranya"},
    {"gc_slovenia.txt", 45.5, 46.8, 13.6, 16.4, 1, Language::Slavic, "Ljubljana|Gorenjska"},
    {"gc_croatia.txt", 44.6, 46.0, 14.2, 17.0, 1, Language::Slavic, "Istra|Zagreb"},
    {"gc_greece.txt", 37.6, 40.9, 21.2, 23.9, 1, Language::English, "Attica|Macedonia"},
    {"gc_liechtenstein.txt", 47.06, 47.26, 9.48, 9.62, 0.3, Language::German, "Vaduz|Schaan"},
    {"gc_iceland.txt", 63.5, 66.4, -23.5, -14.0, 0.3, Language::Nordic, "Reykjav\xEDk|Su\xF0urland"},
    {"gc_usa.txt", 30.0, 47.5, -122.0, -71.0, 6, Language::English,
     "California|Washington|Texas|Colorado|New York|Oregon|Virginia"},
    {"gc_canada.txt", 43.5, 52.5, -122.5, -64.0, 3, Language::English, "Ontario|Quebec|British Columbia"},
};

// Words by language. German is the richest: most caches lie around the default home.
constexpr const char* kGermanPlaces[] = {"N\xFCrnberg",
                                         "F\xFCrth",
                                         "Erlangen",
                                         "Schwabach",
                                         "Ansbach",
                                         "Bamberg",
                                         "W\xFCrzburg",
                                         "Regensburg",
                                         "Wei\xDF"
                                         "enburg",
                                         "Gunzenhausen",
                                         "Roth",
                                         "Hersbruck",
                                         "Lauf",
                                         "Altdorf",
                                         "Neumarkt",
                                         "Feucht",
                                         "Zirndorf",
                                         "Cadolzburg",
                                         "Heilsbronn",
                                         "Windsbach",
                                         "Dinkelsb\xFChl",
                                         "Rothenburg",
                                         "Spalt",
                                         "Pleinfeld",
                                         "Treuchtlingen",
                                         "Eichst\xE4tt",
                                         "Pappenheim",
                                         "Solnhofen",
                                         "Greding",
                                         "Hilpoltstein",
                                         "Allersberg",
                                         "Schnaittach",
                                         "Pegnitz",
                                         "G\xF6\xDF"
                                         "weinstein",
                                         "Pottenstein",
                                         "T\xFC"
                                         "chersfeld",
                                         "Muggendorf",
                                         "Forchheim",
                                         "H\xF6"
                                         "chstadt",
                                         "Herzogenaurach",
                                         "Langenzenn",
                                         "Bad Windsheim",
                                         "Ipsheim",
                                         "Uffenheim",
                                         "Kitzingen",
                                         "M\xFCnchen",
                                         "Augsburg",
                                         "Ingolstadt",
                                         "Stuttgart",
                                         "K\xF6ln",
                                         "D\xFCsseldorf",
                                         "\xD6hringen",
                                         "\xDC"
                                         "berlingen"};
constexpr const char* kGermanNouns[] = {"Burg",
                                        "M\xFChle",
                                        "Waldsee",
                                        "Felsenkeller",
                                        "H\xF6hle",
                                        "Br\xFC"
                                        "cke",
                                        "Kapelle",
                                        "Aussicht",
                                        "Quelle",
                                        "Weiher",
                                        "Steinbruch",
                                        "Hohlweg",
                                        "Bunker",
                                        "Schl\xF6\xDF"
                                        "chen",
                                        "Marterl",
                                        "Bildstock",
                                        "Kirchturm",
                                        "Wasserturm",
                                        "Eiche",
                                        "Linde",
                                        "Hexenstein",
                                        "Teufelstisch",
                                        "Drachenfels",
                                        "Schatzkiste",
                                        "Zwergenh\xF6hle",
                                        "R\xF6merschanze",
                                        "Keltenwall",
                                        "Limes",
                                        "Kanal",
                                        "Schleuse",
                                        "Bahntrasse",
                                        "Viadukt",
                                        "Aussichtsturm",
                                        "Grenzstein",
                                        "Weinberg",
                                        "Hopfengarten",
                                        "Biergarten",
                                        "Fuchsbau",
                                        "Kr\xF6tenteich",
                                        "Storchennest",
                                        "Felsentor",
                                        "Klamm",
                                        "Ruine",
                                        "Gro\xDF"
                                        "vaters Bank",
                                        "\xC4"
                                        "hrenfeld"};
constexpr const char* kGermanAdjectives[] = {"Alte",
                                             "Verwunschene",
                                             "Geheime",
                                             "Gro\xDF"
                                             "e",
                                             "Kleine",
                                             "Stille",
                                             "Dunkle",
                                             "Vergessene",
                                             "Romantische",
                                             "Sch\xF6ne",
                                             "M\xFC"
                                             "de",
                                             "Fr\xE4nkische",
                                             "Wilde",
                                             "Verlorene",
                                             "Heimliche",
                                             "Steinerne",
                                             "Gr\xFCne",
                                             "\xD6"
                                             "de"};

constexpr const char* kFrenchWords[] = {"Le Vieux Moulin", "Lac",     "Chapelle", "For\xEAt",
                                        "\xC9glise",       "Pont",    "Fontaine", "Ch\xE8vre",
                                        "Rocher",          "Sentier", "Tour",     "Cascade"};
constexpr const char* kFrenchPlaces[] = {"Strasbourg",
                                         "Colmar",
                                         "Dijon",
                                         "Rennes",
                                         "Nancy",
                                         "Metz",
                                         "Lyon",
                                         "Besan\xE7on",
                                         "Orl\xE9"
                                         "ans"};
constexpr const char* kDutchWords[] = {"De Molen", "Het Bos", "Dijk",  "Polder", "Sluis",
                                       "Kasteel",  "Brug",    "Heide", "Duinen", "Kerk"};
constexpr const char* kDutchPlaces[] = {"Utrecht", "Leiden", "Gouda",  "Maastricht",
                                        "Gent",    "Brugge", "Arnhem", "Zwolle"};
constexpr const char* kEnglishWords[] = {"Old Mill", "Hidden Creek", "Lookout",    "Trail",
                                         "Bridge",   "Castle",       "Abbey",      "Oak",
                                         "Hollow",   "Stone Circle", "Lighthouse", "Quarry"};
constexpr const char* kEnglishPlaces[] = {"Oxford",  "Bristol", "Kilkenny", "Portland", "Boulder",
                                          "Seattle", "Toronto", "Halifax",  "York",     "Athens"};
constexpr const char* kNordicWords[] = {"Fjord",
                                        "Skog",
                                        "Sj\xF6",
                                        "Kirke",
                                        "Bro",
                                        "Fyr",
                                        "Udsigt",
                                        "H\xF8j",
                                        "\xC5"
                                        "s",
                                        "Vik"};
constexpr const char* kNordicPlaces[] = {"Aarhus",    "Odense",  "Malm\xF6", "Uppsala", "Bergen",
                                         "Troms\xF8", "Tampere", "Turku",    "Akureyri"};
constexpr const char* kItalianWords[] = {"Castello", "Torre",  "Lago",     "Ponte",  "Chiesa",
                                         "Citt\xE0", "Grotta", "Sentiero", "Fontana"};
constexpr const char* kItalianPlaces[] = {"Bolzano", "Trento", "Verona", "Firenze",
                                          "Siena",   "Como",   "Bergamo"};
constexpr const char* kSpanishWords[] = {"Castillo",
                                         "Puente",
                                         "Cueva",
                                         "Monta\xF1"
                                         "a",
                                         "Mirador",
                                         "Ermita",
                                         "Fuente",
                                         "Torre",
                                         "Camino"};
constexpr const char* kSpanishPlaces[] = {"Girona", "Sevilla",  "Toledo",    "Porto",
                                          "Sintra", "\xC9vora", "C\xF3rdoba"};
constexpr const char* kSlavicWords[] = {"Zamek",     "Hrad",   "V\xE1r", "Most",   "Jeskyne",
                                        "Rozhledna", "Kostel", "Jezero", "Studnia"};
constexpr const char* kSlavicPlaces[] = {"Krak\xF3w", "Brno", "Plzen", "Bratislava",
                                         "Sopron",    "Bled", "Pula",  "Olomouc"};

struct Vocabulary {
    const char* const* words;
    std::size_t nWords;
    const char* const* places;
    std::size_t nPlaces;
};

template <std::size_t A, std::size_t B>
constexpr Vocabulary vocab(const char* const (&w)[A], const char* const (&p)[B]) {
    return {w, A, p, B};
}

Vocabulary vocabulary(Language language) {
    switch (language) {
        case Language::German:
            return vocab(kGermanNouns, kGermanPlaces);
        case Language::French:
            return vocab(kFrenchWords, kFrenchPlaces);
        case Language::Dutch:
            return vocab(kDutchWords, kDutchPlaces);
        case Language::English:
            return vocab(kEnglishWords, kEnglishPlaces);
        case Language::Nordic:
            return vocab(kNordicWords, kNordicPlaces);
        case Language::Italian:
            return vocab(kItalianWords, kItalianPlaces);
        case Language::Spanish:
            return vocab(kSpanishWords, kSpanishPlaces);
        case Language::Slavic:
            return vocab(kSlavicWords, kSlavicPlaces);
    }
    return vocab(kGermanNouns, kGermanPlaces);
}

std::string word(Rng& rng, const Vocabulary& v) {
    return v.words[rng.below(static_cast<std::uint32_t>(v.nWords))];
}
std::string place(Rng& rng, const Vocabulary& v) {
    return v.places[rng.below(static_cast<std::uint32_t>(v.nPlaces))];
}

std::string longName(Rng& rng, const Vocabulary& v) {
    std::string s = "Eine lange Wanderung von " + place(rng, v) +
                    " \xFC"
                    "ber " +
                    place(rng, v) + " nach " + place(rng, v) + ", vorbei an " + word(rng, v) + ", " +
                    word(rng, v) + " und " + word(rng, v);
    while (s.size() <= 130)
        s += " & zur\xFC"
             "ck \xFC"
             "ber " +
             place(rng, v) + " zum " + word(rng, v);
    return s;
}

constexpr const char* kUserFirst[] = {
    "Waldl\xE4"
    "ufer",
    "Dosenfischer",
    "Team Fuchs",
    "Frankenj\xE4ger",
    "cacheMonkey",
    "Die Schn\xFC"
    "ffler",
    "GeoWombat",
    "Tante K\xE4the",
    "Mr. & Mrs. Brown",
    "\xD6tzi",
    "B\xE4rentatze",
    "Vuva",
    "Quirlemann",
    "Moosbart",
    "Eule",
    "Sp\xFCrnase",
    "Kompassrose",
    "Wegweiser",
    "Trailrunner",
    "Nordlicht",
    "Bergziege",
    "Schatzsucher",
    "Igel & Co",
    "Lummerland",
    "Kaffeetante",
    "Radler",
    "Hundefreund",
    "Sternschnuppe",
    "Gipfelst\xFCrmer",
    "Frosch",
    "M\xFCller",
    "Gr\xFCnspecht",
    "OldTimer",
    "petra_und_klaus",
    "\xDC"
    "ber-Cacher"};
constexpr const char* kUserSuffix[] = {
    "", "", "", "", "", " 2", "77", "_de", "-Team", " & Hund", "1969", " aus F\xFCrth", "42", " der Zweite"};

constexpr const char* kHints[] = {"Magnetisch",
                                  "Am Fu\xDF der Eiche",
                                  "Hinter dem Zaunpfahl [3. von links]",
                                  "Baumstumpf",
                                  "[Stage 2] Zahl auf dem Schild",
                                  "Unter Stein [Tree]",
                                  "In der Mauerritze",
                                  "Wurzel, Nordseite",
                                  "Steinhaufen",
                                  "Schau nach oben!",
                                  "Im hohlen Baum [nicht graben!]",
                                  "Unter der Br\xFC"
                                  "cke, links",
                                  "Klein und gr\xFCn",
                                  "Hinter dem Schild [Wanderweg 7]",
                                  "Efeu",
                                  "Zwischen den Felsen",
                                  "Kein Hinweis n\xF6tig",
                                  "Loch im Boden [Vorsicht, Ameisen]",
                                  "Bank, Unterseite"};

constexpr const char* kSentences[] = {
    "Dieser Cache f\xFChrt Dich an einen wenig bekannten Ort in der N\xE4he.",
    "Der Weg ist auch f\xFCr Familien mit Kindern gut geeignet.",
    "Bitte verhaltet Euch unauff\xE4llig, hier sind oft Spazierg\xE4nger unterwegs.",
    "Im Winter kann der Pfad rutschig sein, festes Schuhwerk wird empfohlen.",
    "Die Dose enth\xE4lt ein Logbuch, einen Stift und ein paar Tauschgegenst\xE4nde.",
    "Von hier hat man einen sch\xF6nen Blick \xFC"
    "ber das Tal.",
    "Parken kann man am Waldrand, von dort sind es etwa 500 Meter.",
    "Der Ort hat eine lange Geschichte, die bis ins Mittelalter zur\xFC"
    "ckreicht.",
    "Bitte die Dose wieder gut verstecken und tarnen!",
    "Nimm Dir Zeit und genie\xDF"
    "e die Ruhe.",
    "This cache takes you to a quiet spot off the beaten track.",
    "Bring a pen, the log book is small.",
    "Die Stationen sind mit Zahlen bezeichnet, die Du f\xFCr die Endkoordinaten brauchst.",
    "F\xFCr das R\xE4tsel brauchst Du etwas Geduld und einen Taschenrechner.",
    "Der Cache wurde im Rahmen eines Stammtisches gelegt.",
    "\xDC"
    "ber einen kleinen Steg erreicht man die Insel.",
    "Achtung: In der Brutzeit bitte Abstand zu den Nestern halten.",
    "Die Gegend ist bekannt f\xFCr ihre Felsformationen aus Dolomit.",
};

constexpr const char* kFoundTexts[] = {
    "TFTC!",
    "Schnell gefunden, danke f\xFCr den sch\xF6nen Cache!",
    "Bei str\xF6mendem Regen gesucht und gefunden. In: nichts, Out: nichts.",
    "Sch\xF6ne Runde, der Cache war gut versteckt.",
    "Nach l\xE4ngerer Suche endlich entdeckt. TB abgelegt.",
    "Found it on our way home. Thanks for the cache!",
    "Zusammen mit dem Team ein sch\xF6ner Nachmittag. 90% der Zeit haben wir am falschen Baum gesucht.",
    "Logbuch ist fast voll, ansonsten alles bestens.",
};
constexpr const char* kOtherTexts[] = {
    "Leider nichts gefunden, wir kommen wieder.",
    "Dose ist nass, Logbuch bitte tauschen.",
    "Wir waren hier und haben den Ausblick genossen.",
    "Cache wurde kontrolliert, alles in Ordnung.",
    "Ver\xF6"
    "ffentlicht. Viel Spa\xDF beim Suchen!",
    "Wegen Bauarbeiten vor\xFC"
    "bergehend deaktiviert.",
    "Der Cache ist wieder verf\xFC"
    "gbar.",
    "Wir kommen mit vier Personen.",
    "Sch\xF6nes Event, danke an die Organisatoren!",
    "Die Koordinaten wurden korrigiert.",
};

constexpr const char* kBugNames[] = {
    "Rudi der Reisewurm", "Kleiner Eisb\xE4r",          "Holzfrosch",           "Blaue Ente",
    "M\xFCllers Maus",    "Travelling Teddy",           "Geocoin Franken 2006", "Schildkr\xF6te Berta",
    "Globetrotter",       "Der fliegende Holl\xE4nder", "Gummib\xE4r & Co",     "Little Yellow Car"};

constexpr const char* kImageTitles[] = {"Blick vom Parkplatz",
                                        "Der Weg dorthin",
                                        "Spoiler (nicht ansehen!)",
                                        "Die Aussicht",
                                        "Winteransicht",
                                        "Das Schild an Station 2",
                                        "Unsere Gruppe beim Event",
                                        "Alte Postkarte",
                                        "Br\xFC"
                                        "cke im Nebel",
                                        "Karte"};
constexpr const char* kImageDescriptions[] = {"",
                                              "Aufgenommen im Fr\xFChjahr",
                                              "So sieht es dort im Herbst aus",
                                              "Bitte nur im Notfall ansehen",
                                              "Danke an den Fotografen",
                                              "Der Blick nach Norden"};

constexpr const char* kWaypointNotes[] = {"Hier parken.",
                                          "Z\xE4hle die Fenster des Hauses.",
                                          "Wie viele Stufen hat die Treppe?",
                                          "Der Pfad beginnt hier.",
                                          "Final: nur mit Stift!",
                                          "Ausgangspunkt der Runde.",
                                          ""};

}  // namespace

CountryGeo countryGeo(std::string_view dbFilename) {
    for (const auto& g : kGeo)
        if (equalsNoCase(g.file, dbFilename)) return g;
    // Unknown file names get a small box in the North Sea region, away from the others.
    const std::uint64_t h = hashText(dbFilename);
    const double lat0 = 40.0 + static_cast<double>(h % 20);
    const double lon0 = -5.0 + static_cast<double>((h >> 8) % 30);
    return {"", lat0, lat0 + 0.8, lon0, lon0 + 0.8, 1, Language::English, "Region"};
}

std::string makeCacheName(Rng& rng, Language language, CacheKind kind) {
    const Vocabulary v = vocabulary(language);
    if (rng.chance(0.012)) return longName(rng, v);
    if (kind == CacheKind::Event || kind == CacheKind::MegaEvent || kind == CacheKind::Cito) {
        static constexpr const char* kEvents[] = {"Stammtisch",      "Sommerfest",     "Grillevent",
                                                  "Winterwanderung", "Neujahrscachen", "Cacher-Treffen"};
        std::string s = std::string(rng.pick(kEvents)) + " " + place(rng, v);
        if (kind == CacheKind::Cito) s = "CITO " + place(rng, v) + " - M\xFCll sammeln & Spa\xDF haben";
        return s;
    }
    const bool german = language == Language::German;
    switch (rng.below(12)) {
        case 0:
            if (german) return std::string(rng.pick(kGermanAdjectives)) + " " + word(rng, v);
            return word(rng, v) + " " + place(rng, v);
        case 1:
            return word(rng, v) + (german ? " bei " : " - ") + place(rng, v);
        case 2:
            return (german ? "Rund um " : "Around ") + place(rng, v);
        case 3:
            return place(rng, v) + ": " + word(rng, v);
        case 4: {
            const std::string first = word(rng, v);
            std::string second = word(rng, v);
            if (second == first) second = place(rng, v);
            return first + " & " + second;
        }
        case 5: {
            std::string quoted(1, '"');
            quoted += word(rng, v);
            return quoted + "\" " + (german ? "am " : "at ") + place(rng, v);
        }
        case 6:
            return place(rng, v) + " Multi #" + std::to_string(rng.range(1, 12));
        case 7:
            return (german ? "Der " : "The ") + word(rng, v) + (german ? " von " : " of ") + place(rng, v);
        case 8:
            return (german ? "R\xE4tsel: " : "Puzzle: ") + word(rng, v);
        case 9:
            return word(rng, v) + "-Tour " + std::to_string(rng.range(1, 9));
        case 10:
            return "Tom's " + word(rng, v);
        default:
            return word(rng, v) + " <" + place(rng, v) + ">";
    }
}

std::string makeUserName(Rng& rng) {
    return std::string(rng.pick(kUserFirst)) + rng.pick(kUserSuffix);
}

std::string pickRegion(Rng& rng, const CountryGeo& geo) {
    std::vector<std::string_view> parts;
    std::string_view all = geo.regions;
    while (!all.empty()) {
        const auto bar = all.find('|');
        parts.push_back(all.substr(0, bar));
        if (bar == std::string_view::npos) break;
        all.remove_prefix(bar + 1);
    }
    return std::string(parts[rng.below(static_cast<std::uint32_t>(parts.size()))]);
}

std::string makeHint(Rng& rng) {
    if (rng.chance(0.08)) return "";
    std::string h = rng.pick(kHints);
    if (rng.chance(0.15)) h += std::string("<br>") + rng.pick(kHints);
    return h;
}

std::string makeShortDescription(Rng& rng, CacheKind kind) {
    if (rng.chance(0.25)) return "";
    std::string s = rng.pick(kSentences);
    if (kind == CacheKind::Multi) s = "Ein Multi mit " + std::to_string(rng.range(2, 7)) + " Stationen. " + s;
    return s;
}

std::string makeParagraph(Rng& rng, int sentences) {
    std::string p;
    for (int k = 0; k < sentences; ++k) {
        if (k) p += ' ';
        p += rng.pick(kSentences);
    }
    return p;
}

std::string makeLogText(Rng& rng, LogType type) {
    std::string t = type == LogType::Found || type == LogType::WebcamPhoto || type == LogType::Attended
                        ? rng.pick(kFoundTexts)
                        : rng.pick(kOtherTexts);
    if (rng.chance(0.3)) t += std::string("<br>") + rng.pick(kFoundTexts);
    if (rng.chance(0.1)) t += "<p>Gru\xDF, " + makeUserName(rng);
    return t;
}

std::string makeBugName(Rng& rng) {
    std::string n = rng.pick(kBugNames);
    if (rng.chance(0.3)) n += " #" + std::to_string(rng.range(2, 99));
    return n;
}

std::string makeImageTitle(Rng& rng) {
    return rng.pick(kImageTitles);
}
std::string makeImageDescription(Rng& rng) {
    return rng.pick(kImageDescriptions);
}
std::string makeWaypointNote(Rng& rng) {
    return rng.pick(kWaypointNotes);
}

}  // namespace vellora::sim
