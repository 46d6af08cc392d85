#include "core/RunContext.h"

#include "core/FileUtil.h"

namespace vellora {

RunContext::RunContext(Host& host, std::string programDir)
    : host_(&host),
      programDir_(withoutTrailingSlash(programDir)),
      programConf_(std::make_unique<IniFile>(programDir_ + "/vellora.conf")) {}

std::string RunContext::workDirPath() const {
    return withTrailingSlash(settings.WorkDir.empty() ? programDir_ : settings.WorkDir);
}

std::string RunContext::outDirPath() const {
    return settings.OutDir.empty() ? workDirPath() : withTrailingSlash(settings.OutDir);
}

}  // namespace vellora
