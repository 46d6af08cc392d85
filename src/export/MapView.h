#pragma once
// The map-service view: caches.xml (the markers) and gmshow.html (the filled page template
// gmtemplate.html) in the working directory, and the address of one cache on the map service.
// Both files are Windows-1252 text; caches.xml is ASCII, its names carry every other character as
// a numeric reference. The page's tiles come from the "MapTiles" address (core/MapTiles).
#include <string>

#include "core/CacheRec.h"
#include "core/DialogModel.h"

namespace vellora {

class RunContext;

enum MapViewSource { kMapSourceWorkList = 0, kMapSourceFinds = 1, kMapSourceDirectory = 2 };

// Icon number of a cache type on the page.
int mapIconNumber(std::string_view cacheType);
// A text as the marker file's attributes carry it: markup characters as entities, characters
// beyond ASCII as numeric references, control characters as blanks.
std::string markerName(std::string_view cacheName);
// Zoom factor for the spans in arc minutes.
int mapZoomFactor(float latSpanMinutes, float lonSpanMinutes);
// The map size of a "Kartengröße" choice (0 to 2).
void mapSize(int choice, int& width, int& height);

// The caches of a source, looked up in the database, with their icon number as CacheType.
TCacheList mapViewCaches(RunContext& ctx, int source, bool& readOk);
// The marker file's content for a list from mapViewCaches.
std::string markerFile(const TCacheList& caches);

// Writes caches.xml and gmshow.html and opens gmshow.html. Returns the number of caches shown
// (0: nothing written), or -1 after a reported input/output error.
int showCaches(RunContext& ctx, int source, int sizeChoice);

// The map-service address of one position; display 0 map, 1 aerial, 2 hybrid; zoom 0 to 3.
std::string oneCacheAddress(const RunContext& ctx, double lat, double lon, int display, int zoom);

// "Caches in GoogleMaps zeigen"
class MapViewModel : public DialogModel {
public:
    explicit MapViewModel(RunContext& ctx) : ctx_(ctx) {}
    int source = kMapSourceWorkList;
    int sizeChoice = 0;
    // "OK": shows the caches and closes.
    void ok();

private:
    RunContext& ctx_;
};

// "in GoogleMaps zeigen"; the options last for the run.
class ShowOneCacheModel : public DialogModel {
public:
    explicit ShowOneCacheModel(RunContext& ctx) : ctx_(ctx) {}
    void setPosition(double lat, double lon) {
        lat_ = static_cast<float>(lat);
        lon_ = static_cast<float>(lon);
    }
    int display = 0;
    int zoom = 1;
    std::string address() const;
    // "OK": opens the address and closes.
    void ok();

private:
    RunContext& ctx_;
    float lat_ = 0, lon_ = 0;
};

}  // namespace vellora
