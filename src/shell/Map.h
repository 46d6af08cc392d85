#pragma once
// The map window "Map": a plain vector map of the area around Germany with the caches of a list
// as small crosses, an optional route, towns, a coordinate grid and a scale bar. Everything is
// drawn from "borders.bin" and "german_towns.csv" of the working directory and from the cache
// database. The model computes the view and issues the drawing in its fixed order to a canvas
// that the Qt view implements with QPainter. Town names in the file are Windows-1252.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DialogModel.h"

namespace vellora {

class RunContext;

inline constexpr const char* kBordersFileName = "borders.bin";
inline constexpr const char* kTownsFileName = "german_towns.csv";
// The width of a degree of longitude relative to one of latitude at 51.1° N: 1 / cos 51.1°.
inline constexpr double kMapAspectFactor = 1.5924333619948409;
// Zooming in stops at this longitude span.
inline constexpr double kMinLonSpan = 1.0 / 3000.0;

struct TExtCache {
    std::string waypoint;  // up to 16 characters
    double lat = 0, lon = 0;
    std::string name;  // up to 80 characters
};

struct TTown {
    double lat = 0, lon = 0;
    int size = 3;  // 1 the largest towns
    std::string name;
};

struct MapRoutePoint {
    int number = 0;
    double lat = 0, lon = 0;
};

// Longitude and latitude ranges in degrees.
struct MapView {
    double lonFrom = 6, lonTo = 14, latFrom = 47, latTo = 55;
    double lonSpan() const { return lonTo - lonFrom; }
    double latSpan() const { return latTo - latFrom; }
    bool operator==(const MapView&) const = default;
};

struct MapRgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const MapRgb&) const = default;
};

inline constexpr MapRgb kMapBlack{0, 0, 0};
inline constexpr MapRgb kMapWhite{255, 255, 255};
inline constexpr MapRgb kRouteColour{128, 128, 0};
inline constexpr MapRgb kBorderColour{0, 0, 255};
inline constexpr MapRgb kGridColour{255, 64, 64};
inline constexpr MapRgb kGridDegreeColour{160, 0, 0};
inline constexpr MapRgb kTownColour{255, 0, 0};
// Town names: their point size and the height of the room a name takes in pixels.
inline constexpr int kTownLabelPoints = 8;
inline constexpr int kTownLabelHeight = 14;

struct MapPoint {
    int x = 0, y = 0;
    bool operator==(const MapPoint&) const = default;
};

struct MapRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Where the map draws. Coordinates are pixels from the top left corner; a text position is the
// top left corner of the text.
class MapCanvas {
public:
    virtual ~MapCanvas() = default;
    virtual void fillRect(const MapRect& r, MapRgb colour) = 0;
    virtual void fillRects(const std::vector<MapRect>& rects, MapRgb colour) = 0;
    // A one-pixel frame just inside the rectangle.
    virtual void frameRect(const MapRect& r, MapRgb colour) = 0;
    virtual void line(MapPoint from, MapPoint to, MapRgb colour) = 0;
    virtual void polyline(const std::vector<MapPoint>& points, MapRgb colour) = 0;
    virtual void filledCircle(MapPoint centre, int radius, MapRgb colour) = 0;
    virtual void text(MapPoint at, std::string_view text, int pointSize, MapRgb colour) = 0;
    // Text running downwards (rotated by 270 degrees); at is the text's top left before rotation.
    virtual void verticalText(MapPoint at, std::string_view text, int pointSize, MapRgb colour) = 0;
    virtual int textWidth(std::string_view text, int pointSize) = 0;
};

// The view widened on one axis so that a degree of latitude and the corrected degree of longitude
// have the same pixel length in a drawing area of the given size.
MapView correctAspect(const MapView& view, int width, int height);

