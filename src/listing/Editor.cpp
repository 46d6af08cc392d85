#include "listing/Editor.h"

#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"

namespace vellora {

std::optional<LongDescrParts> splitLongDescription(const std::string& text) {
    const std::size_t start = text.find(kLongDescrStartMarker);
    if (start == std::string::npos) return std::nullopt;
    const std::size_t bodyStart = start + kLongDescrStartMarker.size();
    // An end marker in front of the start marker would give a negative body: only one behind it counts.
    const std::size_t end = text.find(kLongDescrEndMarker, bodyStart);
    if (end == std::string::npos) return std::nullopt;
    return LongDescrParts{text.substr(0, bodyStart), text.substr(bodyStart, end - bodyStart),
                          text.substr(end)};
}

std::string normalizeCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i++];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i < text.size() && text[i] == '\n') ++i;
            out += "\r\n";
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    return out;
}

TfrmEditor::TfrmEditor(RunContext& ctx) : ctx_(ctx) {}

std::string TfrmEditor::previewPath() const {
    return ctx_.workDirPath() + kPreviewFileName;
}

bool TfrmEditor::Edit(const std::string& dir, const std::string& waypoint) {
    close();
    if (waypoint.empty()) return false;
    path_ = withTrailingSlash(dir) + waypoint + "_converted.html";
    const std::optional<std::string> content = readFile(path_);
    if (!content) {
        debugError(ctx_, "frmEditor.Edit", "cannot read " + path_);
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok,
                            "Fehler beim Laden der Cachebeschreibung " + path_);
        return false;
    }
    std::optional<LongDescrParts> parts = splitLongDescription(normalizeCrLf(*content));
    if (!parts) {
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok, kMarkerMessage);
        return false;
    }
    parts_ = std::move(*parts);
    text = parts_.body;
    wordWrap = false;
    open();
    return true;
}

bool TfrmEditor::btnSaveClick() {
    if (!isOpen()) return false;
    const std::string content = normalizeCrLf(parts_.head + text + parts_.tail);
    if (const int code = writeFileAtomic(path_, content); code != 0) {
        debugError(ctx_, "frmEditor.btnSaveClick", path_ + ": " + systemErrorText(code));
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok, "Fehler beim Speichern der Beschreibung!");
        return false;
    }
    if (ctx_.settings.ShowMessages)
        ctx_.host().message(MsgKind::Information, MsgButtons::Ok, "Die \xC4nderungen wurden gespeichert.");
    close();
    return true;
}

void TfrmEditor::btnDiscardClick() {
    close();
}

bool TfrmEditor::btnPreviewClick() {
    if (!isOpen()) return false;
    std::string page;
    for (const char* line : {
             "<html><head>",
             "<title>Vorschau der ge&auml;nderten Beschreibung</title>",
             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">",
             "<style type=\"text/css\">",
             "<!--",
             "  body { color:black; font-family:\"Arial\"; font-size:12px }",
             "  p { color:black; font-family:\"Arial\"; font-size:12px }",
             "  td { color:black; font-family:\"Arial\"; font-size:12px }",
             "  h1 { color:black; font-family:\"Arial\"; font-weight:normal; font-size:16px }",
             "-->",
             "</style>",
             "</head>",
             "<body>",
             "<h1>Hinweis:</h1>",
             "<p>Diese Vorschau gibt lediglich die ge&auml;nderte <b>Langbeschreibung</b> des Caches",
             "(innerhalb des hellgrauen Kastens) wieder. Andere Elemente wie Bilder, Koordinaten, Logs etc. "
             "fehlen hier.</p>",
             "<table border=\"1\" bgcolor=\"#F0F0F0\"><tr><td>",
         }) {
        page += line;
        page += "\r\n";
    }
    page += text;
    page += "\r\n</td></tr></table>\r\n</body></html>\r\n";
    const std::string path = previewPath();
    if (const int code = writeFileAtomic(path, page); code != 0) {
        showErrorCode(ctx_.host(), code, "Fehler beim Schreiben der Datei " + path);
        return false;
    }
    ctx_.host().openWithSystem(toFileUrl(path));
    return true;
}

}  // namespace vellora
