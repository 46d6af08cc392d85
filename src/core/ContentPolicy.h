#pragma once
// The second line behind the HTML cleaner (core/HtmlClean): a Content-Security-Policy meta element
// in every page Vellora writes for a browser. It forbids scripts, frames, objects and forms and
// lets images and styles come only from the page's own folder or the page itself.
#include <string>
#include <string_view>

namespace vellora {

inline constexpr std::string_view kContentSecurityPolicy =
    "default-src 'none'; img-src 'self'; style-src 'self' 'unsafe-inline'; base-uri 'none'; "
    "form-action 'none'";

// <meta http-equiv="Content-Security-Policy" content="...">
std::string contentSecurityPolicyMeta();

// The page (Windows-1252) with the meta element first in its head: behind the head's start tag,
// else behind the html start tag, else behind a leading document type, else in front of it all.
std::string withContentSecurityPolicy(std::string_view page);

}  // namespace vellora
