#include "shell/SvgMapCanvas.h"

#include <cstdio>

#include "core/FileUtil.h"
#include "core/HtmlClean.h"
#include "core/RunContext.h"

namespace vellora {
namespace {

std::string colourText(MapRgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

// Points at the screen's 96 pixels per inch, as the window's fonts are sized.
double pixelsOfPoints(int pointSize) {
    return pointSize * 96.0 / 72.0;
}

std::string number(int n) {
    return std::to_string(n);
}

}  // namespace

void SvgMapCanvas::fillRect(const MapRect& r, MapRgb colour) {
    body_ += "<rect x=\"" + number(r.x) + "\" y=\"" + number(r.y) + "\" width=\"" + number(r.w) +
             "\" height=\"" + number(r.h) + "\" fill=\"" + colourText(colour) + "\"/>\n";
}

void SvgMapCanvas::fillRects(const std::vector<MapRect>& rects, MapRgb colour) {
    if (rects.empty()) return;
    // One path for all of them: thousands of markers stay one element.
    body_ += "<path fill=\"" + colourText(colour) + "\" d=\"";
    for (const MapRect& r : rects)
        body_ += "M" + number(r.x) + " " + number(r.y) + "h" + number(r.w) + "v" + number(r.h) + "h" +
                 number(-r.w) + "z";
    body_ += "\"/>\n";
}

void SvgMapCanvas::frameRect(const MapRect& r, MapRgb colour) {
    char rect[160];
    std::snprintf(rect, sizeof rect, "<rect x=\"%.1f\" y=\"%.1f\" width=\"%d\" height=\"%d\"", r.x + 0.5,
                  r.y + 0.5, r.w - 1, r.h - 1);
    body_ += std::string(rect) + " fill=\"none\" stroke=\"" + colourText(colour) + "\"/>\n";
}

void SvgMapCanvas::line(MapPoint from, MapPoint to, MapRgb colour) {
    polyline({from, to}, colour);
}

void SvgMapCanvas::polyline(const std::vector<MapPoint>& points, MapRgb colour) {
    if (points.size() < 2) return;
    body_ += "<polyline fill=\"none\" stroke-width=\"1\" stroke=\"" + colourText(colour) + "\" points=\"";
    for (const MapPoint& p : points) body_ += number(p.x) + "," + number(p.y) + " ";
    body_ += "\"/>\n";
}

void SvgMapCanvas::filledCircle(MapPoint centre, int radius, MapRgb colour) {
    body_ += "<circle cx=\"" + number(centre.x) + "\" cy=\"" + number(centre.y) + "\" r=\"" + number(radius) +
             "\" fill=\"" + colourText(colour) + "\"/>\n";
}

void SvgMapCanvas::text(MapPoint at, std::string_view text, int pointSize, MapRgb colour) {
    char size[32];
    std::snprintf(size, sizeof size, "%.1f", pixelsOfPoints(pointSize));
    body_ += "<text x=\"" + number(at.x) + "\" y=\"" + number(at.y) + "\" font-size=\"" + size +
             "\" dominant-baseline=\"text-before-edge\" fill=\"" + colourText(colour) + "\">" +
             htmlEscape(std::string(text)) + "</text>\n";
}

void SvgMapCanvas::verticalText(MapPoint at, std::string_view text, int pointSize, MapRgb colour) {
    body_ += "<g transform=\"translate(" + number(at.x) + " " + number(at.y) + ") rotate(90)\">\n";
    const std::string outer = std::move(body_);
    body_.clear();
    this->text({0, 0}, text, pointSize, colour);
    body_ = outer + body_ + "</g>\n";
}

int SvgMapCanvas::textWidth(std::string_view text, int pointSize) {
    // An average sans-serif letter is a little over half as wide as the font is high.
    return static_cast<int>(static_cast<double>(text.size()) * pixelsOfPoints(pointSize) * 0.56 + 0.5);
}

std::string SvgMapCanvas::svg() const {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + number(width_) + " " +
           number(height_) + "\" width=\"100%\" font-family=\"sans-serif\">\n" + body_ + "</svg>";
}

std::string overviewMapSvg(RunContext& ctx, const std::vector<std::string>& waypoints, int width,
                           int height) {
    // Without its files the window would report them missing; the cover simply has no map.
    for (const char* file : {kBordersFileName, kTownsFileName})
        if (!fileExists(ctx.workDirPath() + file)) return {};
    TfrmMap map(ctx);
    for (const std::string& wp : waypoints) map.addCache(wp);
    if (map.caches().empty()) return {};
    map.open();
    map.zoomToCaches();
    // Names help on a map of a day's outing; a long list would bury the map under them.
    map.showWpNames = map.caches().size() <= 30;
    SvgMapCanvas canvas(width, height);
    map.paint(canvas, width, height);
    map.close();
    return canvas.svg();
}

}  // namespace vellora
