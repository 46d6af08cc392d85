#include "formats/GpxReader.h"

#include <expat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "core/Cp1252.h"
#include "core/FileIO.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

constexpr char kNsSeparator = ' ';
constexpr std::size_t kChunk = 1 << 20;

bool startsWith(std::string_view text, std::string_view head) {
    return text.substr(0, head.size()) == head;
}

// GPX 1.0 and 1.1; files without a namespace are taken as GPX too.
bool isGpxNamespace(std::string_view uri) {
    return uri.empty() || startsWith(uri, "http://www.topografix.com/GPX/");
}

// Cache extension 1.0, 1.0.1 and later minor versions.
bool isCacheNamespace(std::string_view uri) {
    return startsWith(uri, "http://www.groundspeak.com/cache/");
}

// Every element named "name" (any case, without a prefix) anywhere in the file: its character
// content in pieces, one per stretch between two tags. Names come as triplets here.
class NameScan {
public:
    explicit NameScan(const std::function<void(std::string_view)>& onName) : onName_(onName) {}
    void start(const XML_Char* name) {
        flush();
        if (isPlainName(name)) ++depth_;
    }
    void end(const XML_Char* name) {
        flush();
        if (isPlainName(name) && depth_ > 0) --depth_;
    }
    void text(const XML_Char* s, int len) {
        if (depth_ > 0) piece_.append(s, static_cast<std::size_t>(len));
    }

private:
    // "uri local prefix", "uri local" or "local": a prefixed name never counts.
    static bool isPlainName(std::string_view n) {
        const auto first = n.find(kNsSeparator);
        if (first == std::string_view::npos) return equalsNoCase(n, "name");
        const std::string_view rest = n.substr(first + 1);
        return rest.find(kNsSeparator) == std::string_view::npos && equalsNoCase(rest, "name");
    }
    void flush() {
        if (depth_ > 0 && !piece_.empty()) onName_(piece_);
        piece_.clear();
    }

    const std::function<void(std::string_view)>& onName_;
    int depth_ = 0;
    std::string piece_;
};

// What expat reports at the end of a document that stops early.
bool cutOff(XML_Error code) {
    return code == XML_ERROR_NO_ELEMENTS || code == XML_ERROR_UNCLOSED_TOKEN ||
           code == XML_ERROR_PARTIAL_CHAR || code == XML_ERROR_UNCLOSED_CDATA_SECTION;
}

class Parser {
public:
    Parser(const std::function<bool(const GpxWaypoint&)>& onWaypoint, XmlRepair& repair)
        : Parser(onWaypoint, &repair, nullptr) {}
    // Reads only the name elements (see NameScan), from the file as it is: a work-list file is
    // read or refused, not mended.
    Parser(const std::function<bool(const GpxWaypoint&)>& onWaypoint, NameScan& names)
        : Parser(onWaypoint, nullptr, &names) {
        XML_SetReturnNSTriplet(parser_, XML_TRUE);
    }
    ~Parser() { XML_ParserFree(parser_); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Repairs and feeds one piece of the file; false when parsing ended with an error or a stop.
    // A piece read into buffer() that the repair leaves as it is is parsed where it lies.
    bool feed(std::string_view piece, bool last, GpxReadResult& result) {
        const std::string_view data = repair_ ? repair_->feed(piece, last) : piece;
        const XML_Bool final = last ? XML_TRUE : XML_FALSE;
        const bool inPlace = piece.data() == buffer_ && data.data() == buffer_;
        const bool fine = (inPlace ? XML_ParseBuffer(parser_, static_cast<int>(data.size()), final)
                                   : XML_Parse(parser_, data.data(), static_cast<int>(data.size()), final)) ==
                          XML_STATUS_OK;
        buffer_ = nullptr;
        if (!fine) fail(last, result);
        if (repair_ && (!fine || last)) {
            result.repairs = repair_->repairs();
            result.repairsDescribed = repair_->described();
            result.encoding = repair_->encoding();
        }
        return fine;
    }

    // Room for the next piece inside the parser; nullptr when there is no memory for it.
    char* buffer(std::size_t size) {
        buffer_ = static_cast<char*>(XML_GetBuffer(parser_, static_cast<int>(size)));
        return buffer_;
    }

private:
    Parser(const std::function<bool(const GpxWaypoint&)>& onWaypoint, XmlRepair* repair, NameScan* names)
        : onWaypoint_(onWaypoint), repair_(repair), names_(names) {
        parser_ = XML_ParserCreateNS(nullptr, kNsSeparator);
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &Parser::startThunk, &Parser::endThunk);
        XML_SetCharacterDataHandler(parser_, &Parser::textThunk);
        XML_SetUnknownEncodingHandler(parser_, &Parser::encodingThunk, nullptr);
    }

    // A position in what the parser saw as a position in the file.
    std::uint64_t fileOffset(XML_Index parsed) const {
        const auto offset = static_cast<std::uint64_t>(parsed);
        return repair_ ? repair_->inputOffset(offset) : offset;
    }

