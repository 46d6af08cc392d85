#include "core/CoordInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellora {
namespace {

// Records what the model pushes and, like an edit box, reports every programmatic text change
// straight back as a user change.
struct EchoingView : TCoordInputObserver {
    TCoordInput* model = nullptr;
    std::vector<CoordBox> filled;
    std::vector<bool> okStates;
    int latIndex = -1;
    int lonIndex = -1;

    void boxFilled(CoordBox box, const std::string& text) override {
        filled.push_back(box);
        model->setBoxText(box, text);
    }
    void hemispheresChanged(int lat, int lon) override {
        latIndex = lat;
        lonIndex = lon;
    }
    void okEnabledChanged(bool enabled) override { okStates.push_back(enabled); }
};

class CoordInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.model = &model;
        model.setObserver(&view);
    }
    void show(double lat, double lon) {
        model.latitude = lat;
        model.longitude = lon;
        model.show();
        view.filled.clear();
    }
    void clearAndType(CoordBox box, const std::string& keys) {
        while (!model.boxText(box).empty()) model.typeKey(box, kBackspace);
        for (char c : keys) model.typeKey(box, c);
    }
    std::vector<std::string> boxes() const {
        std::vector<std::string> texts;
        for (CoordBox b : kAllCoordBoxes) texts.push_back(model.boxText(b));
        return texts;
    }

    TCoordInput model;
    EchoingView view;
};

TEST_F(CoordInputTest, ShowSplitsSignsAndFillsBothForms) {
    model.latitude = 49.5;
    model.longitude = -8.0853333;
    model.show();
    EXPECT_EQ(view.latIndex, 0);
    EXPECT_EQ(view.lonIndex, 1);
    EXPECT_EQ(model.latitude, 49.5);
    EXPECT_EQ(model.longitude, 8.0853333);
    EXPECT_EQ(boxes(), (std::vector<std::string>{"49", "30.000", "8", "5.120", "49.50000", "8.08533"}));
    EXPECT_EQ(view.filled.size(), 6u);  // the echoes of the fills did not cascade
    EXPECT_TRUE(model.okEnabled());
}

TEST_F(CoordInputTest, NewDialogShowsZero) {
    model.show();
    EXPECT_EQ(boxes(), (std::vector<std::string>{"0", "0.000", "0", "0.000", "0.00000", "0.00000"}));
    EXPECT_EQ(model.latHemisphere(), 0);
    EXPECT_EQ(model.lonHemisphere(), 0);
}

TEST(CoordInputKeys, FilterTable) {
    struct Case {
        CoordBox box;
        char typed;
        std::optional<char> taken;
    };
    const Case cases[] = {
        {CoordBox::LatDegrees, '7', '7'},          {CoordBox::LatDegrees, '.', std::nullopt},
        {CoordBox::LonDegrees, ',', std::nullopt}, {CoordBox::LonDegrees, kBackspace, kBackspace},
        {CoordBox::LatMinutes, '.', '.'},          {CoordBox::LonMinutes, ',', '.'},
        {CoordBox::LatMinutes, '-', std::nullopt}, {CoordBox::LatDecimal, ',', '.'},
        {CoordBox::LonDecimal, '0', '0'},          {CoordBox::LonDecimal, 'e', std::nullopt},
        {CoordBox::LatDecimal, ' ', std::nullopt}, {CoordBox::LatDecimal, kBackspace, kBackspace},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(c.box) << " '" << c.typed << "'");
        EXPECT_EQ(coordBoxFilterKey(c.box, c.typed), c.taken);
    }
}

TEST_F(CoordInputTest, MaximumLengths) {
    struct Case {
        CoordBox box;
        std::size_t max;
    };
    const Case cases[] = {
        {CoordBox::LatDegrees, 3}, {CoordBox::LatMinutes, 7}, {CoordBox::LonDegrees, 3},
        {CoordBox::LonMinutes, 7}, {CoordBox::LatDecimal, 9}, {CoordBox::LonDecimal, 10},
    };
    show(0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.box));
        EXPECT_EQ(coordBoxMaxLength(c.box), c.max);
        clearAndType(c.box, "123456789012");
        EXPECT_EQ(model.boxText(c.box).size(), c.max);
        // A pasted overlong text is cut as well, and the view is told.
        view.filled.clear();
        model.setBoxText(c.box, "1111111111111");
        EXPECT_EQ(model.boxText(c.box), std::string(c.max, '1'));
        ASSERT_FALSE(view.filled.empty());
        EXPECT_EQ(view.filled.front(), c.box);
    }
}

TEST_F(CoordInputTest, CommaTypedIntoMinutesBecomesPoint) {
    show(49.5, 10.75);
    clearAndType(CoordBox::LatMinutes, "12,5");
    EXPECT_EQ(model.boxText(CoordBox::LatMinutes), "12.5");
    EXPECT_DOUBLE_EQ(model.latitude, 49.0 + 12.5 / 60.0);
}

