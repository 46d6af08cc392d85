#pragma once
// Free XML or text output from a user template (*.xtp in the working directory): a header, the
// waypoints section once per cache with its placeholders replaced, a footer.
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "formats/TextOut.h"

namespace vellora {

class RunContext;

struct XmlTemplate {
    std::string name;  // the display name after "name="
    std::string path;
    std::string header, waypoints, footer;
};
// The offered templates in directory order, with their names (sections not yet read).
std::vector<XmlTemplate> findXmlTemplates(const std::string& workDir);
// Reads the three sections; on failure returns the error code and leaves the template as it was.
int loadXmlTemplate(XmlTemplate& tmpl);

void writeXmlTemplate(const RunContext& ctx, const XmlTemplate& tmpl, const TCacheList& list, TextOut& out);

}  // namespace vellora
