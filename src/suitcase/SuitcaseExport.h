#pragma once
// The writer of a suitcase: this installation's database, lists, notes and saved listings, section
// by section, into one file through the atomic writer.
#include <functional>
#include <string>
#include <vector>

#include "suitcase/SuitcaseFormat.h"

namespace vellora {

class RunContext;
struct SuitcaseOptions;

class SuitcaseExport {
public:
    using StatusFn = std::function<void(const std::string&)>;
    SuitcaseExport(RunContext& ctx, const SuitcaseOptions& opts, StatusFn status);

    // Writes the file; 0 or the errno of the first failure (failedPath() names its file).
    int writeTo(const std::string& path);
    const std::string& failedPath() const { return failedPath_; }
    // One line per section written.
    const std::string& summary() const { return summary_; }

private:
    struct Page {
        std::string sub, name;
    };
    void fail(int code, const std::string& path);
    void listSection(bool on, const char* fileName, const char* status, const char* what);
    void databaseSection();
    void findsSection();
    void notesSection();
    void descriptionsSection();
    std::vector<Page> collectPages() const;
    // One description block; returns the number of images written.
    std::size_t pageBlock(const Page& page);
    void fileBlock(const std::string& file);

    RunContext& ctx_;
    const SuitcaseOptions& opts_;
    StatusFn status_;
    SuitcaseWriter w_;
    int code_ = 0;
    std::string failedPath_, summary_;
};

}  // namespace vellora