    void fail(bool last, GpxReadResult& result) {
        const XML_Error code = XML_GetErrorCode(parser_);
        if (code == XML_ERROR_ABORTED) {
            result.stopped = true;
            return;
        }
        // Only a GPX file that is cut off: the waypoints before the cut are whole.
        result.truncated = repair_ && last && gpxRoot_ && cutOff(code);
        result.ok = result.truncated;
        if (result.truncated && wptDepth_ >= 0) {
            result.lostWaypoint = true;
            result.lostName = wpt_.name;
        }
        result.errorLine = XML_GetCurrentLineNumber(parser_);
        result.errorMessage = XML_ErrorString(code);
        result.errorText = "Zeile " + std::to_string(XML_GetCurrentLineNumber(parser_)) + ", Spalte " +
                           std::to_string(XML_GetCurrentColumnNumber(parser_) + 1) + ": " +
                           XML_ErrorString(XML_GetErrorCode(parser_));
    }

    static void startThunk(void* self, const XML_Char* name, const XML_Char** atts) {
        auto* p = static_cast<Parser*>(self);
        if (p->names_) return p->names_->start(name);
        p->start(name, atts);
    }
    static void endThunk(void* self, const XML_Char* name) {
        auto* p = static_cast<Parser*>(self);
        if (p->names_) return p->names_->end(name);
        p->end();
    }
    static void textThunk(void* self, const XML_Char* s, int len) {
        auto* p = static_cast<Parser*>(self);
        if (p->names_) p->names_->text(s, len);
        if (p->capture_) p->capture_->append(s, static_cast<std::size_t>(len));
    }

    // Windows-1252 files, which expat does not know by itself.
    static int encodingThunk(void*, const XML_Char* name, XML_Encoding* info) {
        const std::string upper = upperCase(name);
        if (upper != "WINDOWS-1252" && upper != "CP1252") return XML_STATUS_ERROR;
        for (int b = 0; b < 256; ++b) {
            const std::string u = utf8FromCp1252(std::string(1, static_cast<char>(b)));
            const auto* p = reinterpret_cast<const unsigned char*>(u.data());
            int cp = p[0];
            if (u.size() == 2) cp = ((p[0] & 0x1F) << 6) | (p[1] & 0x3F);
            if (u.size() == 3) cp = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
            info->map[b] = cp;
        }
        info->data = nullptr;
        info->convert = nullptr;
        info->release = nullptr;
        return XML_STATUS_OK;
    }

    static std::pair<std::string_view, std::string_view> split(const XML_Char* name) {
        const std::string_view n(name);
        const std::size_t sep = n.rfind(kNsSeparator);
        if (sep == std::string_view::npos) return {std::string_view(), n};
        return {n.substr(0, sep), n.substr(sep + 1)};
    }

    static const XML_Char* attribute(const XML_Char** atts, std::string_view key) {
        for (; atts && *atts; atts += 2) {
            if (key == atts[0]) return atts[1];
        }
        return nullptr;
    }

    // Starts collecting the text of a field unless it was read before (the first one counts).
    void take(std::string& field, bool& seen) {
        if (seen) return;
        seen = true;
        field.clear();
        capture_ = &field;
        captureDepth_ = depth_;
    }

    void start(const XML_Char* name, const XML_Char** atts) {
        ++depth_;
        const auto [uri, local] = split(name);
        if (depth_ == 1) gpxRoot_ = local == "gpx";
        if (wptDepth_ < 0) {
            if (local == "wpt" && isGpxNamespace(uri)) {
                wpt_ = GpxWaypoint();
                wptDepth_ = depth_;
                wpt_.begin = fileOffset(XML_GetCurrentByteIndex(parser_));
                if (const XML_Char* v = attribute(atts, "lat")) wpt_.latText = v;
                if (const XML_Char* v = attribute(atts, "lon")) wpt_.lonText = v;
            }
            return;
        }
        if (capture_) return;
        if (cacheDepth_ >= 0) {
            if (depth_ != cacheDepth_ + 1 || !isCacheNamespace(uri)) return;
            if (local == "name")
                take(wpt_.cacheName, seenCacheName_);
            else if (local == "placed_by")
                take(wpt_.placedBy, wpt_.hasPlacedBy);
            else if (local == "type")
                take(wpt_.type, seenType_);
            else if (local == "container")
                take(wpt_.container, seenContainer_);
            else if (local == "difficulty")
                take(wpt_.difficulty, wpt_.hasDifficulty);
            else if (local == "terrain")
                take(wpt_.terrain, wpt_.hasTerrain);
            else if (local == "country")
                take(wpt_.country, seenCountry_);
            return;
        }
        if (isCacheNamespace(uri) && local == "cache" && !wpt_.hasCache) {
            wpt_.hasCache = true;
            cacheDepth_ = depth_;
            seenCacheName_ = seenType_ = seenContainer_ = seenCountry_ = false;
            if (const XML_Char* v = attribute(atts, "id")) {
                wpt_.hasCacheId = true;
                wpt_.cacheId = v;
            }
            return;
        }
        if (!isGpxNamespace(uri)) return;
        if (depth_ == wptDepth_ + 1) {
            if (local == "name")
                take(wpt_.name, wpt_.hasName);
            else if (local == "time")
                take(wpt_.time, seenTime_);
            else if (local == "urlname")
                take(wpt_.urlname, wpt_.hasUrlname);
            else if (local == "desc")
                take(wpt_.desc, seenDesc_);
            else if (local == "cmt")
                take(wpt_.cmt, seenCmt_);
            else if (local == "type")
                take(wpt_.gpxType, seenGpxType_);
            else if (local == "link" && linkDepth_ < 0 && !seenLinkText_)
                linkDepth_ = depth_;
        } else if (linkDepth_ >= 0 && depth_ == linkDepth_ + 1 && local == "text") {
            take(wpt_.linkText, seenLinkText_);
        }
    }

