#include "ui/ListingCommands.h"

#include "core/RunContext.h"
#include "ui/BatchRunner.h"
#include "ui/CreateDescrDialog.h"
#include "ui/DialogUtil.h"
#include "ui/EditorDialog.h"
#include "ui/IndexDialog.h"
#include "ui/LoadHTMLDialog.h"

namespace vellora {

// The batch's steps: each opens its dialog's view in batch mode and returns when it has closed.
class ListingCommands::LoaderStage : public BatchStage {
public:
    LoaderStage(RunContext& ctx, TfrmLoadHTML& model, QWidget* window)
        : ctx_(ctx), model_(model), window_(window) {}
    void runUnattended() override {
        model_.setAutoLoad(true);
        model_.FormShow();
        {
            LoadHTMLDialog dialog(ctx_, model_, window_);
            execCentred(dialog, window_);
        }
        if (!model_.closed()) model_.close();
        model_.setAutoLoad(false);
    }
    int runState() const override { return model_.runState(); }
    void resetRunState() override { model_.resetRunState(); }
    bool endedWithError() const override { return model_.errorFlag(); }

private:
    RunContext& ctx_;
    TfrmLoadHTML& model_;
    QWidget* window_;
};

class ListingCommands::GeneratorStage : public BatchStage {
public:
    GeneratorStage(RunContext& ctx, TCreateDescr& model, QWidget* window)
        : ctx_(ctx), model_(model), window_(window) {}
    void runUnattended() override {
        model_.formShow();
        CreateDescrDialog dialog(ctx_, model_, true, window_);
        execCentred(dialog, window_);
        model_.close();
    }
    int runState() const override { return model_.state(); }
    void resetRunState() override { model_.resetState(); }

private:
    RunContext& ctx_;
    TCreateDescr& model_;
    QWidget* window_;
};

class ListingCommands::IndexStage : public BatchStage {
public:
    IndexStage(RunContext& ctx, TfrmIndex& model, QWidget* window)
        : ctx_(ctx), model_(model), window_(window) {}
    void runUnattended() override {
        model_.setAutoLoad(true);
        model_.FormShow();
        {
            IndexDialog dialog(ctx_, model_, window_);
            execCentred(dialog, window_);
        }
        if (model_.isOpen()) model_.FormClose();
        model_.setAutoLoad(false);
    }
    int runState() const override { return model_.runState(); }
    void resetRunState() override { model_.resetRunState(); }

private:
    RunContext& ctx_;
    TfrmIndex& model_;
    QWidget* window_;
};

ListingCommands::ListingCommands(RunContext& ctx, QWidget* window, std::function<void()> reloadTree,
                                 std::function<void()> reloadList)
    : QObject(window),
      ctx_(ctx),
      window_(window),
      reloadList_(std::move(reloadList)),
      loader_(ctx),
      generator_(ctx),
      index_(ctx) {
    loaderStage_ = std::make_unique<LoaderStage>(ctx, loader_, window);
    generatorStage_ = std::make_unique<GeneratorStage>(ctx, generator_, window);
    indexStage_ = std::make_unique<IndexStage>(ctx, index_, window);
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
