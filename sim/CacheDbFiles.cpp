#include "sim/CacheDbFiles.h"

#include <zlib.h>

#include <stdexcept>

#include "sim/Rng.h"

namespace vellora::sim {
namespace {

// The name as the server writes it between quotes: "&" and the quote as references, and for some
// caches the umlauts and a few accented letters as numeric references too.
std::string fileName(const std::string& name, bool references) {
    std::string out;
    for (char c : name) {
        switch (static_cast<unsigned char>(c)) {
            case '&':
                out += "&amp;";
                continue;
            case '"':
                out += "&quot;";
                continue;
            case 0xE4:
            case 0xF6:
            case 0xFC:
            case 0xDF:
            case 0xC4:
            case 0xD6:
            case 0xDC:
            case 0xE9:
            case 0xE8:
            case 0xE0:
                if (references) {
                    out += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
                    continue;
                }
                break;
            default:
                break;
        }
        out += c;
    }
    return out;
}

void putLe16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void putLe32(std::string& out, std::uint32_t v) {
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

std::string deflateRaw(std::string_view data) {
    z_stream zs{};
    if (deflateInit2(&zs, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    const std::size_t produced = out.size() - zs.avail_out;
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
    out.resize(produced);
    return out;
}

}  // namespace

std::string countryFileLine(const World& world, int i) {
    const CacheCore& c = world.core(i);
    const DateParts hidden = decodeDateTime(world.hiddenDate(i));
    const bool refs = (mixHash(world.params().seed, c.id, 0xE17) & 3) == 0;
    const bool tabs = (c.flags & kDbTabs) != 0;
    const std::string sep = " ";
    const std::string sepAlt = tabs ? "\t" : " ";
    std::string line = std::to_string(c.id) + " \"" + fileName(world.name(i), refs) + "\" " +
                       std::to_string(hidden.year) + sepAlt + twoDigits(hidden.month) + sep +
                       twoDigits(hidden.day) + sep + decimalDegrees(c.latE6) + (tabs ? "  " : " ") +
                       decimalDegrees(c.lonE6) + sepAlt + "\"" + cacheTypeText(world.kind(i)) + "\" \"" +
                       sizeText(world.sizeKind(i)) + "\"" + sep + world.waypoint(i) + sep +
                       (world.archived(i) ? "0" : "1");
    if (!(c.flags & kDbNoRatings)) {
        line += sepAlt + world.difficultyText(i);
        if (!(c.flags & kDbNoTerrain)) line += sep + world.terrainText(i);
    }
    if (c.flags & kDbLongLine) {
        line += " ";
        while (line.size() < 620) line += '=';
    }
    return line;
}

bool countryFileUsesCrLf(const World& world, int entry) {
    return (mixHash(world.params().seed, static_cast<std::uint64_t>(entry), 0xC71F) % 4) == 0;
}

std::string countryFileText(const World& world, int entry) {
    const TCountryEntry& country = world.countries().entries.at(static_cast<std::size_t>(entry));
    const std::string eol = countryFileUsesCrLf(world, entry) ? "\r\n" : "\n";
    Rng r(mixHash(world.params().seed, static_cast<std::uint64_t>(entry), 0xF11E));
    std::string out = "# Cache-Datenbank " + country.DB_CNameDE + " (" + country.DB_Filename + ")" + eol;
    out += "# Stand " + formatDate(world.today()) + eol;
    out +=
        "# id \"name\" year month day lat lon \"type\" \"size\" waypoint available difficulty terrain" + eol;
    std::uint32_t junkId = 9000000;
    for (int i = 0; i < world.size(); ++i) {
        if (world.core(i).country != entry) continue;
        if (r.chance(1.0 / 60)) {
            switch (r.below(7)) {
                case 0:
                    out += "# Nachtrag " + std::to_string(r.range(1, 999)) + eol;
                    break;
                case 1:
                    out += eol;
                    break;
                case 2:
                    out += "-----------------------------------------" + eol;
                    break;
                case 3:
                    out += std::to_string(++junkId) +
                           " \"Kaputter Eintrag\" 2006 13 45 49.5 10.75 \"Traditional Cache\" \"Small\" "
                           "GCZZZZZ 1 2 2" +
                           eol;
                    break;
                case 4:
                    out +=
                        "abc \"Ohne Nummer\" 2005 06 07 49.5 10.75 \"Multi-cache\" \"Regular\" GCZZZZY 1 2 "
                        "2" +
                        eol;
                    break;
                case 5:
                    out += std::to_string(++junkId) +
                           " \"Ohne Koordinaten\" 2005 06 07 N49.5 E10.75 \"Multi-cache\" \"Regular\" "
                           "GCZZZZX 1 2 2" +
                           eol;
                    break;
                default:
                    out += "#" + std::string(700, 'x') + eol;
                    break;
            }
        }
        out += countryFileLine(world, i) + eol;
    }
    return out;
}

std::string zipSingleMember(std::string_view memberName, std::string_view data, TDateTime stamp) {
    const DateParts d = decodeDateTime(stamp);
    const unsigned dosTime = static_cast<unsigned>((d.hour << 11) | (d.minute << 5) | (d.second / 2));
    const unsigned dosDate = static_cast<unsigned>(((d.year - 1980) << 9) | (d.month << 5) | d.day);
    const std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    const std::string packed = deflateRaw(data);

    std::string out;
    putLe32(out, 0x04034B50);
    putLe16(out, 20);  // version needed
    putLe16(out, 0);   // flags
    putLe16(out, 8);   // deflated
    putLe16(out, dosTime);
    putLe16(out, dosDate);
    putLe32(out, crc);
    putLe32(out, static_cast<std::uint32_t>(packed.size()));
    putLe32(out, static_cast<std::uint32_t>(data.size()));
    putLe16(out, static_cast<unsigned>(memberName.size()));
    putLe16(out, 0);
    out += memberName;
    out += packed;

    const std::uint32_t centralOffset = static_cast<std::uint32_t>(out.size());
    putLe32(out, 0x02014B50);
    putLe16(out, 20);  // made by: DOS
    putLe16(out, 20);
    putLe16(out, 0);
    putLe16(out, 8);
    putLe16(out, dosTime);
    putLe16(out, dosDate);
    putLe32(out, crc);
    putLe32(out, static_cast<std::uint32_t>(packed.size()));
    putLe32(out, static_cast<std::uint32_t>(data.size()));
    putLe16(out, static_cast<unsigned>(memberName.size()));
    putLe16(out, 0);     // extra
    putLe16(out, 0);     // comment
    putLe16(out, 0);     // disk
    putLe16(out, 1);     // internal attributes: text
    putLe32(out, 0x20);  // external attributes: archive bit
    putLe32(out, 0);     // local header offset
    out += memberName;
    const std::uint32_t centralSize = static_cast<std::uint32_t>(out.size()) - centralOffset;

    putLe32(out, 0x06054B50);
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out, 1);
    putLe16(out, 1);
    putLe32(out, centralSize);
    putLe32(out, centralOffset);
    putLe16(out, 0);
    return out;
}

std::string archiveListText(const World& world) {
    std::string out;
    for (int i : world.archivedCaches()) {
        const DateParts d = decodeDateTime(world.archiveDate(i));
        out += std::to_string(d.year) + "-" + twoDigits(d.month) + "-" + twoDigits(d.day) + ";" +
               world.waypoint(i) + "\r\n";
    }
    return out;
}

std::string versionFileText(std::string_view versionText, std::string_view versionDate) {
    return std::string(versionText) + "\r\n" + std::string(versionDate) + "\r\n";
}

}  // namespace vellora::sim
