#pragma once
// "Updateverfügbarkeit prüfen": fetches the published version file and tells the user whether
// the running version is current, outdated or newer than the published one.
#include <string>
#include <string_view>

namespace vellora {

class RunContext;
class TCacheDBLoadWindow;

inline constexpr const char* kVersionFileName = "velloraversion.txt";
inline constexpr const char* kUpdateTask = "Updateverf\xFCgbarkeit";
inline constexpr const char* kUpdateContent =
    "Pr\xFC"
    "fe Updateverf\xFCgbarkeit...";

enum class UpdateCheckResult { NoUrl, Failed, Current, Outdated, Newer };

// The year, month and day of a "dd.mm.yyyy" text as the number yyyymmdd; 0 when those characters
// do not make a number.
int versionDateKey(std::string_view date);

// mnuCheckForUpdateClick. window: the download window (nullptr downloads without one).
UpdateCheckResult CheckForUpdate(RunContext& ctx, TCacheDBLoadWindow* window = nullptr);

}  // namespace vellora
