#include "core/CoordInput.h"

#include <cmath>

#include "core/Koord.h"
#include "core/NumberText.h"

namespace vellora {
namespace {

bool isDegreeBox(CoordBox box) {
    return box == CoordBox::LatDegrees || box == CoordBox::LonDegrees;
}
bool isDecimalBox(CoordBox box) {
    return box == CoordBox::LatDecimal || box == CoordBox::LonDecimal;
}

std::string decimalText(double value) {
    return formatFixedSignificant(value, 8, 5);
}

// A box's number; pasted texts such as "nan" or "inf" count as unreadable like any other.
std::optional<double> readBox(const std::string& text) {
    const auto v = parseDouble(text);
    if (v && !std::isfinite(*v)) return std::nullopt;
    return v;
}

// Degrees plus minutes / 60, or 0 when either box cannot be read (for example while empty).
double degMinValue(const std::string& degrees, const std::string& minutes) {
    const auto d = readBox(degrees);
    const auto m = readBox(minutes);
    if (!d || !m) return 0;
    return *m / 60.0 + *d;
}

}  // namespace

std::size_t coordBoxMaxLength(CoordBox box) {
    switch (box) {
        case CoordBox::LatDegrees:
        case CoordBox::LonDegrees:
            return 3;
        case CoordBox::LatMinutes:
        case CoordBox::LonMinutes:
            return 7;
        case CoordBox::LatDecimal:
            return 9;
        case CoordBox::LonDecimal:
            return 10;
    }
    return 0;
}

std::optional<char> coordBoxFilterKey(CoordBox box, char typed) {
    if (typed == kBackspace || (typed >= '0' && typed <= '9')) return typed;
    if (isDegreeBox(box)) return std::nullopt;
    if (typed == '.' || typed == ',') return '.';
    return std::nullopt;
}

void TCoordInput::enableDescription(std::string groupTitle, std::string_view text, bool editable) {
    descriptionShown_ = true;
    descriptionTitle_ = std::move(groupTitle);
    description_ = std::string(text.substr(0, kCoordDescriptionMaxLength));
    descriptionEditable_ = editable;
}

void TCoordInput::setDescription(std::string_view text) {
    if (!descriptionEditable_) return;
    description_ = std::string(text.substr(0, kCoordDescriptionMaxLength));
}

void TCoordInput::show() {
    latHemisphere_ = latitude >= 0 ? 0 : 1;
    lonHemisphere_ = longitude >= 0 ? 0 : 1;
    latitude = std::fabs(latitude);
    longitude = std::fabs(longitude);
    if (observer_) observer_->hemispheresChanged(latHemisphere_, lonHemisphere_);
    fillDegMin(true);
    fillDegMin(false);
    fillDecimal(true);
    fillDecimal(false);
    updateOk();
}

void TCoordInput::setBoxText(CoordBox box, std::string_view text) {
    std::string& stored = boxes_[index(box)];
    const std::string cut(text.substr(0, coordBoxMaxLength(box)));
    if (filling_) {
        // The view echoing one of our own fills: nothing to handle.
        stored = cut;
        return;
    }
    stored = cut;
    // A text cut to the maximum length goes back to the view, as an edit box would show it.
    if (cut.size() != text.size()) fill(box, cut);
    if (isDecimalBox(box)) {
        decimalChanged(box);
    } else {
        degMinChanged();
    }
    updateOk();
}

bool TCoordInput::typeKey(CoordBox box, char typed) {
    const auto key = coordBoxFilterKey(box, typed);
    if (!key) return false;
    std::string text = boxText(box);
    if (*key == kBackspace) {
        if (text.empty()) return true;
        text.pop_back();
    } else {
        if (text.size() >= coordBoxMaxLength(box)) return false;
        text.push_back(*key);
    }
    setBoxText(box, text);
    return true;
}

bool TCoordInput::accept() {
    if (!okEnabled_) return false;
    latitude = latHemisphere_ == 1 ? -std::fabs(latitude) : std::fabs(latitude);
    longitude = lonHemisphere_ == 1 ? -std::fabs(longitude) : std::fabs(longitude);
    return true;
}

void TCoordInput::fill(CoordBox box, std::string text) {
    const bool wasFilling = filling_;
    filling_ = true;
    boxes_[index(box)] = std::move(text);
    if (observer_) observer_->boxFilled(box, boxes_[index(box)]);
    filling_ = wasFilling;
}

void TCoordInput::fillDegMin(bool latitudePair) {
    const DegMinText dm = SplitDegMin(latitudePair ? latitude : longitude);
    fill(latitudePair ? CoordBox::LatDegrees : CoordBox::LonDegrees, dm.degrees);
    fill(latitudePair ? CoordBox::LatMinutes : CoordBox::LonMinutes, dm.minutes);
}

void TCoordInput::fillDecimal(bool latitudeBox) {
    fill(latitudeBox ? CoordBox::LatDecimal : CoordBox::LonDecimal,
         decimalText(latitudeBox ? latitude : longitude));
}

void TCoordInput::degMinChanged() {
    latitude = degMinValue(boxText(CoordBox::LatDegrees), boxText(CoordBox::LatMinutes));
    longitude = degMinValue(boxText(CoordBox::LonDegrees), boxText(CoordBox::LonMinutes));
    fillDecimal(true);
    fillDecimal(false);
}

void TCoordInput::decimalChanged(CoordBox box) {
    const std::string& text = boxText(box);
    std::optional<double> value = text.empty() ? std::optional<double>(0.0) : readBox(text);
    if (!value) return;
    const bool latitudeBox = box == CoordBox::LatDecimal;
    (latitudeBox ? latitude : longitude) = *value;
    fillDegMin(latitudeBox);
}

const char* coordBoxName(CoordBox box) {
    switch (box) {
        case CoordBox::LatDegrees:
            return "Grad der Breite";
        case CoordBox::LatMinutes:
            return "Minuten der Breite";
        case CoordBox::LonDegrees:
            return "Grad der L\xE4nge";
        case CoordBox::LonMinutes:
            return "Minuten der L\xE4nge";
        case CoordBox::LatDecimal:
            return "Breite in Grad";
        case CoordBox::LonDecimal:
            return "L\xE4nge in Grad";
    }
    return "";
}

std::string TCoordInput::findProblem() const {
    // An unreadable box counts as 0 while the others follow it; OK must not take that 0.
    for (CoordBox box : kAllCoordBoxes) {
        const std::string& text = boxText(box);
        const std::string name = std::string("\"") + coordBoxName(box) + "\"";
        if (text.empty()) return "Das Feld " + name + " ist leer.";
        const auto value = readBox(text);
        if (!value) return "Das Feld " + name + " enth\xE4lt keine Zahl: \"" + text + "\"";
        const bool minutes = box == CoordBox::LatMinutes || box == CoordBox::LonMinutes;
        if (minutes && (*value < 0 || *value >= 60.0))
            return "Das Feld " + name + " muss kleiner als 60 sein.";
    }
    if (!(latitude >= -90.0 && latitude <= 90.0)) return "Die Breite muss zwischen 0 und 90 Grad liegen.";
    if (!(longitude >= -180.0 && longitude <= 180.0))
        return "Die L\xE4nge muss zwischen 0 und 180 Grad liegen.";
    return {};
}

void TCoordInput::updateOk() {
    problem_ = findProblem();
    okEnabled_ = problem_.empty();
    if (observer_) {
        observer_->okEnabledChanged(okEnabled_);
        observer_->problemChanged(problem_);
    }
}

}  // namespace vellora