    void end() {
        if (capture_ && depth_ == captureDepth_) capture_ = nullptr;
        if (depth_ == cacheDepth_) cacheDepth_ = -1;
        if (depth_ == linkDepth_) linkDepth_ = -1;
        if (depth_ == wptDepth_) {
            wpt_.end = fileOffset(XML_GetCurrentByteIndex(parser_) + XML_GetCurrentByteCount(parser_));
            wptDepth_ = -1;
            seenTime_ = seenLinkText_ = seenDesc_ = seenCmt_ = seenGpxType_ = false;
            // An empty owner names nobody: the cache name gets no " by ".
            if (wpt_.placedBy.empty()) wpt_.hasPlacedBy = false;
            if (!onWaypoint_(wpt_)) XML_StopParser(parser_, XML_FALSE);
        }
        --depth_;
    }

    const std::function<bool(const GpxWaypoint&)>& onWaypoint_;
    XmlRepair* repair_;  // none when the file is read as it is
    NameScan* names_;
    XML_Parser parser_;
    char* buffer_ = nullptr;
    GpxWaypoint wpt_;
    int depth_ = 0, wptDepth_ = -1, cacheDepth_ = -1, linkDepth_ = -1, captureDepth_ = -1;
    std::string* capture_ = nullptr;
    bool seenTime_ = false, seenLinkText_ = false, seenCacheName_ = false, seenType_ = false,
         seenContainer_ = false, seenCountry_ = false, seenDesc_ = false, seenCmt_ = false,
         seenGpxType_ = false, gpxRoot_ = false;
};

// Feeds the file to the parser piece by piece.
void readFileInto(const std::string& path, Parser& parser, GpxReadResult& result) {
    int err = 0;
    UniqueFd fd = openFile(path, O_RDONLY, 0, &err);
    if (!fd) {
        result.ok = false;
        result.errorCode = err;
        return;
    }
    for (;;) {
        char* buf = parser.buffer(kChunk);
        if (!buf) {
            result.ok = false;
            result.errorCode = ENOMEM;
            return;
        }
        std::size_t got = 0;
        if (const int rc = readFully(fd.get(), buf, kChunk, got); rc != 0) {
            result.ok = false;
            result.errorCode = rc;
            return;
        }
        result.bytesRead += got;
        const bool last = got < kChunk;
        if (!parser.feed(std::string_view(buf, got), last, result) || last) return;
    }
}

}  // namespace

GpxReadResult readGpxFile(const std::string& path,
                          const std::function<bool(const GpxWaypoint&)>& onWaypoint) {
    GpxReadResult result;
    XmlRepair repair;
    Parser parser(onWaypoint, repair);
    readFileInto(path, parser, result);
    return result;
}

GpxReadResult readGpxNames(const std::string& path, const std::function<void(std::string_view)>& onName) {
    GpxReadResult result;
    const std::function<bool(const GpxWaypoint&)> noWaypoints = [](const GpxWaypoint&) { return true; };
    NameScan names(onName);
    Parser parser(noWaypoints, names);
    readFileInto(path, parser, result);
    return result;
}

GpxReadResult readGpxText(const std::string& text,
                          const std::function<bool(const GpxWaypoint&)>& onWaypoint) {
    GpxReadResult result;
    XmlRepair repair;
    Parser parser(onWaypoint, repair);
    result.bytesRead = text.size();
    parser.feed(text, true, result);
    return result;
}

std::string readGpxElement(int fd, std::uint64_t begin, std::uint64_t end, XmlRepair::Encoding encoding) {
    if (end <= begin) return {};
    std::string bytes(static_cast<std::size_t>(end - begin), '\0');
    std::size_t got = 0;
    if (preadFully(fd, bytes.data(), bytes.size(), begin, got) != 0) return {};
    bytes.resize(got);
    XmlRepair repair(encoding);
    return std::string(repair.feed(bytes, true));
}

}  // namespace vellora
