#pragma once
// The pages of the stand-in listing site, in Windows-1252 with CR LF line ends: the listing page
// of a cache (with the span fields, log icons, travel-bug box, additional-waypoints table and
// image list the program's field extractor reads), the site's error page, and the own-finds
// result pages with their post-back paging.
#include <optional>
#include <string>
#include <string_view>

#include "sim/World.h"

namespace vellora::sim {

struct SiteAddresses {
    std::string base;       // scheme and host of the listing site, no trailing "/"
    std::string imageHost;  // scheme, host and path of its image host, no trailing "/"
};

// logAll: every log (the address asked with log=y); otherwise the five newest.
// printerFriendly: the pf=y form, ratings as text stars.
std::string renderListingPage(const World& world, int cache, const SiteAddresses& site, bool logAll,
                              bool printerFriendly);
// The page the site shows for a waypoint it does not hold (reached by a redirect).
std::string renderErrorPage(const SiteAddresses& site);

// UTM text of the listing page: "32U E 654321 N 5487654".
std::string utmText(double lat, double lon);

inline constexpr int kFindsPerPage = 20;

// The own-finds list of a user: page 1..pages, 20 rows each, newest first.
std::string renderFindsPage(const World& world, std::string_view userName, int page,
                            const SiteAddresses& site);
int findsPageCount(int totalFinds);

// The page's view state and what a post-back with it and a pager control asks for.
std::string findsViewState(const World& world, std::string_view userName, int page);
// The page a post-back leads to, or nothing when the view state does not belong to this user.
std::optional<int> findsPostBackPage(const World& world, std::string_view userName,
                                     std::string_view viewState, std::string_view eventTarget);
// The ASP.NET-like error page for a broken post-back.
std::string renderViewStateErrorPage();

// Date of a finds row as the site writes it: "Today", "Yesterday", "3 days ago", "5 Nov 06".
std::string listingDateText(TDateTime date, TDateTime today);

}  // namespace vellora::sim
