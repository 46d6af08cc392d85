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

class Parser {
public:
    explicit Parser(const std::function<bool(const GpxWaypoint&)>& onWaypoint) : onWaypoint_(onWaypoint) {
        parser_ = XML_ParserCreateNS(nullptr, kNsSeparator);
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &Parser::startThunk, &Parser::endThunk);
        XML_SetCharacterDataHandler(parser_, &Parser::textThunk);
        XML_SetUnknownEncodingHandler(parser_, &Parser::encodingThunk, nullptr);
    }
    // Reads only the name elements (see NameScan).
    Parser(const std::function<bool(const GpxWaypoint&)>& onWaypoint, NameScan& names) : Parser(onWaypoint) {
        names_ = &names;
        XML_SetReturnNSTriplet(parser_, XML_TRUE);
    }
    ~Parser() { XML_ParserFree(parser_); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Feeds one piece; false when parsing ended with an error or a stop.
    bool feed(const char* data, std::size_t size, bool last, GpxReadResult& result) {
        if (XML_Parse(parser_, data, static_cast<int>(size), last ? XML_TRUE : XML_FALSE) == XML_STATUS_OK)
            return true;
        fail(result);
        return false;
    }
    bool feedBuffer(std::size_t size, bool last, GpxReadResult& result) {
        if (XML_ParseBuffer(parser_, static_cast<int>(size), last ? XML_TRUE : XML_FALSE) == XML_STATUS_OK)
            return true;
        fail(result);
        return false;
    }
    void* buffer(std::size_t size) { return XML_GetBuffer(parser_, static_cast<int>(size)); }

private:
    void fail(GpxReadResult& result) {
        if (XML_GetErrorCode(parser_) == XML_ERROR_ABORTED) {
            result.stopped = true;
            return;
        }
        result.ok = false;
        result.errorLine = XML_GetCurrentLineNumber(parser_);
        result.errorMessage = XML_ErrorString(XML_GetErrorCode(parser_));
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
        if (wptDepth_ < 0) {
            if (local == "wpt" && isGpxNamespace(uri)) {
                wpt_ = GpxWaypoint();
                wptDepth_ = depth_;
                wpt_.begin = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser_));
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
            wpt_.end = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser_) +
                                                  XML_GetCurrentByteCount(parser_));
            wptDepth_ = -1;
            seenTime_ = seenLinkText_ = false;
            // An empty owner names nobody: the cache name gets no " by ".
            if (wpt_.placedBy.empty()) wpt_.hasPlacedBy = false;
            if (!onWaypoint_(wpt_)) XML_StopParser(parser_, XML_FALSE);
        }
        --depth_;
    }

    const std::function<bool(const GpxWaypoint&)>& onWaypoint_;
    XML_Parser parser_;
    GpxWaypoint wpt_;
    int depth_ = 0, wptDepth_ = -1, cacheDepth_ = -1, linkDepth_ = -1, captureDepth_ = -1;
    std::string* capture_ = nullptr;
    NameScan* names_ = nullptr;
    bool seenTime_ = false, seenLinkText_ = false, seenCacheName_ = false, seenType_ = false,
         seenContainer_ = false, seenCountry_ = false;
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
        void* buf = parser.buffer(kChunk);
        if (!buf) {
            result.ok = false;
            result.errorCode = ENOMEM;
            return;
        }
        std::size_t got = 0;
        if (const int rc = readFully(fd.get(), static_cast<char*>(buf), kChunk, got); rc != 0) {
            result.ok = false;
            result.errorCode = rc;
            return;
        }
        result.bytesRead += got;
        const bool last = got < kChunk;
        if (!parser.feedBuffer(got, last, result) || last) return;
    }
}

}  // namespace

GpxReadResult readGpxFile(const std::string& path,
                          const std::function<bool(const GpxWaypoint&)>& onWaypoint) {
    GpxReadResult result;
    Parser parser(onWaypoint);
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
    Parser parser(onWaypoint);
    result.bytesRead = text.size();
    parser.feed(text.data(), text.size(), true, result);
    return result;
}

}  // namespace vellora
