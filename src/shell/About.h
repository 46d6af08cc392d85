#pragma once
// The about window "Programminformation" (also the start-up splash) and the seasonal greeting:
// their texts and the web pages their buttons open.
#include <array>
#include <string>

namespace vellora {

class RunContext;

inline constexpr const char* kAboutCaption = "Programminformation";
inline constexpr const char* kProductName = "Vellora";
inline constexpr const char* kAboutCloseButton =
    "Schlie\xDF"
    "en";
inline constexpr int kSplashMilliseconds = 3000;

// The maker's pages. The manual and the error tracker are opened by the help menu.
inline constexpr const char* kMakerSite = "https://vellora.example.org/";
inline constexpr const char* kOnlineManual = "https://vellora.example.org/doku/vellora.pdf";
inline constexpr const char* kErrorTracker = "https://vellora.example.org/errortracker/";
inline constexpr const char* kForum = "https://vellora.example.org/forum/";

struct AboutLink {
    const char* caption;
    std::string url;
};

// The five buttons of the about window: maker, listing site, two community sites, forum.
std::array<AboutLink, 5> aboutLinks(const RunContext& ctx);

// "Version V5.0.1 vom 13.12.2006", or the version and date from the first two lines of the
// developer marker file when both are there.
std::string aboutVersionText(const RunContext& ctx);

// Developer mode: the marker file exists in the working directory.
bool developerMode(const RunContext& ctx);

inline constexpr const char* kGreetingCaption = "Fr\xF6hliche Weihnachten";
inline constexpr const char* kGreetingText =
    "Harlof und Mirtel w\xFCnschen fr\xF6hliche Feiertage und ein gesundes, erfolg- und Geocache-reiches "
    "neues "
    "Jahr!";
inline constexpr const char* kGreetingButton = "Weiter geht's !";

}  // namespace vellora
