#include "core/IniFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <exception>

#include "core/FileUtil.h"
#include "core/NumberText.h"
#include "core/StrUnit.h"

namespace vellora {

namespace {

std::string_view trim(std::string_view t) {
    return trimControl(t);
}

std::string cleanValue(std::string_view raw) {
    std::string_view v = trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    if (v.size() > IniFile::kMaxValueLength) v = v.substr(0, IniFile::kMaxValueLength);
    return std::string(v);
}

}  // namespace

IniWriteError::IniWriteError(const std::string& fileName, int errorCode)
    : std::runtime_error("nach " + fileName + " kann nicht geschrieben werden"), errorCode_(errorCode) {}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

IniFile::~IniFile() {
    try {
        flush();
    } catch (const IniWriteError&) {
        // Nothing sensible to do while destroying; the operation that wrote has reported already.
    }
}

IniFile::Stamp IniFile::currentStamp() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) return Stamp{};
    return Stamp{static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                 static_cast<std::int64_t>(st.st_size), static_cast<std::uint64_t>(st.st_ino)};
}

void IniFile::refresh() {
    if (dirty_) return;  // our own pending writes are the newest state
    const Stamp now = currentStamp();
    if (loaded_ && now == stamp_) return;
    preamble_.clear();
    sections_.clear();
    if (auto text = readFile(path_)) parse(*text);
    rebuildIndex();
    stamp_ = now;
    loaded_ = true;
}

void IniFile::parse(std::string_view text) {
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string_view t = trim(line);
        if (!t.empty() && t.front() == '[') {
            const auto close = t.find(']');
            std::string_view name = close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1);
            sections_.push_back(Section{std::string(trim(name)), {}});
            current = &sections_.back();
            continue;
        }
        if (!current) {
            preamble_.emplace_back(line);
            continue;
        }
        const auto eq = line.find('=');
        const bool isKey = eq != std::string_view::npos && !t.empty() && t.front() != ';' &&
                           t.front() != '#' && !trim(line.substr(0, eq)).empty();
        Line l = isKey ? Line{std::string(trim(line.substr(0, eq))), std::string(line.substr(eq + 1))}
                       : Line{std::string(), std::string(line)};
        current->lines.push_back(std::move(l));
    }
}

void IniFile::rebuildIndex() {
    index_.clear();
    // The first of several equally named sections is the one read and written.
    for (std::size_t i = 0; i < sections_.size(); ++i) index_.emplace(sections_[i].name, i);
}

std::string IniFile::serialize() const {
    std::string out;
    for (const auto& l : preamble_) out += l + "\r\n";
    for (const auto& s : sections_) {
        out += "[" + s.name + "]\r\n";
        for (const auto& l : s.lines) {
            if (l.key.empty()) {
                out += l.value + "\r\n";
            } else {
                out += l.key + "=" + l.value + "\r\n";
            }
        }
    }
    return out;
}

void IniFile::changed() {
    dirty_ = true;
    if (batchDepth_ == 0) flush();
}

void IniFile::flush() {
    if (!dirty_) return;
    const int err = writeFileAtomic(path_, serialize());
    dirty_ = false;
    if (err != 0) {
        loaded_ = false;  // re-read what is really on disk next time
        throw IniWriteError(path_, err);
    }
    stamp_ = currentStamp();
}

