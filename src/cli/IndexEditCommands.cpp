#include <istream>
#include <iterator>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "core/Cp1252.h"
#include "core/RunContext.h"
#include "listing/Editor.h"
#include "listing/Index.h"

namespace vellora {

namespace {

constexpr const char* kIndexUsage = "index [--dir DIR]";
constexpr const char* kEditLongUsage = "edit-long WAYPOINT [--dir DIR] [--set]";

struct ParsedArgs {
    std::optional<std::string> dir;
    std::optional<std::string> waypoint;
    bool set = false;
};

ParsedArgs parseArgs(const Args& args, bool withWaypoint, const char* usage) {
    ParsedArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--dir" && i + 1 < args.size()) {
            parsed.dir = args[++i];
        } else if (a.rfind("--dir=", 0) == 0) {
            parsed.dir = a.substr(6);
        } else if (withWaypoint && a == "--set") {
            parsed.set = true;
        } else if (withWaypoint && !parsed.waypoint && a.rfind("--", 0) != 0) {
            parsed.waypoint = a;
        } else {
            throw UsageError(usage);
        }
    }
    if (parsed.dir && parsed.dir->empty()) throw UsageError(usage);
    if (withWaypoint) {
        // The waypoint becomes part of a file name.
        if (!parsed.waypoint) throw UsageError(usage);
        parsed.waypoint = waypointArgument(*parsed.waypoint, usage);
    }
    return parsed;
}

std::string crLfToLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

}  // namespace

int runIndexCommand(CliEnv& env, const Args& args) {
    const ParsedArgs parsed = parseArgs(args, false, kIndexUsage);
    TfrmIndex dialog(env.ctx);
    dialog.open(parsed.dir);
    if (!dialog.btnOKClick()) {
        dialog.close();
        return 1;
    }
    env.print(dialog.options.fileName);
    return 0;
}

int runEditLongCommand(CliEnv& env, const Args& args) {
    const ParsedArgs parsed = parseArgs(args, true, kEditLongUsage);
    TfrmEditor editor(env.ctx);
    if (!editor.Edit(parsed.dir ? *parsed.dir : env.ctx.outDirPath(), *parsed.waypoint)) return 1;
    if (!parsed.set) {
        // Raw, so that printing and setting again gives the file back unchanged.
        env.out << utf8FromCp1252(crLfToLf(editor.editablePart()));
        return 0;
    }
    const std::string input{std::istreambuf_iterator<char>(env.in), std::istreambuf_iterator<char>()};
    editor.text = cp1252FromUtf8(input);
    return editor.btnSaveClick() ? 0 : 1;
}

}  // namespace vellora
