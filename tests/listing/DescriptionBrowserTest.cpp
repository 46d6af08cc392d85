// The converted description of a page full of active content, opened in headless Chromium. The
// page points everything at a recording server on 127.0.0.1, the only address the browser can
// reach (every name resolves to nothing): the converted description must make it record nothing,
// run no script and still show all the harmless text. The saved page itself, opened the same way,
// shows that the browser would load and run it all.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "HostileListingPage.h"
#include "core/Cp1252.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/RunContext.h"
#include "core/Settings.h"
#include "listing/CreateDescr.h"
#include "support/HeadlessBrowser.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

// A red 24 x 12 PNG: the page's own image, which must still show.
const std::string kLocalImage(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x18\x00\x00\x00\x0c\x08\x02"
    "\x00\x00\x00\xf7\x52\xea\x22\x00\x00\x00\x17\x49\x44\x41\x54\x78\xda\x63\x38\xa3\xa4\x44\x15\xc4\x30"
    "\x6a\xd0\xa8\x41\xa3\x06\xe1\x43\x00\x6d\x60\x32\x10\xf2\x8c\xd3\x36\x00\x00\x00\x00\x49\x45\x4e\x44"
    "\xae\x42\x60\x82",
    80);

class RecordingServer {
public:
    RecordingServer() {
        svr_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                paths_.push_back(req.path);
            }
            const std::string marker = std::string(test::kActiveMarker) + "GELADEN";
            if (req.path.ends_with(".js"))
                res.set_content("document.body.insertAdjacentHTML('beforeend','" + marker + "')",
                                "text/javascript");
            else
                res.set_content("<html><body>" + marker + "</body></html>", "text/html");
        });
        port_ = svr_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { svr_.listen_after_bind(); });
        while (!svr_.is_running()) std::this_thread::yield();
    }
    ~RecordingServer() {
        svr_.stop();
        thread_.join();
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> take() {
        std::lock_guard lock(mutex_);
        return std::exchange(paths_, {});
    }

private:
    httplib::Server svr_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::vector<std::string> paths_;
};

class DescriptionBrowser : public test::HeadlessBrowserTest {
protected:
    // The stand-in server that records requests stays reachable, so that a load would show.
    std::string browse(const std::string& file, const std::string& action) {
        return HeadlessBrowserTest::browse(home.dir.path(), file, action,
                                           "MAP * ~NOTFOUND, EXCLUDE 127.0.0.1");
    }

    test::TestHome home;
    RecordingServer server;
};

TEST_F(DescriptionBrowser, ConvertedDescriptionLoadsNothingAndRunsNothing) {
    home.dir.write("Caches.bin", "");
    home.dir.write("GCEVIL.html", test::hostileListingPage(server.base()));
    home.dir.write("GCEVIL_i1.png", kLocalImage);
    TCreateDescr generator(home.ctx());
    // The removal options off: the cleaner alone has to catch everything.
    TCrDescOptions& o = generator.options;
    o.RmBody = o.RmBGColor = o.RmImg = o.RmStyle = o.RmHREF = o.RmFont = false;
    generator.prepareRun();
    ASSERT_TRUE(generator.loadTemplate());  // the shipped template
    ASSERT_EQ(generator.convertCache("GCEVIL"), 0);

    // The saved page shows what the browser does with such content.
    const std::string rawDom = browse(home.dir.path() + "/GCEVIL.html", "--dump-dom");
    EXPECT_FALSE(server.take().empty()) << "the page itself loads from the recording server";
    EXPECT_NE(rawDom.find(test::kActiveMarker), std::string::npos) << rawDom;

    const std::string converted = home.dir.path() + "/GCEVIL_converted.html";
    const std::string dom = browse(converted, "--dump-dom");
    EXPECT_EQ(server.take(), std::vector<std::string>{});
    EXPECT_EQ(dom.find(test::kActiveMarker), std::string::npos) << dom;
    for (const std::string& text : test::hostilePageTexts())
        EXPECT_NE(dom.find(utf8FromCp1252(text)), std::string::npos) << text;

    const std::string shot = home.dir.path() + "/GCEVIL_converted.png";
    browse(converted, "--screenshot=" + test::shellQuoted(shot));
    EXPECT_EQ(server.take(), std::vector<std::string>{});
    const auto png = readFile(shot);
    ASSERT_TRUE(png && png->starts_with("\x89PNG")) << shot;
    if (const char* dir = std::getenv("VELLORA_SCREENSHOT_DIR"))
        std::filesystem::copy_file(shot, std::string(dir) + "/converted-description-hostile.png",
                                   std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
}  // namespace vellora
