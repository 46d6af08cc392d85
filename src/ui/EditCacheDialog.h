#pragma once
// The cache editor "Cache editieren" bound to TfrmEditCache, in search mode (from the main window)
// or fixed mode (a record handed over by the work-list editor, whose waypoint stays).
#include <QDialog>

#include "core/DialogModel.h"
#include "import/EditCache.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vellora {

class EditCacheDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    // The model is opened by the caller (TfrmEditCache::open or EditCache).
    EditCacheDialog(TfrmEditCache& model, RunContext& ctx, QWidget* parent = nullptr);
    ~EditCacheDialog() override;

    QLineEdit* searchField() const { return search_; }
    QPushButton* searchButton() const { return searchButton_; }
    QLabel* idLabel() const { return id_; }
    QLineEdit* nameField() const { return name_; }
    QLineEdit* waypointField() const { return waypoint_; }
    QComboBox* typeChoice() const { return type_; }
    QComboBox* sizeChoice() const { return size_; }
    QComboBox* difficultyChoice() const { return difficulty_; }
    QComboBox* terrainChoice() const { return terrain_; }
    QComboBox* countryChoice() const { return country_; }
    QPushButton* coordButton() const { return coordButton_; }
    QLabel* coordLabel() const { return coords_; }
    QDateEdit* hiddenDate() const { return date_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* eraseButton() const { return erase_; }
    QPushButton* newButton() const { return new_; }
    QPushButton* closeButton() const { return close_; }

private:
    void refresh();
    void modelChanged() override { refresh(); }
    void saveClicked();
    void closeClicked();

    TfrmEditCache& model_;
    RunContext& ctx_;
    bool updating_ = false;
    QLineEdit* search_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QLabel* id_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* waypoint_ = nullptr;
    QComboBox* type_ = nullptr;
    QComboBox* size_ = nullptr;
    QComboBox* difficulty_ = nullptr;
    QComboBox* terrain_ = nullptr;
    QComboBox* country_ = nullptr;
    QPushButton* coordButton_ = nullptr;
    QLabel* coords_ = nullptr;
    QDateEdit* date_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* erase_ = nullptr;
    QPushButton* new_ = nullptr;
    QPushButton* close_ = nullptr;
};

// Shows the editor modally over `over` and returns the record in its state when it closed.
TCacheRec editCache(RunContext& ctx, const TCacheRec& rec, bool searchMode, QWidget* over);

}  // namespace vellora
