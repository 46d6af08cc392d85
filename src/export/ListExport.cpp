#include "export/ListExport.h"

#include <cerrno>
#include <cmath>

#include "core/DateUtil.h"
#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/IniFile.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "formats/CsvWriter.h"
#include "formats/LocWriter.h"
#include "formats/RealMapsWriter.h"

namespace vellora {

namespace {

constexpr ExportFormatInfo kFormats[kFormatCount] = {
    {"Overlaydatei (*.ovl) f\xFCr Top50", "ovl", "Top50 Overlaydateien (*.ovl)"},
    {"Waypointdatei (*.loc) f\xFCr EasyGPS", "loc", "Waypointdatei f\xFCr EasyGPS (*.loc)"},
    {"CSV-Export (*.csv) f\xFCr OpenOffice / Excel", "csv", "CSV-Dateien f\xFCr Tabellenkalkulation (*.csv)"},
    {"Psion-Realmaps (*.txt)", "txt", "RealMaps-Serie3-Overlay (*.txt)"},
    {"OziExplorer (*.wpt)", "wpt", "OziExplorer (*.wpt)"},
    {"GPX-Format (*.gpx)", "gpx", "GPX-Dateien (*.gpx)"},
    {"XML-Format per Template", "xml", "XML-Dateien (*.xml)"},
};

// --- sources ---

void readWaypointListInto(RunContext& ctx, const std::string& path, TCacheList& list) {
    int err = 0;
    const auto lines = readListFile(path, &err);
    if (err != 0 && err != ENOENT) showErrorCode(ctx.host(), err, "Fehler beim Lesen der Datei " + path);
    TCacheRec rec;
    for (const auto& line : lines) {
        if (line.empty()) continue;
        if (FindCache(ctx, line, rec)) {
            const int pos = list.add(rec);
            (void)pos;
        }
    }
}

void readFindsInto(RunContext& ctx, TCacheList& list) {
    const std::string path = ctx.workDirPath() + "Finds.bin";
    std::vector<TFoundRec> finds;
    const int err = readFoundRecords(path, finds);
    if (err != 0 && err != ENOENT) showErrorCode(ctx.host(), err, "Fehler beim Lesen der Datei " + path);
    for (const auto& f : finds) {
        TCacheRec rec;
        rec.Lat = f.Lat;
        rec.Lon = f.Lon;
        rec.Waypoint = f.Waypoint;
        rec.CacheName = f.CacheName;
        rec.CacheType = f.CacheType;
        rec.setFoundDate(parseDate(f.FoundDate).value_or(encodeDate(1900, 1, 1)));
        list.add(std::move(rec));
    }
}

// --- the writers, by format ---

void overlay(const RunContext& ctx, const ExportJob& job, const TCacheList& list, TextOut& out) {
    writeOverlay(ctx, {job.opts.OVLcbLabel, job.opts.OVLcbbColor, job.opts.OVLcbbSize}, list, out);
}

void loc(const RunContext& ctx, const ExportJob& job, const TCacheList& list, TextOut& out) {
    writeLoc(ctx, job.opts.UTF8Names, list, out);
}

void csv(const RunContext& ctx, const ExportJob& job, const TCacheList& list, TextOut& out) {
    const ListExportOpts& o = job.opts;
    CsvColumns c;
    c.CSVcbID = o.CSVcbID;
    c.CSVcbName = o.CSVcbName;
    c.CSVcbHiddendate = o.CSVcbHiddendate;
    c.CSVcbCoord = o.CSVcbCoord;
    c.CSVcbLatLon = o.CSVcbLatLon;
    c.CSVcbMerkatorCoord = o.CSVcbMerkatorCoord;
    c.CSVcbSize = o.CSVcbSize;
    c.CSVcbType = o.CSVcbType;
    c.CSVcbWaypoint = o.CSVcbWaypoint;
    c.CSVcbDifficulty = o.CSVcbDifficulty;
    c.CSVcbTerrain = o.CSVcbTerrain;
    c.CSVcbCountry = o.CSVcbCountry;
    c.CSVcbHomedist = o.CSVcbHomedist;
    // Only the own finds carry found dates.
    c.CSVcbFounddate = o.CSVcbFounddate && job.dirListFile.empty() && o.ExpList == kSourceFinds;
    c.CSVcbQuoteNums = o.CSVcbQuoteNums;
    c.CSVcbHeadline = o.CSVcbHeadline;
    c.CSVcbDecimalSeparator = o.CSVcbDecimalSeparator;
    c.CSVcbHome = o.CSVcbHome;
    writeCsv(ctx, c, list, out);
}

void realMaps(const RunContext&, const ExportJob& job, const TCacheList& list, TextOut& out) {
    writeRealMaps(job.opts.PsionInfo, list, out);
}

void ozi(const RunContext& ctx, const ExportJob& job, const TCacheList& list, TextOut& out) {
    const ListExportOpts& o = job.opts;
    writeOzi(
        ctx,
        {o.OziNumber, o.OziDate, o.OziFontsize, o.OziSymSize, o.OziBold, o.OziSwap, o.OziSym, job.colours},
        list, out);
}

void gpx(const RunContext& ctx, const ExportJob& job, const TCacheList& list, TextOut& out) {
    writeGpx(ctx, {job.opts.GPXHomeExp, job.opts.GPXWhichHomes == 1, job.gpxTemplate, job.opts.UTF8Names},
             list, out);
}

void xmlTemplate(const RunContext& ctx, const ExportJob& job, const TCacheList& list, TextOut& out) {
    if (job.xmlTemplate) writeXmlTemplate(ctx, *job.xmlTemplate, list, out);
}

using Writer = void (*)(const RunContext&, const ExportJob&, const TCacheList&, TextOut&);
// In the order of the format numbers.
constexpr Writer kWriters[kFormatCount] = {overlay, loc, csv, realMaps, ozi, gpx, xmlTemplate};

}  // namespace

const ExportFormatInfo& exportFormatInfo(int format) {
    return kFormats[format >= 0 && format < kFormatCount ? format : 0];
}

const OptionTable<ListExportOpts>& listExportOptionTable() {
    using O = ListExportOpts;
    static const OptionTable<O> table = [] {
        OptionTable<O> t = {
            intOption("ExpList", &O::ExpList, 0, 2),
            intOption("Format", &O::Format, 0, kFormatCount - 1),
            boolOption("CSVcbID", &O::CSVcbID),
            boolOption("CSVcbName", &O::CSVcbName),
            boolOption("CSVcbHiddendate", &O::CSVcbHiddendate),
            boolOption("CSVcbCoord", &O::CSVcbCoord),
            boolOption("CSVcbLatLon", &O::CSVcbLatLon),
            boolOption("CSVcbMerkatorCoord", &O::CSVcbMerkatorCoord),
            boolOption("CSVcbSize", &O::CSVcbSize),
            boolOption("CSVcbType", &O::CSVcbType),
            boolOption("CSVcbWaypoint", &O::CSVcbWaypoint),
            boolOption("CSVcbDifficulty", &O::CSVcbDifficulty),
            boolOption("CSVcbTerrain", &O::CSVcbTerrain),
            boolOption("CSVcbCountry", &O::CSVcbCountry),
            boolOption("CSVcbHomedist", &O::CSVcbHomedist),
            boolOption("CSVcbFounddate", &O::CSVcbFounddate),
            boolOption("CSVcbQuoteNums", &O::CSVcbQuoteNums),
            boolOption("CSVcbHeadline", &O::CSVcbHeadline),
            intOption("CSVcbDecimalSeparator", &O::CSVcbDecimalSeparator, 0, 1),
            intOption("CSVcbHome", &O::CSVcbHome, 0, 1000),
            boolOption("UTF8Names", &O::UTF8Names),
            boolOption("GPXHomeExp", &O::GPXHomeExp),
            intOption("GPXWhichHomes", &O::GPXWhichHomes, 0, 1),
            boolOption("OVLcbLabel", &O::OVLcbLabel),
            intOption("OVLcbbColor", &O::OVLcbbColor, 0, 7),
            intOption("OVLcbbSize", &O::OVLcbbSize, 0, 4),
            intOption("PsionInfo", &O::PsionInfo, 0, 2),
            intOption("OziNumber", &O::OziNumber, 0, 1),
            intOption("OziDate", &O::OziDate, 0, 1),
            stringOption("OziFontsize", &O::OziFontsize),
            stringOption("OziSymSize", &O::OziSymSize),
            boolOption("OziBold", &O::OziBold),
            boolOption("OziSwap", &O::OziSwap),
            intOption("XMLTemplate", &O::XMLTemplate, 0, 100000),
        };
        for (std::size_t g = 0; g < 4; ++g) {
            t.push_back(customOption<O>(
                g == 0   ? "OziSym1"
                : g == 1 ? "OziSym2"
                : g == 2 ? "OziSym3"
                         : "OziSym4",
                [g](IniFile& f, const char* s, const char* k, O& r) {
                    r.OziSym[g] = f.readString(s, k, r.OziSym[g]);
                },
                [g](IniFile& f, const char* s, const char* k, const O& r) {
                    f.writeString(s, k, r.OziSym[g]);
                }));
        }
        return t;
    }();
    return table;
}

TCacheList buildExportList(RunContext& ctx, const ExportJob& job) {
    TCacheList list;
    if (!job.dirListFile.empty()) {
        readWaypointListInto(ctx, job.dirListFile, list);
    } else if (job.opts.ExpList == kSourceFinds) {
        readFindsInto(ctx, list);
    } else if (job.opts.ExpList == kSourceDatabase) {
        list = LoadAllCaches(ctx);
    } else {
        readWaypointListInto(ctx, ctx.workDirPath() + "WPList.txt", list);
    }
    return list;
}

std::string formatExport(RunContext& ctx, const ExportJob& job, const TCacheList& list) {
    std::string text;
    text.reserve(static_cast<std::size_t>(list.count()) * 300 + 1024);
    TextOut out(text);
    if (job.opts.Format >= 0 && job.opts.Format < kFormatCount)
        kWriters[job.opts.Format](ctx, job, list, out);
    return text;
}

ExportOutcome exportToFile(RunContext& ctx, const ExportJob& job, const std::string& fileName) {
    ExportOutcome outcome;
    // What an export killed in this folder left behind.
    removeStaleTempFilesBeside(fileName);
    AtomicFileWriter writer;
    outcome.error = writer.open(fileName);
    if (outcome.error == 0) {
        const TCacheList list = buildExportList(ctx, job);
        outcome.count = list.count();
        writer.write(formatExport(ctx, job, list));
        outcome.error = writer.commit();
    }
    if (outcome.error != 0)
        showErrorCode(ctx.host(), outcome.error, "Fehler beim Schreiben der Datei " + fileName);
    if (ctx.settings.ShowMessages) {
        ctx.host().message(MsgKind::Information, MsgButtons::Ok,
                           std::to_string(outcome.count) + " Datens\xE4tze geschrieben.");
    }
    return outcome;
}

std::string withExportExtension(const std::string& fileName, int format) {
    // Only the name counts: a directory such as ~/.local must not stand in for an extension.
    if (extractFileName(fileName).find('.') != std::string::npos) return fileName;
    return fileName + "." + exportFormatInfo(format).extension;
}

// --- the dialog ---

std::string ListExportModel::confPath() const {
    return ctx_.workDirPath() + "vellora.conf";
}

std::string ListExportModel::templatePath() const {
    return ctx_.workDirPath() + "WPtpl.txt";
}

void ListExportModel::onOpen() {
    if (fileExists(confPath())) {
        IniFile conf(confPath());
        loadOptions(conf, kListExportSection, listExportOptionTable(), opts_);
        if (auto text = readFile(templatePath()); text && !text->empty()) gpxTemplate_ = *text;
    }
    templates_ = findXmlTemplates(ctx_.workDirPath());
    chosen_ = -1;
    if (opts_.XMLTemplate >= 0 && opts_.XMLTemplate < static_cast<int>(templates_.size()))
        chooseTemplate(opts_.XMLTemplate);
}

void ListExportModel::onClose() {
    if (saveOptions_) {
        try {
            IniFile conf(confPath());
            vellora::saveOptions(conf, kListExportSection, listExportOptionTable(), opts_);
        } catch (const IniWriteError& e) {
            ctx_.host().message(MsgKind::Error, MsgButtons::Ok, e.what());
        }
        if (int err = writeFileAtomic(templatePath(), gpxTemplate_); err != 0)
            showErrorCode(ctx_.host(), err, "Fehler beim Schreiben der Datei " + templatePath());
    }
    dirListFile_.clear();
}

void ListExportModel::setFormat(int format) {
    if (format >= 0 && format < kFormatCount) opts_.Format = format;
    changed();
}

void ListExportModel::setSource(int source) {
    if (source >= 0 && source <= 2) opts_.ExpList = source;
    changed();
}

bool ListExportModel::chooseTemplate(int index) {
    if (index < 0 || index >= static_cast<int>(templates_.size())) return false;
    if (int err = loadXmlTemplate(templates_[static_cast<std::size_t>(index)]); err != 0) {
        showErrorCode(ctx_.host(), err,
                      "Fehler beim Lesen der Datei " + templates_[static_cast<std::size_t>(index)].path);
        changed();
        return false;
    }
    chosen_ = index;
    opts_.XMLTemplate = index;
    changed();
    return true;
}

bool ListExportModel::chooseTemplateByName(const std::string& name) {
    for (std::size_t i = 0; i < templates_.size(); ++i) {
        if (upperCase(templates_[i].name) == upperCase(name) ||
            upperCase(extractFileName(templates_[i].path)) == upperCase(name) ||
            upperCase(extractFileName(templates_[i].path)) == upperCase(name + ".xtp"))
            return chooseTemplate(static_cast<int>(i));
    }
    return false;
}

void ListExportModel::chooseOziColour(int group, bool background) {
    if (group < 0 || group > 3) return;
    std::int32_t& value = background ? colours_.background[static_cast<std::size_t>(group)]
                                     : colours_.foreground[static_cast<std::size_t>(group)];
    const Rgb initial{static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
                      static_cast<std::uint8_t>((value >> 16) & 0xFF)};
    if (auto c = ctx_.host().chooseColour(initial)) value = c->r | (c->g << 8) | (c->b << 16);
    changed();
}

bool ListExportModel::checkTemplateChosen() {
    if (opts_.Format != kFormatXmlTemplate || chosen_ >= 0) return true;
    ctx_.host().message(MsgKind::Error, MsgButtons::Ok, "Keine XML-Vorlage gew\xE4hlt!");
    return false;
}

bool ListExportModel::exportRun() {
    if (!checkTemplateChosen()) return false;
    const ExportFormatInfo& info = exportFormatInfo(opts_.Format);
    FileDialogOptions chooser;
    chooser.title = "Exportieren";
    chooser.startDir = ctx_.workDirPath();
    chooser.filters = {{info.filterName, std::string("*.") + info.extension}, {"Alle Dateien (*.*)", "*"}};
    const auto file = ctx_.host().chooseSaveFile(chooser);
    if (!file) return false;
    return exportTo(*file);
}

bool ListExportModel::exportTo(const std::string& fileName) {
    if (!checkTemplateChosen()) return false;
    setRunning();
    ExportJob job;
    job.opts = opts_;
    job.dirListFile = dirListFile_;
    job.gpxTemplate = gpxTemplate_;
    job.xmlTemplate = chosen_ >= 0 ? &templates_[static_cast<std::size_t>(chosen_)] : nullptr;
    job.colours = colours_;
    outcome_ = exportToFile(ctx_, job, withExportExtension(fileName, opts_.Format));
    close();
    return true;
}

}  // namespace vellora
