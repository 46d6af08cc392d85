#pragma once
// The details window "Cache-Details" bound to TfrmCacheDetails.
#include <QDialog>
#include <QPixmap>
#include <map>

#include "shell/CacheDetails.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace vellora {

class CacheDetailsDialog : public QDialog {
    Q_OBJECT
public:
    CacheDetailsDialog(RunContext& ctx, QWidget* parent = nullptr);

    // The caller fills model()'s inputs, then calls refresh() before showing the window.
    TfrmCacheDetails& model() { return model_; }
    void refresh();
    // Marks in red every label pair whose value differs from the other record.
    void markDifferences(const TCacheRec& other);

    // Controls by the system's names ("lblCacheName", "btnShow", "btnNoteNone", ...), for tests.
    QLabel* label(const char* name) const;
    QPushButton* showButton() const { return show_; }
    QPushButton* notePresentButton() const { return notePresent_; }
    QPushButton* noNoteButton() const { return noNote_; }
    QPushButton* keepButton() const { return keep_; }
    QPushButton* removeButton() const { return remove_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLabel* addLabel(const char* name, QWidget* parent);
    void openNotes();
    void finish();
    void setRed(const char* name, bool red);

    RunContext& ctx_;
    TfrmCacheDetails model_;
    std::map<std::string, QLabel*> labels_;
    QPushButton* show_ = nullptr;
    QPushButton* notePresent_ = nullptr;
    QPushButton* noNote_ = nullptr;
    QPushButton* keep_ = nullptr;
    QPushButton* remove_ = nullptr;
};

// A rating bar of the given width: gold stars, 18 pixels each, cut at the width.
QPixmap ratingBarPixmap(int width);

// Shows one record's details modally over `over` (the description list's use: no keep or remove
// button) and returns the result.
TfrmCacheDetails::Result showCacheDetails(RunContext& ctx, const TCacheRec& rec, const std::string& directory,
                                          QWidget* over);

}  // namespace vellora
