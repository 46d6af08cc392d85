#include "sim/World.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <unordered_set>

#include "core/AppHome.h"
#include "core/FileUtil.h"
#include "core/Koord.h"
#include "core/UpperCase.h"
#include "sim/Rng.h"
#include "sim/WorldText.h"

namespace vellora::sim {
namespace {

// Seed streams of one cache; each detail has its own so that deriving one never shifts another.
enum Stream : std::uint64_t {
    kStreamCore = 1,
    kStreamName,
    kStreamOwner,
    kStreamText,
    kStreamLogs,
    kStreamBugs,
    kStreamWaypoints,
    kStreamImages,
    kStreamRemote,
    kStreamStyle,
};

struct KindInfo {
    const char* text;
    int weight;  // per mille
};

constexpr KindInfo kKinds[kCacheKindCount] = {
    {"Traditional Cache", 535}, {"Multi-cache", 200},       {"Virtual Cache", 40},
    {"Letterbox Hybrid", 30},   {"Event Cache", 30},        {"Webcam Cache", 20},
    {"Unknown Cache", 90},      {"Locationless Cache", 15}, {"Cache In Trash Out Event", 15},
    {"Earthcache", 20},         {"Mega-Event Cache", 5},
};

constexpr const char* kSizes[] = {"Micro", "Small", "Regular", "Large", "Virtual", "Not chosen", "Other"};

struct LogInfo {
    const char* icon;
    const char* text;
};
constexpr LogInfo kLogs[kLogTypeCount] = {
    {"icon_smile.gif", "Found it"},          {"icon_camera.gif", "Webcam Photo Taken"},
    {"big_smile.gif", "Post Reviewer Note"}, {"icon_note.gif", "Write note"},
    {"icon_sad.gif", "Didn't find it"},      {"icon_greenlight.gif", "Publish Listing"},
    {"icon_redlight.gif", "Archive"},        {"icon_disabled.gif", "Temporarily Disable Listing"},
    {"icon_enabled.gif", "Enable Listing"},  {"icon_rsvp.gif", "Will Attend"},
    {"icon_attended.gif", "Attended"},       {"icon_needsmaint.gif", "Needs Maintenance"},
    {"icon_maint.gif", "Owner Maintenance"}, {"coord_update.gif", "Update Coordinates"},
};

constexpr char kBase31[] = "0123456789ABCDEFGHJKMNPQRTVWXYZ";
constexpr std::uint32_t kBase31Offset = 411120;

TDateTime worldEpoch() {
    return encodeDate(World::kWorldEpochYear, World::kWorldEpochMonth, World::kWorldEpochDay);
}

std::string ratingText(int twice) {
    std::string s = std::to_string(twice / 2);
    if (twice % 2) s += ".5";
    return s;
}

CacheKind pickKind(Rng& rng) {
    int r = static_cast<int>(rng.below(1000));
    for (int k = 0; k < kCacheKindCount; ++k) {
        if (r < kKinds[k].weight) return static_cast<CacheKind>(k);
        r -= kKinds[k].weight;
    }
    return CacheKind::Traditional;
}

SizeKind pickSize(Rng& rng, CacheKind kind) {
    switch (kind) {
        case CacheKind::Virtual:
        case CacheKind::Webcam:
        case CacheKind::Earthcache:
        case CacheKind::Locationless:
            return rng.chance(0.7) ? SizeKind::Virtual : SizeKind::NotChosen;
        case CacheKind::Event:
        case CacheKind::Cito:
        case CacheKind::MegaEvent:
            return rng.chance(0.6) ? SizeKind::NotChosen : SizeKind::Other;
        default:
            break;
    }
    const int r = static_cast<int>(rng.below(100));
    if (r < 25) return SizeKind::Micro;
    if (r < 55) return SizeKind::Small;
    if (r < 90) return SizeKind::Regular;
    if (r < 95) return SizeKind::Large;
    if (r < 98) return SizeKind::NotChosen;
    return SizeKind::Other;
}

std::uint8_t pickRating(Rng& rng) {
    static constexpr std::uint8_t kTwice[] = {2, 3, 3, 4, 4, 4, 5, 5, 6, 6, 7, 8, 9, 10};
    return rng.pick(kTwice);
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

}  // namespace

const char* cacheTypeText(CacheKind kind) {
    return kKinds[static_cast<int>(kind)].text;
}
const char* sizeText(SizeKind size) {
    return kSizes[static_cast<int>(size)];
}
bool isEventKind(CacheKind kind) {
    return kind == CacheKind::Event || kind == CacheKind::Cito || kind == CacheKind::MegaEvent;
}
const char* logIconFile(LogType type) {
    return kLogs[static_cast<int>(type)].icon;
}
const char* logTypeText(LogType type) {
    return kLogs[static_cast<int>(type)].text;
}
bool logIconSecondFormOnly(LogType type) {
    return type == LogType::NeedsMaintenance || type == LogType::Maintenance ||
           type == LogType::UpdateCoordinates;
}

std::string waypointFromId(std::uint32_t id) {
    std::string code;
    if (id < 0x10000) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        do {
            code.insert(code.begin(), kHex[id & 15]);
            id >>= 4;
        } while (id);
    } else {
        std::uint64_t v = static_cast<std::uint64_t>(id) + kBase31Offset;
        do {
            code.insert(code.begin(), kBase31[v % 31]);
            v /= 31;
        } while (v);
    }
    return "GC" + code;
}

std::optional<std::uint32_t> idFromWaypoint(std::string_view waypoint) {
    std::string wp = upperCase(waypoint);
    if (wp.size() < 3 || wp.size() > 9 || wp.compare(0, 2, "GC") != 0) return std::nullopt;
    const std::string code = wp.substr(2);
    std::uint64_t v = 0;
    if (code.size() <= 4 && isHex(code[0]) && std::all_of(code.begin(), code.end(), isHex)) {
        for (char c : code) v = v * 16 + static_cast<std::uint64_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    } else {
        for (char c : code) {
            const char* p = std::char_traits<char>::find(kBase31, 31, c);
            if (!p) return std::nullopt;
            v = v * 31 + static_cast<std::uint64_t>(p - kBase31);
        }
        if (v < kBase31Offset + 0x10000) return std::nullopt;
        v -= kBase31Offset;
    }
    if (v > 0xFFFFFFFFULL) return std::nullopt;
    // Only the canonical spelling names a cache.
    if (waypointFromId(static_cast<std::uint32_t>(v)) != wp) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

std::string toRepairableUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size() + 16);
    for (char c : cp1252) {
        switch (static_cast<unsigned char>(c)) {
            case 0xE4:
                out += "\xC3\xA4";
                break;
            case 0xF6:
                out += "\xC3\xB6";
                break;
            case 0xFC:
                out += "\xC3\xBC";
                break;
            case 0xDF:
                out += "\xC3\x9F";
                break;
            case 0xD6:
                out += "\xC3\x96";
                break;
            case 0xDC:
                out += "\xC3\x9C";
                break;
            case 0x84:  // low double quotation mark
                out += "\xE2\x80\x9E";
                break;
            case 0x93:  // left double quotation mark
                out += "\xE2\x80\x9C";
                break;
            case 0x92:  // right single quotation mark
                out += "\xE2\x80\x99";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string hexText(std::uint64_t value, int digits) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string s(static_cast<std::size_t>(digits), '0');
    for (int k = digits - 1; k >= 0; --k) {
        s[static_cast<std::size_t>(k)] = kHex[value & 15];
        value >>= 4;
    }
    return s;
}

std::string guidText(std::uint64_t a, std::uint64_t b) {
    return hexText(a >> 32, 8) + "-" + hexText(a >> 16, 4) + "-" + hexText(a, 4) + "-" + hexText(b >> 48, 4) +
           "-" + hexText(b, 12);
}

// ---------------------------------------------------------------------------------------------

World::World(WorldParams params) : params_(std::move(params)) {
    std::string confPath = params_.countriesPath;
    if (confPath.empty()) {
        if (const auto dir = findDataDir()) confPath = joinPath(*dir, "CacheDB.conf");
    }
    countries_ = readCountryTable(confPath);
    if (countries_.entries.empty())
        throw std::runtime_error("no country table in \"" + confPath + "\" (CacheDB.conf)");
    if (params_.caches < 0) params_.caches = 0;

    // Country choice: a cluster around the home, the rest of Germany, the other countries by weight.
    int germany = -1;
    std::vector<double> cumulative;
    double total = 0;
    for (int e = 0; e < countries_.count(); ++e) {
        const auto& entry = countries_.entries[static_cast<std::size_t>(e)];
        if (equalsNoCase(entry.DB_Filename, "gc_germany.txt")) germany = e;
        total += countryGeo(entry.DB_Filename).weight;
        cumulative.push_back(total);
    }
    if (germany < 0) germany = 0;

    const TDateTime epoch = worldEpoch();
    // Day numbers are 16 bits wide: the site's "today" lies between 60 days and about 160 years
    // after the epoch.
    const int totalDays = std::clamp(static_cast<int>(params_.today - epoch), 60, 60000);

    const int n = params_.caches;
    cores_.resize(static_cast<std::size_t>(n));
    Rng idRng(mixHash(params_.seed, 0x1D5));
    const std::uint32_t meanGap =
        std::max<std::uint32_t>(2, static_cast<std::uint32_t>(600000 / std::max(1, n)));
    std::uint32_t id = 100 + idRng.below(200);
    for (int i = 0; i < n; ++i) {
        cores_[static_cast<std::size_t>(i)].id = id;
        id += 1 + idRng.below(2 * meanGap - 1);
    }
    const double firstId = n ? cores_.front().id : 0;
    const double idSpan = n ? std::max(1.0, static_cast<double>(cores_.back().id) - firstId) : 1.0;

    for (int i = 0; i < n; ++i) {
        CacheCore& c = cores_[static_cast<std::size_t>(i)];
        Rng r(mixHash(params_.seed, c.id, kStreamCore));
        const double where = r.unit();
        double lat = 0, lon = 0;
        if (where < 0.35) {
            c.country = static_cast<std::uint8_t>(germany);
            lat = params_.homeLat + r.gaussian() * 0.22;
            lon = params_.homeLon + r.gaussian() * 0.34;
        } else {
            int e = germany;
            if (where >= 0.62 && total > 0) {
                const double pick = r.unit() * total;
                e = static_cast<int>(std::upper_bound(cumulative.begin(), cumulative.end(), pick) -
                                     cumulative.begin());
                e = std::min(e, countries_.count() - 1);
            }
            c.country = static_cast<std::uint8_t>(e);
            const CountryGeo g = countryGeo(countries_.entries[static_cast<std::size_t>(e)].DB_Filename);
            lat = g.lat0 + r.unit() * (g.lat1 - g.lat0);
            lon = g.lon0 + r.unit() * (g.lon1 - g.lon0);
        }
        c.latE6 = static_cast<std::int32_t>(std::lround(lat * 1e6));
        c.lonE6 = static_cast<std::int32_t>(std::lround(lon * 1e6));

        const CacheKind kind = pickKind(r);
        c.kind = static_cast<std::uint8_t>(kind);
        c.size = static_cast<std::uint8_t>(pickSize(r, kind));
        c.diff2 = pickRating(r);
        c.terr2 = pickRating(r);

        const double frac = (static_cast<double>(c.id) - firstId) / idSpan;
        int hidden = static_cast<int>(frac * (totalDays - 14)) + r.range(-10, 10);
        hidden = std::clamp(hidden, 0, totalDays - 1);
        if (isEventKind(kind)) hidden = std::min(totalDays + 90, hidden + r.range(7, 60));
        c.hiddenDay = static_cast<std::uint16_t>(hidden);

        if (isEventKind(kind)) {
            if (hidden < totalDays - 30) {
                c.flags |= kArchived;
                c.archiveDay = static_cast<std::uint16_t>(std::min(totalDays, hidden + r.range(1, 20)));
            }
        } else if (hidden < totalDays - 60 && r.chance(0.025)) {
            c.flags |= kArchived;
            c.archiveDay = static_cast<std::uint16_t>(r.range(hidden + 30, totalDays));
        } else if (r.chance(0.03)) {
            c.flags |= kDisabled;
        }
        const int line = static_cast<int>(r.below(1000));
        if (line < 10)
            c.flags |= kDbNoRatings;
        else if (line < 16)
            c.flags |= kDbNoTerrain;
        else if (line < 22)
            c.flags |= kDbLongLine;
        else if (line < 52)
            c.flags |= kDbTabs;
    }
}

std::uint64_t World::cacheSeed(int i, std::uint64_t stream) const {
    return mixHash(params_.seed, core(i).id, stream);
}

std::string World::waypoint(int i) const {
    return waypointFromId(core(i).id);
}

std::optional<int> World::find(std::string_view wp) const {
    const auto id = idFromWaypoint(wp);
    if (!id) return std::nullopt;
    const auto it = std::lower_bound(cores_.begin(), cores_.end(), *id,
                                     [](const CacheCore& c, std::uint32_t v) { return c.id < v; });
    if (it == cores_.end() || it->id != *id) return std::nullopt;
    return static_cast<int>(it - cores_.begin());
}

TDateTime World::hiddenDate(int i) const {
    return worldEpoch() + core(i).hiddenDay;
}
TDateTime World::archiveDate(int i) const {
    return worldEpoch() + core(i).archiveDay;
}
std::string World::difficultyText(int i) const {
    return ratingText(core(i).diff2);
}
std::string World::terrainText(int i) const {
    return ratingText(core(i).terr2);
}
const TCountryEntry& World::country(int i) const {
    return countries_.entries[core(i).country];
}

std::string World::name(int i) const {
    Rng r(cacheSeed(i, kStreamName));
    return makeCacheName(r, countryGeo(country(i).DB_Filename).language, kind(i));
}

std::string World::owner(int i) const {
    Rng r(cacheSeed(i, kStreamOwner));
    return makeUserName(r);
}

CacheImage World::makeImage(int i, int n) const {
    Rng r(mixHash(cacheSeed(i, kStreamImages), static_cast<std::uint64_t>(n)));
    CacheImage img;
    const int f = static_cast<int>(r.below(100));
    std::string ext = "jpg";
    if (f < 15) {
        img.format = ImageFormat::Gif;
        ext = "gif";
    } else if (f < 25) {
        img.format = ImageFormat::Png;
        ext = "png";
    } else if (f < 30) {
        ext = "jpeg";
    }
    static constexpr int kWidths[] = {120, 160, 240, 320, 400, 480, 640, 800, 1024};
    img.width = r.pick(kWidths) + r.range(0, 40);
    img.height = std::max(40, img.width * r.range(55, 130) / 100);
    const std::uint64_t check =
        mixHash(params_.seed, core(i).id, 0xC0FFEE00ULL + static_cast<std::uint64_t>(n));
    img.file = hexText(core(i).id, 8) + "-" + hexText(static_cast<std::uint64_t>(n), 4) + "-" +
               hexText(check, 4) + "-" + hexText(check >> 16, 4) + "-" + hexText(check >> 32, 12) + "." + ext;
    img.title = makeImageTitle(r);
    img.description = makeImageDescription(r);
    return img;
}

std::string World::remoteImageFile(int i, int k) const {
    const std::uint64_t check =
        mixHash(params_.seed, core(i).id, 0xE7E70000ULL + static_cast<std::uint64_t>(k));
    return hexText(core(i).id, 8) + "-" + std::to_string(k) + "-" + hexText(check, 8) + ".jpg";
}

CacheDetails World::details(int i) const {
    CacheDetails d;
    d.name = name(i);
    d.owner = owner(i);
    const CacheKind k = kind(i);
    const TDateTime hidden = hiddenDate(i);
    const TDateTime today = params_.today;
    const CountryGeo geo = countryGeo(country(i).DB_Filename);

    Rng style(cacheSeed(i, kStreamStyle));
    d.utf8Text = style.chance(0.25);
    d.utf8Degree = style.chance(0.3);
    d.spanQuote = style.chance(0.2) ? '\'' : '"';
    {
        Rng r(cacheSeed(i, kStreamOwner));
        (void)makeUserName(r);
        d.ownerGuid = guidText(r.next(), r.next());
        const double dlat = lat(i) - params_.homeLat, dlon = lon(i) - params_.homeLon;
        if (std::abs(dlat) < 1.2 && std::abs(dlon) < 1.8 &&
            equalsNoCase(country(i).DB_Filename, "gc_germany.txt"))
            d.region = "Bayern";
        else
            d.region = pickRegion(r, geo);
    }

    Rng text(cacheSeed(i, kStreamText));
    d.shortDescription = makeShortDescription(text, k);
    // Now and then nested spans inside the field: one, or two after each other.
    if (!d.shortDescription.empty() && text.chance(0.2)) {
        d.shortDescription += " <span style=\"font-weight: bold\">Viel Spa\xDF!</span>";
        if (text.chance(0.5))
            d.shortDescription +=
                " <span style=\"color: #990000\">Gl\xFC"
                "ck auf!</span>";
    }
    d.hint = makeHint(text);
    d.watchers = text.chance(0.2) ? 0 : text.range(1, 25);

    // Long description: paragraphs, nested spans, typographic quotes, links, foreign pictures.
    std::string& ld = d.longDescription;
    ld = "<p>" + makeParagraph(text, text.range(1, 4)) + "</p>\r\n";
    if (text.chance(0.4))
        ld += "<p><font face=\"Verdana\" size=\"2\">" + makeParagraph(text, 2) + "</font><br>\r\n";
    if (text.chance(0.35))
        ld += "<span style=\"color: #006600\">" + makeParagraph(text, 1) +
              " <span style=\"font-weight: bold\">" + makeParagraph(text, 1) + "</span> " +
              makeParagraph(text, 1) + "</span><br>\r\n";
    if (text.chance(0.3))
        ld +=
            "<p>Wie schon der Volksmund sagt: \x84Wer suchet, der findet\x93 - und das gilt auch hier. "
            "Tom\x92s Tipp: fr\xFCh losgehen.</p>\r\n";
    if (k == CacheKind::Multi || k == CacheKind::Unknown) {
        ld += "<table bgcolor=\"#EEEEEE\" border=\"0\" width=\"100%\"><tr><td style=\"padding: 4px\">";
        const int stages = text.range(2, 5);
        for (int s = 1; s <= stages; ++s)
            ld += "Station " + std::to_string(s) + ": " + makeParagraph(text, 1) + "<br>";
        ld += "</td></tr></table>\r\n";
    }
    if (text.chance(0.1)) ld += "<style>p { color: #333333; }</style>\r\n";
    if (text.chance(0.05)) ld += "<bgsound src=\"{BASE}/ext/sounds.example/wind.mid\" loop=\"1\">\r\n";
    if (text.chance(0.3))
        ld +=
            "<p>Mehr \xFC"
            "ber den Ort: <a href=\"http://www.heimatkunde.example/ort/" +
            std::to_string(core(i).id) + "\" target=\"_blank\">Heimatkunde-Seite</a></p>\r\n";
    Rng remote(cacheSeed(i, kStreamRemote));
    if (remote.chance(0.18)) {
        static constexpr const char* kServers[] = {"photos.example", "bilder.example", "pics.example"};
        const int count = remote.range(1, 2);
        for (int kk = 1; kk <= count; ++kk) {
            const std::string url =
                "{BASE}/ext/" + std::string(remote.pick(kServers)) + "/" + remoteImageFile(i, kk);
            if (remote.chance(0.5))
                ld += "<p><img src=\"" + url + "\" width=\"300\" border=\"0\" alt=\"Bild\"></p>\r\n";
            else
                ld += "<p><IMG SRC='" + url + "'></p>\r\n";
            if (kk == 1 && remote.chance(0.3)) ld += "<p>Noch einmal: <img src=\"" + url + "\"></p>\r\n";
        }
    }
    if (remote.chance(0.06)) ld += "<p><img src=\"../images/smile.gif\"> (relativ)</p>\r\n";
    if (remote.chance(0.1))
        ld += "<p><img src=\"{BASE}/images/attributes/dogs-yes.gif\" width=\"30\"></p>\r\n";

    // Logs, newest first in the result; generated oldest first.
    Rng lr(cacheSeed(i, kStreamLogs));
    const int ageDays = std::max(0, static_cast<int>(std::min(today, archived(i) ? archiveDate(i) : today) -
                                                     (isEventKind(k) ? hidden - 40 : hidden)));
    int count = std::min(45, ageDays / 25 + lr.range(0, 6));
    if (lr.chance(0.04)) count = 0;
    // Each of the first caches shows one log type in its second log, so that the pages of even a
    // small world carry every log icon (an event's "attended" would otherwise be rare).
    const bool showcase = i < kLogTypeCount;
    if (showcase) count = std::max(count, 2);
    std::vector<LogEntry> logs;
    TDateTime date = isEventKind(k) ? hidden - 40 : hidden;
    const TDateTime last = archived(i) ? archiveDate(i) : today;
    const auto addLog = [&](LogType type, TDateTime when) {
        LogEntry e;
        e.type = type;
        e.date = std::floor(when);
        e.finder = type == LogType::Publish || type == LogType::ReviewerNote ? "Reviewer " + makeUserName(lr)
                   : (type == LogType::Disable || type == LogType::Enable || type == LogType::Maintenance ||
                      type == LogType::Archive)
                       ? d.owner
                       : makeUserName(lr);
        e.finderFinds = lr.range(1, 2500);
        e.logId = static_cast<std::uint32_t>(lr.next() & 0x3FFFFFFF);
        e.text = makeLogText(lr, type);
        e.iconForm = logIconSecondFormOnly(type) ? 2 : (lr.chance(0.5) ? 1 : 2);
        e.quote = lr.chance(0.5) ? '\'' : '"';
        e.upperTag = lr.chance(0.3);
        logs.push_back(std::move(e));
    };
    if (count > 0) {
        addLog(LogType::Publish, date);
        if (lr.chance(0.1)) addLog(LogType::ReviewerNote, date);
    }
    const double step = count > 0 ? std::max(0.0, (last - date)) / count : 0;
    for (int n = 1; n < count; ++n) {
        date = std::min(last, date + step * (0.5 + lr.unit()));
        LogType t = LogType::Found;
        const int r = static_cast<int>(lr.below(1000));
        if (isEventKind(k)) {
            t = date < hidden ? (r < 800 ? LogType::WillAttend : LogType::Note)
                              : (r < 850 ? LogType::Attended : LogType::Note);
        } else if (r < 80) {
            t = LogType::DidNotFind;
        } else if (r < 150) {
            t = LogType::Note;
        } else if (r < 165) {
            t = LogType::NeedsMaintenance;
        } else if (r < 180) {
            t = LogType::Maintenance;
        } else if (r < 188) {
            t = LogType::UpdateCoordinates;
        } else if (r < 198) {
            t = LogType::Disable;
        } else if (r < 208) {
            t = LogType::Enable;
        } else if (r < 215) {
            t = LogType::ReviewerNote;
        } else if (k == CacheKind::Webcam) {
            t = LogType::WebcamPhoto;
        }
        if (showcase && n == 1) t = static_cast<LogType>(i);
        addLog(t, date);
    }
    if (count > 0 && archived(i)) addLog(LogType::Archive, archiveDate(i));
    if (count > 0 && disabled(i)) addLog(LogType::Disable, today - lr.range(0, 30));
    std::stable_sort(logs.begin(), logs.end(),
                     [](const LogEntry& a, const LogEntry& b) { return a.date > b.date; });
    d.logs = std::move(logs);
    d.visits = static_cast<int>(d.logs.size()) + lr.range(0, 3);

    Rng br(cacheSeed(i, kStreamBugs));
    if (!isEventKind(k) && !archived(i) && br.chance(0.25)) {
        const int bugs = br.range(1, 3);
        for (int b = 0; b < bugs; ++b) d.bugs.push_back({makeBugName(br), guidText(br.next(), br.next())});
    }

    Rng wr(cacheSeed(i, kStreamWaypoints));
    const bool staged = k == CacheKind::Multi || k == CacheKind::Unknown || k == CacheKind::Letterbox ||
                        k == CacheKind::Earthcache;
    if ((staged && wr.chance(0.5)) || wr.chance(0.1)) {
        struct WptType {
            const char* prefix;
            const char* type;
            const char* name;
        };
        static constexpr WptType kTypes[] = {
            {"PK", "Parking Area", "Parkplatz"},    {"S", "Stages of a Multicache", "Station"},
            {"QA", "Question to answer", "Frage"},  {"FN", "Final Location", "Final"},
            {"TH", "Trailhead", "Wanderparkplatz"}, {"RP", "Reference Point", "Wegpunkt"},
        };
        const int count2 = staged ? wr.range(1, 4) : 1;
        const std::string code = waypoint(i).substr(2);
        for (int w = 0; w < count2; ++w) {
            const WptType& t = w == 0 ? kTypes[0] : wr.pick(kTypes);
            AdditionalWaypoint a;
            // Prefixes are two characters; a type used again gets a digit in the second place.
            a.prefix = t.prefix[1] ? t.prefix : std::string(t.prefix) + std::to_string(w);
            for (const auto& other : d.waypoints)
                if (other.prefix == a.prefix) a.prefix = a.prefix.substr(0, 1) + std::to_string(w);
            a.lookup = a.prefix + code;
            a.typeText = t.type;
            a.name = t.name + std::string(w ? " " + std::to_string(w) : "");
            a.hasCoords = !wr.chance(0.15);
            a.lat = lat(i) + (wr.unit() - 0.5) * 0.02;
            a.lon = lon(i) + (wr.unit() - 0.5) * 0.03;
            a.note = makeWaypointNote(wr);
            d.waypoints.push_back(std::move(a));
        }
    }

    Rng ir(cacheSeed(i, kStreamImages));
    if (ir.chance(0.4)) {
        const int count3 = ir.range(1, 5);
        for (int n = 1; n <= count3; ++n) d.images.push_back(makeImage(i, n));
        // Now and then the last entry carries a mouse-over preview link in front of it.
        if (ir.chance(0.3)) d.images.back().onMouse = true;
    }
    if (!d.images.empty() && ir.chance(0.3))
        d.longDescription +=
            "<p><img src=\"{IMGHOST}/cache/" + d.images.front().file + "\" width=\"200\"></p>\r\n";
    return d;
}

std::string decimalDegrees(std::int32_t v) {
    std::string s = v < 0 ? "-" : "";
    const std::uint32_t a = static_cast<std::uint32_t>(v < 0 ? -static_cast<std::int64_t>(v) : v);
    s += std::to_string(a / 1000000) + ".";
    std::string frac = std::to_string(1000000 + a % 1000000).substr(1);
    while (frac.size() > 1 && frac.back() == '0') frac.pop_back();
    return s + frac;
}

TCacheRec World::record(int i) const {
    TCacheRec r;
    r.CacheID = static_cast<std::int32_t>(core(i).id);
    r.CacheName = name(i).substr(0, TCacheRec::kCacheNameMax);
    r.HiddenDate = hiddenDate(i);
    r.Lat = lat(i);
    r.Lon = lon(i);
    r.CacheType = std::string(cacheTypeText(kind(i))).substr(0, TCacheRec::kCacheTypeMax);
    r.CacheSize = std::string(sizeText(sizeKind(i))).substr(0, TCacheRec::kCacheSizeMax);
    r.Waypoint = waypoint(i);
    r.Difficulty = difficultyText(i);
    r.Terrain = terrainText(i);
    r.CountryID = country(i).DB_CountryID;
    const auto db = DistanceBearing(params_.homeLat, params_.homeLon, r.Lat, r.Lon);
    r.HomeDist = static_cast<float>(db.ok ? db.distanceKm : 0.0);
    r.Valid = 1;
    return r;
}

TCacheRec World::convertedRecord(int i) const {
    TCacheRec r = record(i);
    if (core(i).flags & kDbNoRatings) r.Difficulty = r.Terrain = "0.0";
    if (core(i).flags & kDbNoTerrain) r.Terrain = "0.0";
    return r;
}

std::vector<int> World::cachesInCountry(int entry) const {
    std::vector<int> out;
    for (int i = 0; i < size(); ++i)
        if (core(i).country == entry) out.push_back(i);
    return out;
}

std::vector<int> World::archivedCaches() const {
    std::vector<int> out;
    for (int i = 0; i < size(); ++i)
        if (archived(i)) out.push_back(i);
    return out;
}

std::vector<Find> World::finds(std::string_view userName) const {
    std::vector<Find> out;
    if (size() == 0) return out;
    const std::string upper = upperCase(userName);
    if (upper.empty()) return out;
    std::size_t digits = 0;
    while (digits < upper.size() && upper[upper.size() - 1 - digits] >= '0' &&
           upper[upper.size() - 1 - digits] <= '9')
        ++digits;
    Rng r(hashText(upper, params_.seed));
    long long count = 0;
    if (digits > 0 && digits <= 6)
        count = std::stoll(upper.substr(upper.size() - digits));
    else
        count = r.below(121);
    // Nobody logs more than a few thousand caches; the cap also bounds the page work.
    count = std::min<long long>({count, size(), kMaxFinds});
    std::unordered_set<int> used;
    int fallback = 0;  // caches taken in order once random picks keep failing
    TDateTime date = std::floor(params_.today);
    for (long long k = 0; k < count; ++k) {
        static constexpr int kGaps[] = {0, 0, 0, 1, 1, 1, 2, 3, 5, 8};
        if (k > 0) date -= r.pick(kGaps);
        int pick = -1;
        for (int attempt = 0; attempt < 40 && pick < 0; ++attempt) {
            const int c = static_cast<int>(r.below(static_cast<std::uint32_t>(size())));
            if (used.count(c) || hiddenDate(c) > date) continue;
            pick = c;
        }
        for (; pick < 0 && fallback < size(); ++fallback)
            if (!used.count(fallback)) pick = fallback;
        used.insert(pick);
        out.push_back({pick, date});
    }
    return out;
}

std::optional<ImageInfo> World::cacheImage(std::string_view file) const {
    // "{id:8}-{n:4}-..." as made by makeImage.
    if (file.size() < 14 || file[8] != '-' || file[13] != '-') return std::nullopt;
    std::uint64_t id = 0, n = 0;
    for (std::size_t k = 0; k < 8; ++k) {
        const char c = file[k];
        const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (v < 0) return std::nullopt;
        id = id * 16 + static_cast<std::uint64_t>(v);
    }
    for (std::size_t k = 9; k < 13; ++k) {
        const char c = file[k];
        const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (v < 0) return std::nullopt;
        n = n * 16 + static_cast<std::uint64_t>(v);
    }
    if (id > 0xFFFFFFFFULL || n < 1 || n > 5) return std::nullopt;
    const auto idx = find(waypointFromId(static_cast<std::uint32_t>(id)));
    if (!idx) return std::nullopt;
    const CacheImage img = makeImage(*idx, static_cast<int>(n));
    if (img.file != file) return std::nullopt;
    return ImageInfo{img.width, img.height, img.format, mixHash(params_.seed, id, 0x1A6E000ULL + n)};
}

std::optional<ImageInfo> World::remoteImage(std::string_view file) const {
    const auto dash = file.find('-');
    if (dash != 8) return std::nullopt;
    std::uint64_t id = 0;
    for (std::size_t k = 0; k < 8; ++k) {
        const char c = file[k];
        const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (v < 0) return std::nullopt;
        id = id * 16 + static_cast<std::uint64_t>(v);
    }
    if (id > 0xFFFFFFFFULL || file.size() < 11) return std::nullopt;
    const int k = file[9] - '0';
    if (k < 1 || k > 2) return std::nullopt;
    const auto idx = find(waypointFromId(static_cast<std::uint32_t>(id)));
    if (!idx || remoteImageFile(*idx, k) != file) return std::nullopt;
    Rng r(mixHash(params_.seed, id, 0x7E3000ULL + static_cast<std::uint64_t>(k)));
    const int w = r.range(200, 700);
    return ImageInfo{w, w * r.range(60, 90) / 100, ImageFormat::Jpeg, r.next()};
}

std::string World::cacheGuid(int i) const {
    const std::uint64_t h = mixHash(params_.seed, core(i).id, 0x6D1D);
    return hexText(core(i).id, 8) + "-" + hexText(h, 4) + "-" + hexText(h >> 16, 4) + "-" +
           hexText(h >> 32, 4) + "-" + hexText(h >> 12, 12);
}

std::string World::mapSessionId() const {
    return "S" + hexText(mixHash(params_.seed, 0x51D), 12);
}

}  // namespace vellora::sim
