#pragma once
// The coordinate input dialog's model: one position shown as degrees/minutes and as decimal
// degrees, kept in step while the user types, plus the hemispheres and an optional description.
// A view binds its six edit boxes, two choice lists and the OK button to it and refreshes them
// through TCoordInputObserver; the model itself knows no widgets.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

inline constexpr const char* kCoordInputCaption =
    "Geograpische Koordinaten eingeben/\xE4"
    "ndern";
inline constexpr const char* kCoordInputDegMinGroup = "Format dd mm.mmm";
inline constexpr const char* kCoordInputDecimalGroup = "Format dd.ddddd";
inline constexpr const char* kCoordInputHemisphereGroup =
    "Hemisph\xE4"
    "re";
inline constexpr std::array<const char*, 2> kLatHemispheres = {"Nord",
                                                               "S\xFC"
                                                               "d"};
inline constexpr std::array<const char*, 2> kLonHemispheres = {"Ost", "West"};
inline constexpr std::size_t kCoordDescriptionMaxLength = 80;

enum class CoordBox { LatDegrees, LatMinutes, LonDegrees, LonMinutes, LatDecimal, LonDecimal };
inline constexpr std::array<CoordBox, 6> kAllCoordBoxes = {CoordBox::LatDegrees, CoordBox::LatMinutes,
                                                           CoordBox::LonDegrees, CoordBox::LonMinutes,
                                                           CoordBox::LatDecimal, CoordBox::LonDecimal};

inline constexpr char kBackspace = '\b';

// Longest text a box takes.
std::size_t coordBoxMaxLength(CoordBox box);
// The character a box takes for a typed key: the key itself, "." for ",", or nothing when the
// key is refused. Backspace is always taken.
std::optional<char> coordBoxFilterKey(CoordBox box, char typed);

class TCoordInputObserver {
public:
    virtual ~TCoordInputObserver() = default;
    // The model wrote a box (it never does so for the box the user is typing in).
    virtual void boxFilled(CoordBox /*box*/, const std::string& /*text*/) {}
    virtual void hemispheresChanged(int /*latIndex*/, int /*lonIndex*/) {}
    virtual void okEnabledChanged(bool /*enabled*/) {}
    // What keeps OK disabled, naming the box; empty when the input is good.
    virtual void problemChanged(const std::string& /*text*/) {}
};

// The name of a box in the texts that say what is wrong with it.
const char* coordBoxName(CoordBox box);

class TCoordInput {
public:
    // The caller sets latitude and longitude (0 when created), calls show(), and after accept()
    // reads them back with the hemispheres applied.
    double latitude = 0;
    double longitude = 0;

    void setObserver(TCoordInputObserver* observer) { observer_ = observer; }

    // Offers the description box with a caller-given group title; read-only when !editable.
    void enableDescription(std::string groupTitle, std::string_view text, bool editable);
    bool descriptionShown() const { return descriptionShown_; }
    bool descriptionEditable() const { return descriptionEditable_; }
    const std::string& descriptionTitle() const { return descriptionTitle_; }
    const std::string& description() const { return description_; }
    // Ignored for a read-only description; longer texts are cut to 80 characters.
    void setDescription(std::string_view text);

    // Hemispheres from the signs, values made absolute, all boxes filled.
    void show();

    const std::string& boxText(CoordBox box) const { return boxes_[index(box)]; }
    // The user changed a box to `text` (cut to the box's maximum length). Calls made while the
    // model is filling boxes itself are only stored, so a view may forward every text change.
    void setBoxText(CoordBox box, std::string_view text);
    // Types one key at the end of a box, through the key filter and the length limit.
    // Returns whether the key was taken.
    bool typeKey(CoordBox box, char typed);

    int latHemisphere() const { return latHemisphere_; }  // 0 "Nord", 1 "Süd"
    int lonHemisphere() const { return lonHemisphere_; }  // 0 "Ost", 1 "West"
    void setLatHemisphere(int index) { latHemisphere_ = index == 1 ? 1 : 0; }
    void setLonHemisphere(int index) { lonHemisphere_ = index == 1 ? 1 : 0; }

    // OK is enabled while every box holds a number, the minutes are below 60 and the position is
    // on the globe; problem() says which box keeps it disabled.
    bool okEnabled() const { return okEnabled_; }
    const std::string& problem() const { return problem_; }
    // OK: applies the hemispheres to latitude and longitude. Refused while OK is disabled.
    bool accept();

private:
    static std::size_t index(CoordBox box) { return static_cast<std::size_t>(box); }
    void fill(CoordBox box, std::string text);
    void fillDegMin(bool latitudePair);
    void fillDecimal(bool latitudeBox);
    void degMinChanged();
    void decimalChanged(CoordBox box);
    void updateOk();
    std::string findProblem() const;

    std::array<std::string, 6> boxes_;
    int latHemisphere_ = 0;
    int lonHemisphere_ = 0;
    bool okEnabled_ = true;
    std::string problem_;
    bool filling_ = false;
    bool descriptionShown_ = false;
    bool descriptionEditable_ = true;
    std::string descriptionTitle_;
    std::string description_;
    TCoordInputObserver* observer_ = nullptr;
};

}  // namespace vellora