// The projection of one drawing area.
class MapProjection {
public:
    MapProjection(const MapView& view, int width, int height) : view_(view), width_(width), height_(height) {}
    int x(double lon) const;
    int y(double lat) const;
    double lonAt(double x) const;
    double latAt(double y) const;
    const MapView& view() const { return view_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The distance in km between the pixels (0, 0) and (width - 1, 0).
    double viewWidthKm() const;

private:
    MapView view_;
    int width_, height_;
};

// The largest size class of towns shown for a view of this width.
int townSizeLimit(double viewWidthKm);
// The radius in pixels of a town's dot: the larger the town (size class 1), the larger the dot.
int townRadius(int sizeClass);
// The grid step in minutes for the longer span of a view in degrees.
int gridStepMinutes(double lonSpan);
// The scale bar's unit length in km for a view of this width; nothing when the view is too small.
std::optional<double> scaleUnitKm(double viewWidthKm);
// The point distanceKm due east of (lat, lon) on the great circle that starts eastwards.
std::optional<double> longitudeEastOf(double lat, double lon, double distanceKm);

// A grid line with its label.
struct MapGridLine {
    bool meridian = true;  // else a parallel
    int position = 0;      // x of a meridian, y of a parallel
    bool wholeDegree = false;
    std::string label;
};
std::vector<MapGridLine> gridLines(const MapProjection& projection);

struct MapScaleBar {
    double unitKm = 0;
    int segmentPixels = 0;
    std::vector<std::string> labels;  // six values, 0 to 5 units
    std::string unit;                 // "km" or "m"
};
std::optional<MapScaleBar> scaleBar(const MapProjection& projection);

struct BorderPoint {
    float lon = 0, lat = 0;
    bool startsLine = false;
};
// Records of 12 bytes: longitude and latitude as 32-bit floats, a signed byte that is negative
// at the start of a line. Nothing when the file cannot be read (errorCode receives errno).
std::optional<std::vector<BorderPoint>> readBorders(const std::string& path, int& errorCode);
// Lines "lat;lon;size;name" with a decimal point; unreadable lines are skipped.
std::vector<TTown> parseTowns(std::string_view text);

class TfrmMap : public DialogModel {
public:
    static constexpr const char* kCaption = "Map";
    static constexpr const char* kOkButton = "OK";
    static constexpr const char* kOkHint =
        "Fenster schlie\xDF"
        "en und \xC4nderungen \xFC"
        "bernehmen";
    static constexpr const char* kCancelButton = "Abbrechen";
    static constexpr const char* kCancelHint =
        "\xC4nderungen verwerfen und Fenster schlie\xDF"
        "en";
    static constexpr const char* kPanHint = "Verschiebt den sichtbaren Ausschnitt in Pfeilrichtung";
    static constexpr const char* kOverviewHint = "Zeigt die Gesamtansicht der Deutschlandkarte";
    static constexpr const char* kZoomToCachesButton = "auf Cachebereich zoomen";
    static constexpr const char* kCacheInfoBox = "Cacheinfo bei Mausklick";
    static constexpr const char* kShowGroup = "In Karte einblenden";
    static constexpr const char* kWpNamesBox = "WP-Namen";
    static constexpr const char* kScaleBox = "Ma\xDFstab";
    static constexpr const char* kGridBox = "Koordinatengitter";
    static constexpr const char* kTownsBox =
        "St\xE4"
        "dte";
    static constexpr int kMinWidth = 450;
    static constexpr int kMinHeight = 400;

    explicit TfrmMap(RunContext& ctx) : ctx_(ctx) {}

    // What the callers use before opening.
    void clearCaches() { caches_.clear(); }
    void clearRoute() { route_.clear(); }
    // Looks the waypoint up in the cache database; false (and nothing added) when it is not there.
    bool addCache(std::string_view waypoint);
    // A cache the caller already has (tests, lists without a database lookup).
    void addCache(TExtCache cache) { caches_.push_back(std::move(cache)); }
    void addRoutePoint(int number, double lat, double lon) { route_.push_back({number, lat, lon}); }
    void setView(const MapView& view) { view_ = view; }

    const MapView& view() const { return view_; }
    const MapView& overviewView() const { return overview_; }
    const std::vector<TExtCache>& caches() const { return caches_; }
    const std::vector<MapRoutePoint>& route() const { return route_; }
    const std::vector<TTown>& towns() const { return towns_; }
    // Waypoints removed since opening; the caller drops them from its list after OK.
    const std::vector<std::string>& removed() const { return removed_; }
    bool accepted() const { return accepted_; }

    // The check boxes; changing one redraws.
    bool cacheInfoMode = false;
    bool showWpNames = false;
    bool showScale = true;
    bool showGrid = true;
    bool showTowns = true;
    void optionsChanged() { changed(); }

    // Draws the whole map into a drawing area of the given size; the view becomes the
    // aspect-corrected one.
    void paint(MapCanvas& canvas, int width, int height);
    // The caption while the mouse points at a pixel.
    std::string captionAt(int x, int y, int width, int height) const;

    enum class ClickAction { None, ZoomedIn, ZoomedOut, CacheInfo };
    // A mouse click at a pixel; for CacheInfo, nearestCache() names the cache to show.
    ClickAction click(int x, int y, int width, int height, bool leftButton, bool shiftOnly);
    // The cache nearest to the pixel, or nothing when the list is empty.
    std::optional<std::size_t> nearestCache(int x, int y, int width, int height) const;
    // The details window of a cache ended with "remove".
    void removeCache(std::size_t index);

    // Moves the view by a quarter of its span; east and north are +1.
    void pan(int east, int north);
    void showOverview();
    void zoomToCaches();

    // "OK" and "Abbrechen".
    void accept();
    void reject();

protected:
    void onOpen() override;
    void onClose() override;

private:
    void loadBorders();
    void drawTowns(MapCanvas& canvas, const MapProjection& p) const;
    void drawGrid(MapCanvas& canvas, const MapProjection& p) const;
    void drawBorders(MapCanvas& canvas, const MapProjection& p) const;
    void drawCaches(MapCanvas& canvas, const MapProjection& p) const;
    void drawRoute(MapCanvas& canvas, const MapProjection& p) const;
    void drawScale(MapCanvas& canvas, const MapProjection& p) const;

    RunContext& ctx_;
    MapView view_, overview_;
    std::vector<TExtCache> caches_;
    std::vector<MapRoutePoint> route_;
    std::vector<TTown> towns_;
    std::vector<BorderPoint> borders_;
    std::vector<std::string> removed_;
    bool accepted_ = false;
};

}  // namespace vellora