TEST_F(CoordInputTest, DegMinChangeRewritesDecimalBoxesOnly) {
    show(49.5, 10.75);
    model.setBoxText(CoordBox::LatMinutes, "45.5");
    EXPECT_DOUBLE_EQ(model.latitude, 49.0 + 45.5 / 60.0);
    EXPECT_DOUBLE_EQ(model.longitude, 10.75);
    EXPECT_EQ(boxes(), (std::vector<std::string>{"49", "45.5", "10", "45.000", "49.75833", "10.75000"}));
    EXPECT_EQ(view.filled, (std::vector<CoordBox>{CoordBox::LatDecimal, CoordBox::LonDecimal}));
}

TEST_F(CoordInputTest, UnreadableDegMinPairCountsAsZero) {
    show(49.5, 10.75);
    model.setBoxText(CoordBox::LonDegrees, "");
    EXPECT_EQ(model.longitude, 0.0);
    EXPECT_DOUBLE_EQ(model.latitude, 49.5);
    EXPECT_EQ(model.boxText(CoordBox::LonDecimal), "0.00000");
    EXPECT_EQ(model.boxText(CoordBox::LonMinutes), "45.000");  // the other box of the pair stays
    model.setBoxText(CoordBox::LatMinutes, "3..5");
    EXPECT_EQ(model.latitude, 0.0);
    EXPECT_EQ(model.boxText(CoordBox::LatDecimal), "0.00000");
}

