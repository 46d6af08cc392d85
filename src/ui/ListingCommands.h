#pragma once
// The main window's commands of the listing pipeline: "&Cachebeschreibungen laden",
// "&Cachebeschreibungen erzeugen", "&Indexseite erzeugen" and "Batch (Laden / Konvertieren / Index
// erzeugen)", and what the output directory browser asks of them (reloading marked listings, the
// index of a subdirectory, the long-description editor). The three dialog models live as long as
// the window, so that their options keep their state between openings; the batch opens their views
// one after the other in batch mode.
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "listing/CreateDescr.h"
#include "listing/Index.h"
#include "listing/LoadHTML.h"
#include "shell/Batch.h"

class QWidget;

namespace vellora {

class BatchRunner;
class RunContext;

class ListingCommands : public QObject {
    Q_OBJECT
public:
    // window: what the dialogs are centred over; reloadTree: the main window's reload of the
    // output directory tree (at the start of a batch); reloadList: its reload of the list (after
    // the generator ended with OK).
    ListingCommands(RunContext& ctx, QWidget* window, std::function<void()> reloadTree,
                    std::function<void()> reloadList);
    ~ListingCommands() override;

    // mpLoadHTMLClick
    void loadListings();
    // The browser's "reload marked": the waypoints are loaded again, replacing their pages.
    void reloadListings(const std::vector<std::string>& waypoints);
    // mnuCreateDescrptionsClick; true when the dialog ended with OK.
    bool createDescriptions();
    // Indexseiteerzeugen1Click (no directory) and the browser's index of a subdirectory.
    bool createIndex(const std::optional<std::string>& dir = std::nullopt);
    // The browser's "Langbeschreibung editieren".
    bool editLongDescription(const std::string& dir, const std::string& waypoint);
    // mnuBatchClick
    void startBatch();
    // The suitcase follow-up: the generator alone, unattended, over every cache of the output
    // directory.
    void generateAllUnattended();

    TfrmLoadHTML& loader() { return loader_; }
    TCreateDescr& generator() { return generator_; }
    TfrmIndex& index() { return index_; }
    BatchRunner& batch() { return *batch_; }

private:
    RunContext& ctx_;
    QWidget* window_;
    std::function<void()> reloadList_;
    TfrmLoadHTML loader_;
    TCreateDescr generator_;
    TfrmIndex index_;
    std::unique_ptr<DialogBatchStage> loaderStage_, generatorStage_, indexStage_;
    std::unique_ptr<BatchRunner> batch_;
};

}  // namespace vellora
