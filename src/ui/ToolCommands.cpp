#include "ui/ToolCommands.h"

#include <QWidget>

#include "core/Host.h"
#include "core/RunContext.h"
#include "ui/CalculatorDialog.h"
#include "ui/DialogUtil.h"
#include "ui/NameSearchDialog.h"
#include "ui/RouteDialog.h"
#include "ui/UtmDialog.h"

namespace vellora {

ToolCommands::ToolCommands(RunContext& ctx, QWidget* window)
    : QObject(window), ctx_(ctx), window_(window), calculator_(ctx) {
    chooseCache = [this] { return chooseCacheByName(ctx_, window_); };
}

void ToolCommands::wire(RunContext& ctx, QWidget* window, CommandTable& handlers) {
    auto* tools = new ToolCommands(ctx, window);
    handlers.add(Cmd::Distance, [tools] { tools->calculator(CalculatorModel::Page::Distance); });
    handlers.add(Cmd::ProjectWaypoints, [tools] { tools->calculator(CalculatorModel::Page::Projection); });
    handlers.add(Cmd::Utm, [tools] { tools->utm(); });
    // The work list window, when the table has it by the time the route search is used.
    handlers.add(Cmd::RouteCaches, [tools, &handlers] {
        std::function<void()> openWorkList;
        if (handlers.enabled(Cmd::WorkList)) openWorkList = [&handlers] { handlers.run(Cmd::WorkList); };
        tools->routeCaches(openWorkList);
    });
}

void ToolCommands::calculator(CalculatorModel::Page page) {
    calculator_.page = page;
    CalculatorDialog dialog(calculator_, ctx_.settings.ShowTooltips, window_, chooseCache);
    execCentred(dialog, window_);
}

void ToolCommands::utm() {
    UtmDialog dialog(ctx_, window_, chooseCache);
    execCentred(dialog, window_);
}

void ToolCommands::routeCaches(const std::function<void()>& openWorkList) {
    bool transferred = false;
    {
        RouteDialog dialog(ctx_, filter_, window_);
        execCentred(dialog, window_);
        transferred = dialog.model().transferred();
    }
    if (!transferred) return;
    if (ctx_.host().message(MsgKind::Confirmation, MsgButtons::YesNo, RouteSearchModel::kTransferQuestion) ==
            MsgResult::Yes &&
        openWorkList)
        openWorkList();
}

}  // namespace vellora
