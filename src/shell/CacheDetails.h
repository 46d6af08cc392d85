#pragma once
// The details window "Cache-Details": one cache record in readable form, with its distance and
// direction from the primary home, the converted description's show button and the notes
// buttons; and the comparison of two records that the GPX import shows side by side.
#include <optional>
#include <string>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "core/DialogModel.h"

namespace vellora {

class RunContext;

inline constexpr const char* kCacheDetailsCaption = "Cache-Details";
inline constexpr const char* kFoundLine = "Du hast diesen Cache gefunden";
inline constexpr const char* kShowButton = "Konvertierte Cachebeschreibung im Browser anzeigen";
inline constexpr const char* kNotesHint = "Pers\xF6nliche Informationen zu diesem Cache bearbeiten";
inline constexpr const char* kRemoveHint = "L\xF6scht den angezeigten Cache aus dem aufrufenden Fenster";
inline constexpr const char* kKeepHint = "Mausklick schlie\xDFt dieses Fenster";
inline constexpr int kRatingBarPixelsPerPoint = 18;

// "24. Dezember 2006": two-digit day, ". ", the German month name, " ", four-digit year.
std::string longGermanDate(TDateTime date);
// "1.5" -> "1,5", "2" -> "2,0".
std::string ratingText(const std::string& rating);
// Whole part of rating x 18 pixels; 0 for a text that is no number.
int ratingBarWidth(const std::string& rating);

class TfrmCacheDetails : public DialogModel {
public:
    enum class Result { Closed, Keep, Remove };
    enum class NotesButton { Hidden, NotePresent, NoNote };
    enum class Key { Delete, Other };

    // Which label pairs differ from a second record (shown red).
    struct Differences {
        bool cacheId = false, name = false, hidden = false, coordinates = false, size = false,
             waypoint = false, difficulty = false, terrain = false, country = false;
    };

    explicit TfrmCacheDetails(RunContext& ctx) : ctx_(ctx) {}

    // What the caller sets before open().
    TCacheRec record;
    std::string foundDate;    // "dd.MM.yyyy" or empty
    std::string captionText;  // replaces the found line when not empty
    std::string directory;    // where the converted description is; empty: the output directory tree
    bool removeButtonVisible = false;
    bool keepButtonVisible = false;
    bool notesAllowed = true;

    // Opening (open()) computes every text of the window.

    const std::string& foundLineText() const { return foundLine_; }
    bool foundLineVisible() const { return foundLineVisible_; }
    const std::string& foundDateText() const { return foundDateLine_; }
    bool foundDateVisible() const { return foundDateVisible_; }
    // 0 to 9, or -1 when the type has no picture.
    int typePicture() const { return typePicture_; }
    const std::string& cacheIdText() const { return cacheId_; }
    const std::string& hiddenText() const { return hidden_; }
    const std::string& coordinatesText() const { return coordinates_; }
    const std::string& distanceText() const { return distance_; }
    const std::string& countryText() const { return country_; }
    const std::string& difficultyText() const { return difficulty_; }
    const std::string& terrainText() const { return terrain_; }
    int difficultyBar() const { return difficultyBar_; }
    int terrainBar() const { return terrainBar_; }
    bool showButtonVisible() const { return !convertedPath_.empty(); }
    const std::string& convertedPath() const { return convertedPath_; }
    NotesButton notesButton() const { return notesButton_; }

    // "Konvertierte Cachebeschreibung im Browser anzeigen".
    void showClick();
    // The notes dialog for this cache was closed: the notes button is chosen again.
    void notesChanged();

    Differences compareWith(const TCacheRec& other) const;

    // Closing: a click anywhere, a key without Shift, Ctrl or Alt (Del while the remove button is
    // shown removes), the keep and remove buttons. Keys with a modifier do nothing.
    void click() { result_ = Result::Closed; }
    bool keyPressed(Key key, bool withModifier);
    void keepClick() { result_ = Result::Keep; }
    void removeClick() { result_ = Result::Remove; }
    Result result() const { return result_; }

private:
    void onOpen() override;
    void findConvertedDescription();
    void chooseNotesButton();

    RunContext& ctx_;
    std::string foundLine_, foundDateLine_;
    bool foundLineVisible_ = false, foundDateVisible_ = false;
    int typePicture_ = -1;
    std::string cacheId_, hidden_, coordinates_, distance_, country_, difficulty_, terrain_;
    int difficultyBar_ = 0, terrainBar_ = 0;
    std::string convertedPath_;
    NotesButton notesButton_ = NotesButton::Hidden;
    Result result_ = Result::Closed;
};

}  // namespace vellora
