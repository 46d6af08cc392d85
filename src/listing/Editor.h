#pragma once
// The long-description editor: the text between the two markers of a converted description is
// edited as plain HTML and written back between head and tail, without regenerating the page.
#include <optional>
#include <string>
#include <string_view>

#include "core/DialogModel.h"

namespace vellora {

class RunContext;

inline constexpr std::string_view kLongDescrStartMarker = "<!-- Langbeschreibung Start -->";
inline constexpr std::string_view kLongDescrEndMarker = "<!-- Langbeschreibung Ende -->";

// head: up to and including the start marker; body: the editable part; tail: from the end marker on.
struct LongDescrParts {
    std::string head, body, tail;
};

// Splits at the first start marker and the first end marker behind it; nothing when either is missing.
std::optional<LongDescrParts> splitLongDescription(const std::string& text);

// Every line (ended by CR LF, CR or LF; the last one may be unended) followed by CR LF.
std::string normalizeCrLf(std::string_view text);

class TfrmEditor : public DialogModel {
public:
    static constexpr const char* kCaption = "Editor";
    static constexpr const char* kSaveButton = "Speichern";
    static constexpr const char* kDiscardButton = "Verwerfen";
    static constexpr const char* kPreviewButton = "Vorschau im Browser";
    static constexpr const char* kWordWrapBox = "Automatischer Zeilenumbruch";
    static constexpr const char* kPreviewFileName = "tmpdescr.html";
    static constexpr const char* kMarkerMessage =
        "Mindestens einer der Formatierungs-Tags\r\n"
        "<!-- Langbeschreibung Start --> oder\r\n"
        "<!-- Langbeschreibung Ende -->\r\n"
        "wurde in der konvertierten Beschreibung nicht gefunden.\r\n"
        "Vor dem Editieren muss die Beschreibung nochmals mit einem\r\n"
        "aktuellen Template erzeugt werden.";

    explicit TfrmEditor(RunContext& ctx);

    // "Langbeschreibung editieren" for waypoint W of a directory (the one shown in the browser):
    // reads dir + W + "_converted.html" and opens the window with its editable part. False (window
    // stays shut) without a waypoint, when the file cannot be read or a marker is missing.
    bool Edit(const std::string& dir, const std::string& waypoint);

    // The text area; the view keeps it current.
    std::string text;
    // "Automatischer Zeilenumbruch": wrapped lines with a vertical scroll bar only; off when the
    // window opens, then both scroll bars.
    bool wordWrap = false;
    bool horizontalScrollBar() const { return !wordWrap; }

    // "Speichern": head + text + tail with CR LF line ends replaces the file, and the window
    // closes. A failed write is reported and the window stays open, so that the edits survive.
    bool btnSaveClick();
    // "Verwerfen": closes and leaves the file as it is.
    void btnDiscardClick();
    // "Vorschau im Browser": writes tmpdescr.html in the working directory and opens it.
    bool btnPreviewClick();

    const std::string& filePath() const { return path_; }
    const std::string& head() const { return parts_.head; }
    const std::string& editablePart() const { return parts_.body; }
    const std::string& tail() const { return parts_.tail; }
    std::string previewPath() const;

private:
    RunContext& ctx_;
    std::string path_;
    LongDescrParts parts_;
};

}  // namespace vellora
