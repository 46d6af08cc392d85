#pragma once
// The main window's tool commands and their views: the distance and projection calculator (its
// numbers kept for the run), UTM conversion and the route corridor search with its type filter.
#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "shell/MainWindow.h"
#include "tools/Calculator.h"
#include "tools/RouteSearch.h"

class QWidget;

namespace vellora {

class RunContext;

class ToolCommands : public QObject {
    Q_OBJECT
public:
    // window: the main window, which the dialogs are centred over and which owns this object.
    ToolCommands(RunContext& ctx, QWidget* window);

    // Adds the tool commands to the window's command table (after its other rows are in).
    static void wire(RunContext& ctx, QWidget* window, CommandTable& handlers);

    void calculator(CalculatorModel::Page page);
    void utm();
    // The route search; after a transfer asks whether to show the work list and runs openWorkList on yes.
    void routeCaches(const std::function<void()>& openWorkList);

    // The name search the cache search buttons use ("Cache nach Name suchen").
    std::function<std::optional<std::string>()> chooseCache;

    CalculatorModel& calculatorModel() { return calculator_; }
    RouteTypeFilter& routeFilter() { return filter_; }

private:
    RunContext& ctx_;
    QWidget* window_;
    CalculatorModel calculator_;
    RouteTypeFilter filter_;
};

}  // namespace vellora
