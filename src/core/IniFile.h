#pragma once
// INI files as the whole program uses them: case-insensitive sections and keys, trimmed values,
// matching quotes stripped, values up to 2047 characters, every write goes to disk at once.
// Two objects on the same file see each other's writes: each access notices a changed file.
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/UpperCase.h"

namespace vellora {

// A failed write ends the running operation with the generic text "nach FILE kann nicht geschrieben werden".
class IniWriteError : public std::runtime_error {
public:
    IniWriteError(const std::string& fileName, int errorCode);
    int errorCode() const { return errorCode_; }

private:
    int errorCode_;
};

class IniFile {
public:
    static constexpr std::size_t kMaxValueLength = 2047;

    explicit IniFile(std::string path);
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;
    ~IniFile();

    const std::string& fileName() const { return path_; }

    bool sectionExists(std::string_view section);
    bool valueExists(std::string_view section, std::string_view key);
    std::vector<std::string> sectionNames();
    std::vector<std::string> keyNames(std::string_view section);

    std::string readString(std::string_view section, std::string_view key, std::string_view def);
    // Every key of the section with its value as readString gives it, in file order: one pass for
    // callers that would otherwise read a long section key after key.
    std::vector<std::pair<std::string, std::string>> readSection(std::string_view section);
    std::int32_t readInteger(std::string_view section, std::string_view key, std::int32_t def);
    bool readBool(std::string_view section, std::string_view key, bool def);
    double readFloat(std::string_view section, std::string_view key, double def);

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int64_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    void writeFloat(std::string_view section, std::string_view key, double value);

    void eraseSection(std::string_view section);
    // The section erased and written anew with these distinct keys in this order: the same file as
    // eraseSection followed by writeString for each key, without searching the section per key
    // (no keys: the section is only erased).
    void replaceSection(std::string_view section, std::vector<std::pair<std::string, std::string>> keyValues);
    void deleteKey(std::string_view section, std::string_view key);

    // Writes pending changes; a no-op when nothing is pending.
    void flush();

    // While a batch is alive, writes of this object are collected and reach the disk when the
    // outermost batch ends: one operation's many keys cost one file write.
    class Batch {
    public:
        explicit Batch(IniFile& file);
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        ~Batch() noexcept(false);

    private:
        IniFile& file_;
    };

private:
    struct Line {
        std::string key;    // empty for a line that is not Key=Value
        std::string value;  // the value, or the whole raw line
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };
    struct Stamp {
        std::int64_t mtimeNs = -1, size = -1;
        std::uint64_t inode = 0;
        bool operator==(const Stamp&) const = default;
    };

    void refresh();
    void parse(std::string_view text);
    std::string serialize() const;
    void changed();
    Section* findSection(std::string_view name);
    Section& ensureSection(std::string_view name);
    static Line* findLine(Section& s, std::string_view key);
    void rebuildIndex();
    Stamp currentStamp() const;

    std::string path_;
    std::vector<std::string> preamble_;
    std::vector<Section> sections_;
    std::map<std::string, std::size_t, LessNoCase> index_;
    Stamp stamp_;
    bool loaded_ = false;
    bool dirty_ = false;
    int batchDepth_ = 0;
};

}  // namespace vellora
