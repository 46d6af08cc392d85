#pragma once
// Declarative option tables: one row per configuration key names the key once, the record
// member it fills, the kind of value and its limits. The same table drives loading and saving,
// so a key can never be read under one name and written under another.
//
//   const OptionTable<CrDescOpts> kCrDescTable = {
//       boolOption("CrDescKeepOld", &CrDescOpts::KeepOld),
//       intOption("CrDescResize", &CrDescOpts::Resize, 0, 2),
//   };
//   loadOptions(conf, "Programm", kCrDescTable, opts);   // missing keys keep the member's value
//   saveOptions(conf, "Programm", kCrDescTable, opts);
//
// A row's default is the member's current value, so a record's initialisers are the defaults.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/IniFile.h"

namespace vellora {

template <class Record>
struct OptionRow {
    const char* key;
    // Reads the key into the record (keeping the member when the key is absent or out of range).
    std::function<void(IniFile&, const char* section, const char* key, Record&)> load;
    std::function<void(IniFile&, const char* section, const char* key, const Record&)> save;
};

template <class Record>
using OptionTable = std::vector<OptionRow<Record>>;

template <class Record>
OptionRow<Record> boolOption(const char* key, bool Record::*member) {
    return {key,
            [member](IniFile& f, const char* s, const char* k, Record& r) {
                r.*member = f.readBool(s, k, r.*member);
            },
            [member](IniFile& f, const char* s, const char* k, const Record& r) {
                f.writeBool(s, k, r.*member);
            }};
}

// A switch that reads as `absent` when its key is missing, whatever the member held before.
template <class Record>
OptionRow<Record> boolOption(const char* key, bool Record::*member, bool absent) {
    return {key,
            [member, absent](IniFile& f, const char* s, const char* k, Record& r) {
                r.*member = f.readBool(s, k, absent);
            },
            [member](IniFile& f, const char* s, const char* k, const Record& r) {
                f.writeBool(s, k, r.*member);
            }};
}

// Integers; a stored value outside [lo, hi] keeps the member's value.
template <class Record, class Int>
OptionRow<Record> intOption(const char* key, Int Record::*member, std::int64_t lo = INT32_MIN,
                            std::int64_t hi = INT32_MAX) {
    return {key,
            [member, lo, hi](IniFile& f, const char* s, const char* k, Record& r) {
                const std::int64_t v = f.readInteger(s, k, static_cast<std::int32_t>(r.*member));
                if (v >= lo && v <= hi) r.*member = static_cast<Int>(v);
            },
            [member](IniFile& f, const char* s, const char* k, const Record& r) {
                f.writeInteger(s, k, static_cast<std::int64_t>(r.*member));
            }};
}

template <class Record>
OptionRow<Record> stringOption(const char* key, std::string Record::*member) {
    return {key,
            [member](IniFile& f, const char* s, const char* k, Record& r) {
                r.*member = f.readString(s, k, r.*member);
            },
            [member](IniFile& f, const char* s, const char* k, const Record& r) {
                f.writeString(s, k, r.*member);
            }};
}

template <class Record>
OptionRow<Record> floatOption(const char* key, double Record::*member) {
    return {key,
            [member](IniFile& f, const char* s, const char* k, Record& r) {
                r.*member = f.readFloat(s, k, r.*member);
            },
            [member](IniFile& f, const char* s, const char* k, const Record& r) {
                f.writeFloat(s, k, r.*member);
            }};
}

// A row with its own conversion, for values stored in a form of their own (dates, lists, codes).
template <class Record>
OptionRow<Record> customOption(const char* key,
                               std::function<void(IniFile&, const char*, const char*, Record&)> load,
                               std::function<void(IniFile&, const char*, const char*, const Record&)> save) {
    return {key, std::move(load), std::move(save)};
}

template <class Record>
void loadOptions(IniFile& file, const char* section, const OptionTable<Record>& table, Record& record) {
    for (const OptionRow<Record>& row : table) row.load(file, section, row.key, record);
}

// All keys of the table in one file write.
template <class Record>
void saveOptions(IniFile& file, const char* section, const OptionTable<Record>& table, const Record& record) {
    IniFile::Batch batch(file);
    for (const OptionRow<Record>& row : table) row.save(file, section, row.key, record);
}

// A dialog's "save these options" switch: the switch itself is always stored, the options behind
// it only while it is on, and they are read only when the stored switch is on.
template <class Record>
struct SwitchedOptions {
    OptionRow<Record> saveSwitch;
    bool Record::*isOn;
    OptionTable<Record> options;
};

template <class Record>
void loadOptions(IniFile& file, const char* section, const SwitchedOptions<Record>& table, Record& record) {
    table.saveSwitch.load(file, section, table.saveSwitch.key, record);
    if (record.*table.isOn) loadOptions(file, section, table.options, record);
}

template <class Record>
void saveOptions(IniFile& file, const char* section, const SwitchedOptions<Record>& table,
                 const Record& record) {
    IniFile::Batch batch(file);
    table.saveSwitch.save(file, section, table.saveSwitch.key, record);
    if (record.*table.isOn) saveOptions(file, section, table.options, record);
}

}  // namespace vellora
