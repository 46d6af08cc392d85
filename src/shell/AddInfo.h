#pragma once
// The notes dialog "Persönliche Cache-Zusatzinformationen": edits the personal note of one cache
// in Persinfo.txt, with the line-break option kept in the working directory's vellora.conf.
#include <string>
#include <vector>

#include "core/DialogModel.h"

namespace vellora {

class RunContext;

inline constexpr const char* kAddInfoCaptionPrefix = "Pers\xF6nliche Cache-Zusatzinformationen zu ";
inline constexpr const char* kAddInfoSection = "AddInfo";
inline constexpr const char* kLineBreakBox = "Zeilenumbruch";
inline constexpr const char* kAddInfoSave = "Speichern";
inline constexpr const char* kAddInfoErase = "L\xF6schen";
inline constexpr const char* kAddInfoCancel = "Abbrechen";

class TfrmAddInfo : public DialogModel {
public:
    TfrmAddInfo(RunContext& ctx, std::string waypoint);

    // Opening (open()) reads the note and the line-break option.

    std::string caption() const { return kAddInfoCaptionPrefix + waypoint_; }
    const std::vector<std::string>& lines() const { return lines_; }
    // Long lines wrap (vertical scroll bar only) or not (both scroll bars).
    bool lineBreak() const { return lineBreak_; }
    void setLineBreak(bool on) { lineBreak_ = on; }

    // "Speichern": writes the note and the option. A configuration file that cannot be written is
    // reported and the dialog stays open (returns false), so that the text is not lost.
    bool save(const std::vector<std::string>& lines);
    // "Löschen": removes the note; false when the file cannot be written (reported).
    bool erase();

    std::string configPath() const;

private:
    void onOpen() override;

    RunContext& ctx_;
    std::string waypoint_;
    std::vector<std::string> lines_;
    bool lineBreak_ = true;
};

// The editor's text as note lines: split at line breaks (CR LF, LF or CR); a final line break
// adds no empty line.
std::vector<std::string> splitEditorLines(const std::string& text);

}  // namespace vellora
