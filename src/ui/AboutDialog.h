#pragma once
// The about window "Programminformation" (also the start-up splash) and the seasonal greeting.
#include <QDialog>

class QPushButton;
class QLabel;

namespace vellora {

class RunContext;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // As a splash the window has no close button and closes itself after 3 seconds.
    AboutDialog(RunContext& ctx, bool splash, QWidget* parent = nullptr);

    bool isSplash() const { return splash_; }
    QLabel* versionLabel() const { return version_; }
    QPushButton* closeButton() const { return close_; }

private:
    bool splash_;
    QLabel* version_ = nullptr;
    QPushButton* close_ = nullptr;
};

// Shows the splash over `over` without waiting; it deletes itself when it closes.
AboutDialog* showSplash(RunContext& ctx, QWidget* over);

class GreetingDialog : public QDialog {
    Q_OBJECT
public:
    explicit GreetingDialog(QWidget* parent = nullptr);
};

}  // namespace vellora
