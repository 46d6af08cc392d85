#pragma once
// The main window's work-list command "Arbeits-, Fund- und Ignoreliste" and the loader's
// "bearbeiten": both open the collector window.
#include <functional>

class QWidget;

namespace vellora {

class RunContext;
class TfrmLoadHTML;

// The handler of the menu item: the collector window, then the caller's status refresh.
std::function<void()> workListCommand(RunContext& ctx, QWidget* window, std::function<void()> refreshStatus);
// Lets the loader's "bearbeiten" open the collector window.
void wireLoaderEditButton(TfrmLoadHTML& loader, RunContext& ctx, QWidget* window);

}  // namespace vellora
