// A configuration file (vellora.conf, CacheDB.conf, Persinfo.txt): every section and key read,
// the notes of every section, and one value written back.
#include "FuzzHome.h"
#include "core/IniFile.h"
#include "core/PersInfo.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    const std::string path = home.put("fuzz.ini", fuzz::asText(data, size));
    IniFile ini(path);
    for (const std::string& section : ini.sectionNames()) {
        for (const std::string& key : ini.keyNames(section)) {
            ini.readString(section, key, "");
            ini.readInteger(section, key, 0);
            ini.readBool(section, key, false);
        }
        ini.readSection(section);
        ReadNote(ini, section);
    }
    ini.writeString("Fuzz", "Key", "Value");
    ini.flush();
    home.clean();
    return 0;
}
