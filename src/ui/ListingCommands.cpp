#include "ui/ListingCommands.h"

#include "core/RunContext.h"
#include "shell/LoadHTMLStage.h"
#include "ui/BatchRunner.h"
#include "ui/CreateDescrDialog.h"
#include "ui/DialogUtil.h"
#include "ui/EditorDialog.h"
#include "ui/IndexDialog.h"
#include "ui/LoadHTMLDialog.h"

namespace vellora {

namespace {

// The batch's steps show their dialog's view modally; the view's start timer runs the model.
template <class View, class Model>
DialogBatchStage::ShowView showModal(RunContext& ctx, QWidget* window) {
    return [&ctx, window](DialogModel& model) {
        View dialog(ctx, static_cast<Model&>(model), window);
        execCentred(dialog, window);
    };
}

}  // namespace

ListingCommands::ListingCommands(RunContext& ctx, QWidget* window, std::function<void()> reloadTree,
                                 std::function<void()> reloadList)
    : QObject(window),
      ctx_(ctx),
      window_(window),
      reloadList_(std::move(reloadList)),
      loader_(ctx),
      generator_(ctx),
      index_(ctx) {
    loaderStage_ = std::make_unique<DialogBatchStage>(
        loaderBatchStage(loader_, showModal<LoadHTMLDialog, TfrmLoadHTML>(ctx, window)));
    generatorStage_ = std::make_unique<DialogBatchStage>(
        generator_, showModal<CreateDescrDialog, TCreateDescr>(ctx, window));
    indexStage_ = std::make_unique<DialogBatchStage>(index_, showModal<IndexDialog, TfrmIndex>(ctx, window));
    batch_ = std::make_unique<BatchRunner>(
        ctx, ctx.host(), TBatch::Stages{loaderStage_.get(), generatorStage_.get(), indexStage_.get()},
        std::move(reloadTree), this);
}

ListingCommands::~ListingCommands() = default;

void ListingCommands::loadListings() {
    openLoadHTMLWindow(ctx_, loader_, window_);
}

void ListingCommands::reloadListings(const std::vector<std::string>& waypoints) {
    if (waypoints.empty()) return;
    loader_.setManualList(waypoints);
    openLoadHTMLWindow(ctx_, loader_, window_);
}

bool ListingCommands::createDescriptions() {
    const bool ok = openCreateDescrDialog(ctx_, generator_, window_);
    if (ok && reloadList_) reloadList_();
    return ok;
}

bool ListingCommands::createIndex(const std::optional<std::string>& dir) {
    const bool ok = openIndexDialog(ctx_, index_, window_, dir);
    // The list's menu says whether the index is outdated; it must see the file just written.
    if (ok && reloadList_) reloadList_();
    return ok;
}

bool ListingCommands::editLongDescription(const std::string& dir, const std::string& waypoint) {
    return vellora::editLongDescription(ctx_, dir, waypoint, window_);
}

void ListingCommands::startBatch() {
    batch_->start();
}

void ListingCommands::generateAllUnattended() {
    generator_.choice = 1;
    batch_->runGeneratorOnly();
}

}  // namespace vellora
