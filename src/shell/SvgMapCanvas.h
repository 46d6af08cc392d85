#pragma once
// The map window's drawing as an SVG image, for documents an HTML engine lays out (the booklet's
// cover): the same model draws, and the engine prints lines and text sharp at any size. Text is
// Windows-1252; text widths are estimated from an average sans-serif letter.
#include <string>
#include <string_view>
#include <vector>

#include "shell/Map.h"

namespace vellora {

class SvgMapCanvas : public MapCanvas {
public:
    SvgMapCanvas(int width, int height) : width_(width), height_(height) {}

    void fillRect(const MapRect& r, MapRgb colour) override;
    void fillRects(const std::vector<MapRect>& rects, MapRgb colour) override;
    void frameRect(const MapRect& r, MapRgb colour) override;
    void line(MapPoint from, MapPoint to, MapRgb colour) override;
    void polyline(const std::vector<MapPoint>& points, MapRgb colour) override;
    void filledCircle(MapPoint centre, int radius, MapRgb colour) override;
    void text(MapPoint at, std::string_view text, int pointSize, MapRgb colour) override;
    void verticalText(MapPoint at, std::string_view text, int pointSize, MapRgb colour) override;
    int textWidth(std::string_view text, int pointSize) override;

    // The <svg> element, scaled to the width of its container.
    std::string svg() const;

private:
    int width_, height_;
    std::string body_;
};

struct TBookletInput;
class RunContext;

// The overview map of the waypoints (looked up in the cache database) as the map window draws it,
// zoomed to their area; "" when none of them is known or the map's files are missing.
std::string overviewMapSvg(RunContext& ctx, const std::vector<std::string>& waypoints, int width, int height);

}  // namespace vellora
