#pragma once
// The download window of the cache-database and update commands for tests: records what it was
// asked to show instead of showing it.
#include <string>
#include <vector>

#include "import/GCDBReader.h"
#include "net/LoadURL.h"

namespace vellora::test {

class RecordingLoadWindow : public TCacheDBLoadWindow, public TLoadWindowView {
public:
    void open(const std::string& task, const std::string& content, bool abortVisible) override {
        opened.push_back(task + "|" + content + "|" + (abortVisible ? "abort" : "-"));
        isOpen = true;
    }
    void close() override { isOpen = false; }
    TLoadWindowView& view() override { return *this; }
    void showProtocol() override { protocol.clear(); }
    void addProtocolLine(const std::string& line) override { protocol.push_back(line); }
    void setSubTask(const std::string& text) override { subTasks.push_back(text); }
    void showStatistics() override {}

    std::vector<std::string> opened, protocol, subTasks;
    bool isOpen = false;
};

}  // namespace vellora::test