TEST_F(CoordInputTest, DecimalChangeRewritesItsDegMinPair) {
    struct Case {
        CoordBox box;
        const char* text;
        double lat;
        double lon;
        std::vector<std::string> boxes;
        bool ok;
    };
    const Case cases[] = {
        {CoordBox::LonDecimal, "8.5", 49.5, 8.5, {"49", "30.000", "8", "30.000", "49.50000", "8.5"}, true},
        {CoordBox::LatDecimal,
         "49.999999",
         49.999999,
         10.75,
         {"50", "0.000", "10", "45.000", "49.999999", "10.75000"},
         true},
        // Empty or unreadable: the other boxes follow as before, but OK waits for a number.
        {CoordBox::LatDecimal, "", 0.0, 10.75, {"0", "0.000", "10", "45.000", "", "10.75000"}, false},
        {CoordBox::LonDecimal,
         "8.5.1",
         49.5,
         10.75,
         {"49", "30.000", "10", "45.000", "49.50000", "8.5.1"},
         false},
        {CoordBox::LatDecimal,
         "nan",
         49.5,
         10.75,
         {"49", "30.000", "10", "45.000", "nan", "10.75000"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        show(49.5, 10.75);
        model.setBoxText(c.box, c.text);
        EXPECT_DOUBLE_EQ(model.latitude, c.lat);
        EXPECT_DOUBLE_EQ(model.longitude, c.lon);
        EXPECT_EQ(boxes(), c.boxes);
        EXPECT_EQ(model.okEnabled(), c.ok);
    }
}

// A home must never move silently: minutes of 60 or more, or a box that is no number, keep OK
// disabled with a text naming the box, while the boxes keep following each other.
TEST_F(CoordInputTest, BadBoxDisablesOkAndSaysWhich) {
    struct Case {
        CoordBox box;
        const char* text;
        const char* problem;
    };
    const Case cases[] = {
        {CoordBox::LatMinutes, "75", "Das Feld \"Minuten der Breite\" muss kleiner als 60 sein."},
        {CoordBox::LonMinutes, "60", "Das Feld \"Minuten der L\xE4nge\" muss kleiner als 60 sein."},
        {CoordBox::LatMinutes, "75,5.5", "Das Feld \"Minuten der Breite\" enth\xE4lt keine Zahl: \"75,5.5\""},
        {CoordBox::LonDegrees, "", "Das Feld \"Grad der L\xE4nge\" ist leer."},
        {CoordBox::LatDecimal, "4..5", "Das Feld \"Breite in Grad\" enth\xE4lt keine Zahl: \"4..5\""},
        {CoordBox::LatDegrees, "91", "Die Breite muss zwischen 0 und 90 Grad liegen."},
        {CoordBox::LonMinutes, "59.999", ""},
    };
    struct ProblemView : EchoingView {
        std::string problem = "unset";
        void problemChanged(const std::string& text) override { problem = text; }
    } problemView;
    problemView.model = &model;
    model.setObserver(&problemView);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        show(49.5, 10.75);
        model.setBoxText(c.box, c.text);
        EXPECT_EQ(model.problem(), c.problem);
        EXPECT_EQ(problemView.problem, c.problem);
        EXPECT_EQ(model.okEnabled(), std::string(c.problem).empty());
        EXPECT_EQ(model.accept(), std::string(c.problem).empty());
    }
    // The decimal boxes still follow the minutes (75' carried as before), and mending the box
    // enables OK again.
    show(49.5, 10.75);
    model.setBoxText(CoordBox::LatMinutes, "75");
    EXPECT_EQ(model.boxText(CoordBox::LatDecimal), "50.25000");
    model.setBoxText(CoordBox::LatMinutes, "15");
    EXPECT_TRUE(model.okEnabled());
    EXPECT_EQ(model.problem(), "");
    EXPECT_EQ(model.boxText(CoordBox::LatDecimal), "49.25000");
}

// If the echo of the decimal fill were handled as a user change, the latitude would be cut to
// five decimals and the minutes box being typed in would be rewritten to "0.000".
TEST_F(CoordInputTest, FillingNeverRetriggers) {
    show(10.0, 0.0);
    model.setBoxText(CoordBox::LatMinutes, "0.0001");
    EXPECT_EQ(model.boxText(CoordBox::LatDecimal), "10.00000");
    EXPECT_EQ(model.boxText(CoordBox::LatMinutes), "0.0001");
    EXPECT_DOUBLE_EQ(model.latitude, 10.0 + 0.0001 / 60.0);
}

TEST_F(CoordInputTest, OkEnabledOnlyInsideTheRanges) {
    struct Case {
        double startLat, startLon;
        CoordBox box;
        const char* text;
        bool ok;
    };
    const Case cases[] = {
        {0, 0, CoordBox::LatDegrees, "91", false},      {0, 0, CoordBox::LatDegrees, "90", true},
        {90, 0, CoordBox::LatMinutes, "0.001", false},  {0, 0, CoordBox::LatDecimal, "90.00001", false},
        {0, 0, CoordBox::LatDecimal, "90", true},       {0, 0, CoordBox::LonDegrees, "180", true},
        {0, 180, CoordBox::LonMinutes, "0.001", false}, {0, 0, CoordBox::LonDecimal, "180.00001", false},
        {0, 0, CoordBox::LonDecimal, "999", false},     {91, 0, CoordBox::LonDegrees, "5", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        show(c.startLat, c.startLon);
        model.setBoxText(c.box, c.text);
        EXPECT_EQ(model.okEnabled(), c.ok);
        ASSERT_FALSE(view.okStates.empty());
        EXPECT_EQ(view.okStates.back(), c.ok);
    }
}

TEST_F(CoordInputTest, TypingNinetyOneDegreesDisablesOkAndBackspaceRestoresIt) {
    show(49.5, 10.75);
    clearAndType(CoordBox::LatDegrees, "91");
    EXPECT_FALSE(model.okEnabled());
    EXPECT_FALSE(model.accept());
    EXPECT_DOUBLE_EQ(model.latitude, 91.5);  // a refused OK leaves the values alone
    model.typeKey(CoordBox::LatDegrees, kBackspace);
    EXPECT_TRUE(model.okEnabled());
    EXPECT_EQ(model.boxText(CoordBox::LatDecimal), "9.50000");
}

TEST_F(CoordInputTest, AcceptAppliesHemispheres) {
    struct Case {
        double lat, lon;
        int latHemisphere, lonHemisphere;
        double expectLat, expectLon;
    };
    const Case cases[] = {
        {-33.5, -70.25, -1, -1, -33.5, -70.25},  // -1: keep what show() chose
        {49.5, 10.75, 1, 1, -49.5, -10.75},
        {-33.5, -70.25, 0, 0, 33.5, 70.25},
        {0.0, 0.0, 1, 1, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.lat << "," << c.lon);
        show(c.lat, c.lon);
        if (c.latHemisphere >= 0) model.setLatHemisphere(c.latHemisphere);
        if (c.lonHemisphere >= 0) model.setLonHemisphere(c.lonHemisphere);
        ASSERT_TRUE(model.accept());
        EXPECT_EQ(model.latitude, c.expectLat);
        EXPECT_EQ(model.longitude, c.expectLon);
    }
}

TEST(CoordInputDescription, LimitedAndReadOnly) {
    TCoordInput model;
    EXPECT_FALSE(model.descriptionShown());
    const std::string longText(100, 'x');
    model.enableDescription("Wegpunkt", longText, true);
    EXPECT_TRUE(model.descriptionShown());
    EXPECT_EQ(model.descriptionTitle(), "Wegpunkt");
    EXPECT_EQ(model.description(), std::string(80, 'x'));
    model.setDescription("Parkplatz " + longText);
    EXPECT_EQ(model.description().size(), kCoordDescriptionMaxLength);
    EXPECT_EQ(model.description().substr(0, 10), "Parkplatz ");

    TCoordInput readOnly;
    readOnly.enableDescription("Cache", "Gipfelkreuz", false);
    readOnly.setDescription("anders");
    EXPECT_EQ(readOnly.description(), "Gipfelkreuz");
}

TEST(CoordInputTexts, Windows1252Bytes) {
    EXPECT_EQ(std::string(kCoordInputCaption),
              "Geograpische Koordinaten eingeben/\xE4"
              "ndern");
    EXPECT_EQ(std::string(kCoordInputHemisphereGroup),
              "Hemisph\xE4"
              "re");
    EXPECT_EQ(std::string(kLatHemispheres[1]),
              "S\xFC"
              "d");
}

}  // namespace
}  // namespace vellora