IniFile::Section* IniFile::findSection(std::string_view name) {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section& IniFile::ensureSection(std::string_view name) {
    if (Section* s = findSection(name)) return *s;
    // A blank line before a new section keeps hand-edited files readable.
    if (!sections_.empty()) {
        auto& lines = sections_.back().lines;
        if (lines.empty() || !(lines.back().key.empty() && trim(lines.back().value).empty()))
            lines.push_back(Line{});
    } else if (!preamble_.empty() && !trim(preamble_.back()).empty()) {
        preamble_.push_back(std::string());
    }
    sections_.push_back(Section{std::string(name), {}});
    index_.emplace(sections_.back().name, sections_.size() - 1);
    return sections_.back();
}

IniFile::Line* IniFile::findLine(Section& s, std::string_view key) {
    for (auto& l : s.lines) {
        if (!l.key.empty() && equalsNoCase(l.key, key)) return &l;
    }
    return nullptr;
}

bool IniFile::sectionExists(std::string_view section) {
    refresh();
    return findSection(section) != nullptr;
}

bool IniFile::valueExists(std::string_view section, std::string_view key) {
    refresh();
    Section* s = findSection(section);
    return s && findLine(*s, key);
}

std::vector<std::string> IniFile::sectionNames() {
    refresh();
    std::vector<std::string> names;
    for (const auto& s : sections_) names.push_back(s.name);
    return names;
}

std::vector<std::string> IniFile::keyNames(std::string_view section) {
    refresh();
    std::vector<std::string> names;
    if (Section* s = findSection(section)) {
        for (const auto& l : s->lines) {
            if (!l.key.empty()) names.push_back(l.key);
        }
    }
    return names;
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view def) {
    refresh();
    Section* s = findSection(section);
    Line* l = s ? findLine(*s, key) : nullptr;
    return l ? cleanValue(l->value) : std::string(def);
}

std::vector<std::pair<std::string, std::string>> IniFile::readSection(std::string_view section) {
    refresh();
    std::vector<std::pair<std::string, std::string>> values;
    if (Section* s = findSection(section)) {
        for (const auto& l : s->lines) {
            if (!l.key.empty()) values.emplace_back(l.key, cleanValue(l.value));
        }
    }
    return values;
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key, std::int32_t def) {
    const std::string v = readString(section, key, "");
    if (v.empty()) return def;
    return parseInt32(v).value_or(def);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::readFloat(std::string_view section, std::string_view key, double def) {
    const std::string v = readString(section, key, "");
    if (v.empty()) return def;
    // No setting is infinite or not a number; such a value counts as missing.
    const auto value = parseDouble(v, '.');
    return value && std::isfinite(*value) ? *value : def;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    refresh();
    Section& s = ensureSection(section);
    if (Line* l = findLine(s, key)) {
        l->value = std::string(value);
    } else {
        // New keys go after the section's last key, before trailing blank lines.
        auto it = s.lines.end();
        while (it != s.lines.begin() && std::prev(it)->key.empty() && trim(std::prev(it)->value).empty())
            --it;
        s.lines.insert(it, Line{std::string(key), std::string(value)});
    }
    changed();
}

void IniFile::writeInteger(std::string_view section, std::string_view key, std::int64_t value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniFile::writeFloat(std::string_view section, std::string_view key, double value) {
    writeString(section, key, formatFloat15(value));
}

void IniFile::eraseSection(std::string_view section) {
    refresh();
    bool any = false;
    for (std::size_t i = sections_.size(); i-- > 0;) {
        if (equalsNoCase(sections_[i].name, section)) {
            sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(i));
            any = true;
        }
    }
    if (!any) return;
    rebuildIndex();
    changed();
}

void IniFile::replaceSection(std::string_view section,
                             std::vector<std::pair<std::string, std::string>> keyValues) {
    Batch batch(*this);
    eraseSection(section);
    if (keyValues.empty()) return;
    Section& s = ensureSection(section);
    s.lines.reserve(keyValues.size());
    for (auto& [key, value] : keyValues) s.lines.push_back(Line{std::move(key), std::move(value)});
    changed();
}

void IniFile::deleteKey(std::string_view section, std::string_view key) {
    refresh();
    Section* s = findSection(section);
    if (!s) return;
    const auto before = s->lines.size();
    std::erase_if(s->lines, [&](const Line& l) { return !l.key.empty() && equalsNoCase(l.key, key); });
    if (s->lines.size() != before) changed();
}

IniFile::Batch::Batch(IniFile& file) : file_(file) {
    ++file_.batchDepth_;
}

IniFile::Batch::~Batch() noexcept(false) {
    if (--file_.batchDepth_ == 0) {
        // While unwinding from another error, a second exception would terminate the program.
        if (std::uncaught_exceptions() > 0) {
            try {
                file_.flush();
            } catch (const IniWriteError&) {
            }
        } else {
            file_.flush();
        }
    }
}

}  // namespace vellora
