#pragma once
// The list export: one list of caches (work list, own finds, the whole database or a directory
// list) written into one file in one of seven formats, each by its writer in formats/. Every
// format writes Windows-1252 text with CR LF line ends; the XML formats stay well-formed in the
// encoding they declare.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/DialogModel.h"
#include "core/OptionTable.h"
#include "formats/GpxWriter.h"
#include "formats/OverlayWriter.h"
#include "formats/OziWriter.h"
#include "formats/XmlTemplateWriter.h"

namespace vellora {

class RunContext;

enum ExportFormat {
    kFormatOverlay = 0,
    kFormatLoc = 1,
    kFormatCsv = 2,
    kFormatRealMaps = 3,
    kFormatOzi = 4,
    kFormatGpx = 5,
    kFormatXmlTemplate = 6,
};
inline constexpr int kFormatCount = 7;

enum ExportSource { kSourceWorkList = 0, kSourceFinds = 1, kSourceDatabase = 2 };

struct ExportFormatInfo {
    const char* caption;
    const char* extension;
    const char* filterName;
};
const ExportFormatInfo& exportFormatInfo(int format);

// The options of the export dialog (section "ListExport" of the working directory's vellora.conf).
struct ListExportOpts {
    std::int32_t ExpList = kSourceWorkList;
    std::int32_t Format = kFormatOverlay;
    bool CSVcbID = false, CSVcbName = true, CSVcbHiddendate = true, CSVcbCoord = true, CSVcbLatLon = true,
         CSVcbMerkatorCoord = false, CSVcbSize = true, CSVcbType = true, CSVcbWaypoint = true,
         CSVcbDifficulty = true, CSVcbTerrain = true, CSVcbCountry = true, CSVcbHomedist = true,
         CSVcbFounddate = true;
    bool CSVcbQuoteNums = false, CSVcbHeadline = true;
    std::int32_t CSVcbDecimalSeparator = 0;  // 0 comma, 1 point
    std::int32_t CSVcbHome = 0;              // 0 the primary home, n additional home n
    bool UTF8Names = false;                  // GPX and LOC
    bool GPXHomeExp = true;
    std::int32_t GPXWhichHomes = 1;  // 0 primary only, 1 all homes
    bool OVLcbLabel = true;
    std::int32_t OVLcbbColor = 2, OVLcbbSize = 2;
    std::int32_t PsionInfo = 0;  // 0 name, 1 waypoint, 2 both
    std::int32_t OziNumber = 0, OziDate = 0;
    std::string OziFontsize = "6", OziSymSize = "17";
    bool OziBold = false, OziSwap = false;
    std::array<std::string, 4> OziSym = {"1", "1", "1", "1"};
    std::int32_t XMLTemplate = 0;
};
inline constexpr const char* kListExportSection = "ListExport";
inline constexpr const char* kUtf8NamesCaption = "Namen in UTF-8 (f\xFCr aktuelle GPS-Ger\xE4te)";
const OptionTable<ListExportOpts>& listExportOptionTable();

// Everything one run needs besides the list.
struct ExportJob {
    ListExportOpts opts;
    std::string dirListFile;  // directory mode when not empty
    std::string gpxTemplate = defaultGpxWaypointTemplate();
    const XmlTemplate* xmlTemplate = nullptr;
    OziColours colours;
};

// Builds the export list from the job's source; read errors are reported and end the reading.
TCacheList buildExportList(RunContext& ctx, const ExportJob& job);
// The whole file content for a list.
std::string formatExport(RunContext& ctx, const ExportJob& job, const TCacheList& list);

struct ExportOutcome {
    int count = 0;  // entries of the export list
    int error = 0;  // errno of a failed create or write, else 0
};
// Steps 4 to 8 of a run: writes the file (through a temporary file, so a failed write leaves
// the previous file), reports errors and the count message.
ExportOutcome exportToFile(RunContext& ctx, const ExportJob& job, const std::string& fileName);
// The chosen file name with the format's extension when it has no "." at all.
std::string withExportExtension(const std::string& fileName, int format);

// The dialog "Export".
class ListExportModel : public DialogModel {
public:
    explicit ListExportModel(RunContext& ctx) : ctx_(ctx) {}

    // Directory mode: the list file written by the output directory browser; ends on close.
    void setDirListFile(std::string path) { dirListFile_ = std::move(path); }
    bool directoryMode() const { return !dirListFile_.empty(); }

    ListExportOpts& opts() { return opts_; }
    const ListExportOpts& opts() const { return opts_; }
    bool saveOptions() const { return saveOptions_; }
    void setSaveOptions(bool on) {
        saveOptions_ = on;
        changed();
    }
    std::string& gpxTemplate() { return gpxTemplate_; }
    OziColours& colours() { return colours_; }

    void setFormat(int format);
    void setSource(int source);
    // Enabling rules of the format pages.
    bool foundDateOffered() const { return !directoryMode() && opts_.ExpList == kSourceFinds; }
    bool homeChoiceOffered() const { return opts_.CSVcbHomedist; }
    bool overlayLabelOptionsOffered() const { return opts_.OVLcbLabel; }

    const std::vector<XmlTemplate>& templates() const { return templates_; }
    int chosenTemplate() const { return chosen_; }
    // Chooses a template (reading its file); false and a message when it cannot be read.
    bool chooseTemplate(int index);
    // Chooses by display name or file name (the command line).
    bool chooseTemplateByName(const std::string& name);

    // Picks a new colour for a group (0 to 3) through the host's colour chooser.
    void chooseOziColour(int group, bool background);

    // "Exportieren": asks for the file and writes it. True when the dialog closed.
    bool exportRun();
    // The same with a given file name (the command line and tests).
    bool exportTo(const std::string& fileName);
    const ExportOutcome& lastOutcome() const { return outcome_; }

protected:
    void onOpen() override;
    void onClose() override;

private:
    std::string confPath() const;
    std::string templatePath() const;
    bool checkTemplateChosen();

    RunContext& ctx_;
    ListExportOpts opts_;
    bool saveOptions_ = false;
    std::string gpxTemplate_ = defaultGpxWaypointTemplate();
    OziColours colours_;
    std::vector<XmlTemplate> templates_;
    int chosen_ = -1;
    std::string dirListFile_;
    ExportOutcome outcome_;
};

}  // namespace vellora
