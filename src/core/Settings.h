#pragma once
// The settings record, loaded from and saved to the section "Program" of the program's vellora.conf.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vellora {

class RunContext;

struct TProcSettings {
    std::string WorkDir, OutDir, OfflineCacheDir, CacheDBUrl, ArchiveUrl, Template;
    std::int32_t DBAutoloadInterval = 0;
    bool UseProxy = false;
    std::string ProxyServer;
    double HomeLat = 0, HomeLong = 0, Radius = 0;
    std::int32_t HTMLMaxWidth = 0;
    // Three parallel lists, one entry per additional home: 5-decimal texts and the unique name.
    std::vector<std::string> AddHomeLat, AddHomeLon, AddHomeTxt;
    std::array<std::int32_t, 50> UseCacheDB{};  // element n-1 for country entry n
    std::int32_t CacheDBCount = 0;
    std::int32_t CacheDBPrimary = 0;
    bool ShowMessages = false, ShowTooltips = false;
    bool SettingsConfirmed = false;  // not stored
    bool UseZippedDB = true;
    std::string Username, UpdateURL;
    std::int32_t LXM = 0;
    std::string GPX_XMLInit, GPX_GPXInit;
    std::int32_t Main_ColumnToSort = 0, Main_SortDir = 0, Main_Left = 0, Main_Top = 0, Main_Width = 0,
                 Main_Height = 0;
    bool Main_MemWinSize = false, Main_MemColSize = false;
    std::int32_t Main_Col1Width = 0, Main_Col2Width = 0, Main_Col3Width = 0;
    // What one archive extraction may write at most, in MiB (besides 100 times the archive's size).
    std::int32_t UnzipMaxTotalMB = 8192;
    // Seconds a transfer may take at most for each MiB of its size limit (and at least a minute).
    std::int32_t TransferSecondsPerMB = 60;
    // A transfer slower than TransferMinBytesPerSecond over TransferMinRateSeconds ends (a server
    // that trickles an answer without a length would otherwise hold it for hours).
    std::int32_t TransferMinBytesPerSecond = 1024;
    std::int32_t TransferMinRateSeconds = 30;
    // What the map tile cache in the home may hold, in MiB; the oldest tiles go first.
    std::int32_t MapTileCacheMB = 64;
};

inline constexpr const char* kProgramSection = "Program";
inline constexpr const char* kDefaultGpxXmlInit = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
inline constexpr const char* kDefaultGpxGpxInit =
    "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" creator=\"Vellora\" version=\"1.1\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">";

// Latitude or longitude as an additional home keeps it: 8 significant digits, 5 decimals, ".".
std::string formatHomeCoordinate(double value);

// How a run starts the configuration: a query (a command that only reads) writes nothing.
enum class ConfigStart { Run, Query };

// Start-up of the configuration: country table, program file, "LatestStart", the first-start keys.
void startConfiguration(RunContext& ctx, ConfigStart mode = ConfigStart::Run);

// Fills ctx.settings from the section "Program" with the load defaults, and the run's transfer
// limits (ctx.httpLimits) from the settings' transfer keys.
void loadSettings(RunContext& ctx, int listClientWidth);
// Writes the record back (every key but "LatestStart"); deletes no keys.
void saveSettings(RunContext& ctx);

}  // namespace vellora
