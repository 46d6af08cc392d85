// The HTTP fetch service against small servers started in this process on 127.0.0.1.
#include "net/LoadURL.h"

#include <gtest/gtest.h>

#include <httplib.h>
#include <functional>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

#include "core/FileUtil.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::ScriptedHost;
using test::TempDir;
using test::TestHome;

std::string byteRamp(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 256);
    return s;
}

struct SeenRequest {
    std::string method, target, userAgent, accept, contentType;
};

// One server on a free loopback port, serving the paths the tests need.
class TestServer {
public:
    TestServer() {
        svr_.set_keep_alive_timeout(1);
        // Recorded before the answer goes out, so a test sees every request it has got an answer to.
        svr_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
            std::lock_guard lock(mutex_);
            seen_.push_back({req.method, req.target, req.get_header_value("User-Agent"),
                             req.get_header_value("Accept"), req.get_header_value("Content-Type")});
            return httplib::Server::HandlerResponse::Unhandled;
        });
        svr_.Get("/text",
                 [](const auto&, auto& res) { res.set_content("Hallo Welt\nZeile 2", "text/plain"); });
        svr_.Get("/lines", [](const auto&, auto& res) { res.set_content("a\nb\r\nc\rd", "text/plain"); });
        svr_.Get("/binary", [](const auto&, auto& res) { res.set_content(byteRamp(300000), "image/jpeg"); });
        svr_.Get("/empty", [](const auto&, auto& res) { res.set_content("", "text/plain"); });
        svr_.Post("/form",
                  [](const auto& req, auto& res) { res.set_content("echo:" + req.body, "text/html"); });
        svr_.Get("/missing", [](const auto&, auto& res) {
            res.status = 404;
            res.set_content("not here", "text/html");
        });
        svr_.Get("/error", [](const auto&, auto& res) {
            res.status = 500;
            res.set_content("broken", "text/html");
        });
        svr_.Get("/redirect", [](const auto&, auto& res) { res.set_redirect("/text"); });
        svr_.Get("/redirect-twice", [this](const auto&, auto& res) { res.set_redirect(url("/redirect")); });
        svr_.Get("/redirect-file", [](const auto&, auto& res) { res.set_redirect("file:///etc/hostname"); });
        svr_.Get("/redirect-ftp", [](const auto&, auto& res) { res.set_redirect("ftp://127.0.0.1/x"); });
        svr_.Get("/loop", [](const auto&, auto& res) { res.set_redirect("/loop"); });
        svr_.Get("/big",
                 [](const auto&, auto& res) { res.set_content(std::string(5000, 'x'), "text/plain"); });
        svr_.Get("/big-chunked", [](const auto&, auto& res) {
            res.set_chunked_content_provider("text/plain", [](std::size_t, httplib::DataSink& sink) {
                const std::string piece(1000, 'y');
                for (int i = 0; i < 5; ++i) {
                    if (!sink.write(piece.data(), piece.size())) return false;
                }
                sink.done();
                return true;
            });
        });
        // Declares 1000 bytes, sends 400 and drops the connection.
        svr_.Get("/cut", [](const auto&, auto& res) {
            res.set_content_provider(1000, "application/zip",
                                     [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                         if (offset >= 400) return false;
                                         const std::string piece(400, 'z');
                                         return sink.write(piece.data(), piece.size());
                                     });
        });
        // A body that trickles for a long time, or headers and then nothing.
        svr_.Get("/slow", [this](const auto&, auto& res) {
            res.set_chunked_content_provider("text/plain", [this](std::size_t, httplib::DataSink& sink) {
                for (int i = 0; i < 400 && !stopping_; ++i) {
                    if (!sink.write("0123456789", 10)) return false;
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
                sink.done();
                return true;
            });
        });
        svr_.Get("/stall", [this](const auto&, auto& res) {
            res.set_chunked_content_provider("text/plain", [this](std::size_t, httplib::DataSink& sink) {
                for (int i = 0; i < 400 && !stopping_ && sink.is_writable(); ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
                sink.done();
                return true;
            });
        });
        start();
    }

    // A server that answers every request itself, as a proxy would, naming the target it got.
    struct AsProxy {};
    explicit TestServer(AsProxy) {
        svr_.set_keep_alive_timeout(1);
        const auto answer = [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                seen_.push_back({req.method, req.target, req.get_header_value("User-Agent"), "", ""});
            }
            res.set_content("via proxy: " + req.target, "text/plain");
        };
        svr_.Get(".*", answer);
        svr_.Post(".*", answer);
        start();
    }

    ~TestServer() {
        stopping_ = true;
        svr_.stop();
        thread_.join();
    }

    int port() const { return port_; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::vector<SeenRequest> seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    void start() {
        port_ = svr_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { svr_.listen_after_bind(); });
        while (!svr_.is_running()) std::this_thread::yield();
    }

    httplib::Server svr_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<SeenRequest> seen_;
};

// Records the notifications as "begin N", "work N", "end".
class RecordingProgress : public THttpProgress {
public:
    void workBegin(std::int64_t total) override { log.push_back("begin " + std::to_string(total)); }
    void work(std::int64_t count) override {
        log.push_back("work " + std::to_string(count));
        last = count;
    }
    void workEnd() override { log.push_back("end"); }
    std::vector<std::string> log;
    std::int64_t last = 0;
};

// Every entry of a directory, hidden ones included.
std::vector<std::string> entriesOf(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class LoadURLTest : public ::testing::Test {
protected:
    TestServer server;
    ScriptedHost host;
};

TEST_F(LoadURLTest, FetchesTextAndBinaryWithTheClientsHeaders) {
    THttpClient loader(host, kLoaderClient);
    EXPECT_EQ(loader.getText(server.url("/text")), "Hallo Welt\nZeile 2");
    EXPECT_EQ(loader.getText(server.url("/binary")), byteRamp(300000));
    EXPECT_EQ(loader.getText(server.url("/empty")), "");
    THttpClient urlLoader(host, kUrlLoaderClient);
    EXPECT_EQ(urlLoader.getText(server.url("/text")), "Hallo Welt\nZeile 2");

    const auto seen = server.seen();
    ASSERT_EQ(seen.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(seen[i].userAgent, "Mozilla/6.0 (compatible; Indy Library)");
    EXPECT_EQ(seen[3].userAgent, "Mozilla/3.0 (compatible; Indy Library)");
    for (const auto& r : seen) EXPECT_EQ(r.accept, "text/html, */*");
}

TEST_F(LoadURLTest, PostsTheFormBodyAsGiven) {
    THttpClient client(host, kUrlLoaderClient);
    const std::string body = "__EVENTTARGET=ResultsPager%3a_ctl5&__EVENTARGUMENT=&__VIEWSTATE=dDw%2b+x";
    EXPECT_EQ(client.postForm(server.url("/form"), body), "echo:" + body);
    const std::string big(8000, 'f');
    EXPECT_EQ(client.postForm(server.url("/form"), big), "echo:" + big);
    const auto seen = server.seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].method, "POST");
    EXPECT_EQ(seen[0].contentType, "application/x-www-form-urlencoded");
}

TEST_F(LoadURLTest, FollowsOnlyHttpRedirectsAndOnlyForTheLoader) {
    THttpClient loader(host, kLoaderClient);
    EXPECT_EQ(loader.getText(server.url("/redirect")), "Hallo Welt\nZeile 2");
    EXPECT_EQ(loader.getText(server.url("/redirect-twice")), "Hallo Welt\nZeile 2");
    struct Case {
        const char* path;
        EHttpError::Kind kind;
    };
    for (const Case& c : {Case{"/redirect-file", EHttpError::Kind::Transport},
                          {"/redirect-ftp", EHttpError::Kind::Transport},
                          {"/loop", EHttpError::Kind::Transport}}) {
        SCOPED_TRACE(c.path);
        try {
            loader.getText(server.url(c.path));
            ADD_FAILURE() << "no error";
        } catch (const EHttpError& e) {
            EXPECT_EQ(e.kind(), c.kind);
            EXPECT_NE(std::string(e.what()), "");
        }
    }
    THttpClient urlLoader(host, kUrlLoaderClient);
    try {
        urlLoader.getText(server.url("/redirect"));
        ADD_FAILURE() << "no error";
    } catch (const EHttpError& e) {
        EXPECT_EQ(e.kind(), EHttpError::Kind::Status);
        EXPECT_EQ(e.status(), 302);
        EXPECT_EQ(std::string(e.what()), "HTTP/1.1 302 Found");
    }
    // A start address other than http or https is never fetched.
    EXPECT_THROW(loader.getText("file:///etc/hostname"), EHttpError);
}

TEST_F(LoadURLTest, ReportsErrorAnswersAndOverlongBodies) {
    THttpClient client(host, kLoaderClient);
    client.limits.maxTextBytes = 4096;
    struct Case {
        std::string url;
        EHttpError::Kind kind;
        std::string message;
    };
    const Case cases[] = {
        {server.url("/missing"), EHttpError::Kind::Status, "HTTP/1.1 404 Not Found"},
        {server.url("/error"), EHttpError::Kind::Status, "HTTP/1.1 500 Internal Server Error"},
        {server.url("/big"), EHttpError::Kind::TooLong,
         "Die Antwort des Servers ist l\xE4nger als 4096 Bytes"},
        {server.url("/big-chunked"), EHttpError::Kind::TooLong,
         "Die Antwort des Servers ist l\xE4nger als 4096 Bytes"},
        {server.url("/cut"), EHttpError::Kind::Transport, ""},
        {"http://127.0.0.1:1/nothing-listens-here", EHttpError::Kind::Transport, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        RecordingProgress progress;
        client.setProgress(&progress);
        try {
            client.getText(c.url);
            ADD_FAILURE() << "no error";
        } catch (const EHttpError& e) {
            EXPECT_EQ(e.kind(), c.kind);
            if (!c.message.empty()) {
                EXPECT_EQ(std::string(e.what()), c.message);
            }
            EXPECT_NE(std::string(e.what()), "");
        }
        // Progress that began also ends.
        if (!progress.log.empty()) {
            EXPECT_EQ(progress.log.back(), "end");
        }
    }
    client.setProgress(nullptr);
    client.limits.maxTextBytes = 5000;  // exactly the size is still fine
    EXPECT_EQ(client.getText(server.url("/big")).size(), 5000u);
}

TEST_F(LoadURLTest, ProgressComesInOrderAndLetsEventsRun) {
    THttpClient client(host, kLoaderClient);
    RecordingProgress progress;
    client.setProgress(&progress);
    client.getText(server.url("/binary"));
    ASSERT_GE(progress.log.size(), 3u);
    EXPECT_EQ(progress.log.front(), "begin 300000");
    EXPECT_EQ(progress.log.back(), "end");
    std::int64_t previous = 0;
    for (std::size_t i = 1; i + 1 < progress.log.size(); ++i) {
        ASSERT_EQ(progress.log[i].rfind("work ", 0), 0u) << progress.log[i];
        const std::int64_t n = std::stoll(progress.log[i].substr(5));
        EXPECT_GT(n, previous);
        previous = n;
    }
    EXPECT_EQ(previous, 300000);
    EXPECT_GE(host.processEventsCalls, 2);

    progress.log.clear();
    client.getText(server.url("/empty"));
    EXPECT_EQ(progress.log, (std::vector<std::string>{"begin 0", "end"}));
    progress.log.clear();
    EXPECT_THROW(client.getText(server.url("/missing")), EHttpError);
    EXPECT_TRUE(progress.log.empty());

    // On the host: the wait display follows begin, work and end.
    THostProgress onHost(host, "Binary: x");
    client.setProgress(&onHost);
    host.progressLog.clear();
    client.getText(server.url("/text"));
    ASSERT_GE(host.progressLog.size(), 3u);
    EXPECT_EQ(host.progressLog.front(), "begin Binary: x 18");
    EXPECT_EQ(host.progressLog[host.progressLog.size() - 2], "pos 18");
    EXPECT_EQ(host.progressLog.back(), "end");
}

TEST_F(LoadURLTest, AbortEndsATransferThatIsStillRunning) {
    // The server would send for 20 seconds; the abort must end the transfer long before, or the
    // request would succeed.
    struct Case {
        const char* path;
        bool afterData;
    };
    for (const Case& c : {Case{"/slow", true}, {"/stall", false}}) {
        SCOPED_TRACE(c.path);
        THttpClient client(host, kLoaderClient);
        RecordingProgress progress;
        client.setProgress(&progress);
        int polls = 0;
        client.setAbortCheck([&] { return c.afterData ? progress.last >= 30 : ++polls > 5; });
        try {
            client.getText(server.url(c.path));
            ADD_FAILURE() << "not aborted";
        } catch (const EHttpError& e) {
            EXPECT_EQ(e.kind(), EHttpError::Kind::Aborted);
        }
    }
    // Through the host's abort request, as the loader window wires it.
    THttpClient client(host, kLoaderClient);
    host.abortAtPoll(3);
    client.setAbortCheck([this] { return host.abortRequested(); });
    EXPECT_THROW(client.getText(server.url("/stall")), EHttpError);
}

TEST_F(LoadURLTest, EndsADeadTransfer) {
    THttpClient client(host, kLoaderClient);
    client.limits.lowSpeedSeconds = 1;
    client.limits.lowSpeedBytes = 1;
    try {
        client.getText(server.url("/stall"));
        ADD_FAILURE() << "no error";
    } catch (const EHttpError& e) {
        EXPECT_EQ(e.kind(), EHttpError::Kind::Transport);
    }
}

// A server trickling above the low-speed limit is still ended: the whole transfer has a time limit
// derived from its size limit (the server here would send for 20 seconds and succeed).
TEST_F(LoadURLTest, EndsATrickleAtItsOverallTimeLimit) {
    THttpClient client(host, kLoaderClient);
    client.limits.maxTextBytes = 1u << 20;
    client.limits.secondsPerMB = 1;
    client.limits.minTotalSeconds = 1;
    try {
        client.getText(server.url("/slow"));
        ADD_FAILURE() << "no error";
    } catch (const EHttpError& e) {
        EXPECT_EQ(e.kind(), EHttpError::Kind::Transport);
        EXPECT_NE(std::string(e.what()).find("Zeit\xFC"
                                             "berschreitung"),
                  std::string::npos)
            << e.what();
    }
}

// Ctrl-C on the console ends transfers nobody set an abort check for, and leaves no partial file.
TEST_F(LoadURLTest, TheInterruptFlagEndsATransferAndRemovesItsFile) {
    static volatile std::sig_atomic_t interrupted = 0;
    class InterruptingHost : public ScriptedHost {
    public:
        void processEvents() override {
            ScriptedHost::processEvents();
            if (processEventsCalls == 5) interrupted = 1;
        }
    } interruptingHost;
    interrupted = 0;
    setTransferInterruptFlag(&interrupted);
    TempDir dir;
    THttpClient client(interruptingHost, kLoaderClient);
    try {
        client.getToFile(server.url("/slow"), dir.file("part.txt"));
        ADD_FAILURE() << "not aborted";
    } catch (const EHttpError& e) {
        EXPECT_EQ(e.kind(), EHttpError::Kind::Aborted);
    }
    setTransferInterruptFlag(nullptr);
    EXPECT_TRUE(listFiles(dir.path(), "*").empty());
}

TEST_F(LoadURLTest, UsesTheProxy) {
    TestServer proxy{TestServer::AsProxy{}};
    THttpClient client(host, kLoaderClient);
    client.setProxy(TProxySetting{"127.0.0.1", proxy.port()});
    const std::string target = server.url("/text");
    EXPECT_EQ(client.getText(target), "via proxy: " + target);
    EXPECT_EQ(client.postForm(target, "a=b"), "via proxy: " + target);
    client.setProxy(std::nullopt);
    EXPECT_EQ(client.getText(target), "Hallo Welt\nZeile 2");
    const auto atProxy = proxy.seen();
    ASSERT_EQ(atProxy.size(), 2u);
    EXPECT_EQ(atProxy[0].target, target);  // the absolute form a proxy gets
    EXPECT_EQ(atProxy[0].userAgent, "Mozilla/6.0 (compatible; Indy Library)");
    EXPECT_EQ(server.seen().size(), 1u);
}

TEST_F(LoadURLTest, ARequestDuringARequestIsRefused) {
    class ReenteringHost : public ScriptedHost {
    public:
        void processEvents() override {
            ScriptedHost::processEvents();
            if (client && !tried) {
                tried = true;
                try {
                    client->getText(url);
                } catch (const EHttpError& e) {
                    error = e.what();
                }
            }
        }
        THttpClient* client = nullptr;
        std::string url, error;
        bool tried = false;
    } reentering;
    THttpClient client(reentering, kLoaderClient);
    reentering.client = &client;
    reentering.url = server.url("/text");
    EXPECT_EQ(client.getText(server.url("/binary")).size(), 300000u);
    EXPECT_EQ(reentering.error, "Es l\xE4uft bereits eine Anfrage");
}

TEST(ProxyText, FollowsTheConfigurationRules) {
    struct Case {
        const char* text;
        std::optional<TProxySetting> proxy;
    };
    const Case cases[] = {
        {"", std::nullopt},
        {"http://proxy.example.org:3128", TProxySetting{"proxy.example.org", 3128}},
        {"proxy.example.org:3128", TProxySetting{"proxy.example.org", 3128}},
        {"proxy.example.org", TProxySetting{"proxy.example.org", 80}},
        {"http://proxy", TProxySetting{"proxy", 80}},
        {"10.0.0.1:0008", TProxySetting{"10.0.0.1", 8}},
    };
    for (const Case& c : cases) EXPECT_EQ(parseProxyText(c.text), c.proxy) << c.text;
    for (const char* bad :
         {"proxy:31a8", "proxy:", "proxy:-1", "proxy:99999", "http://proxy: 80", "proxy:8080:1"}) {
        try {
            parseProxyText(bad);
            ADD_FAILURE() << bad;
        } catch (const EHttpError& e) {
            EXPECT_EQ(e.kind(), EHttpError::Kind::Config) << bad;
            EXPECT_STREQ(e.className(), "EConvertError");
        }
    }
}

std::vector<std::string> debugLines(TestHome& home) {
    std::vector<std::string> lines;
    const auto text = readFile(home.ctx().programDirPath() + "debug.log");
    if (!text) return lines;
    std::size_t pos = 0;
    while (pos < text->size()) {
        const std::size_t end = text->find("\r\n", pos);
        lines.push_back(text->substr(pos + 18, end - pos - 18));  // without the time stamp
        pos = end + 2;
    }
    return lines;
}

TEST(InitializeHTTP, SetsTheProxyFromTheSettings) {
    TestHome home;
    home.ctx().debugMode = true;
    THttpClient client(home.host);
    struct Case {
        bool useProxy;
        const char* server;
        std::optional<TProxySetting> proxy;
        const char* line;
    };
    const Case cases[] = {
        {true, "http://cache.proxy.de:3128", TProxySetting{"cache.proxy.de", 3128},
         "INF: frmLoadHTML.initializeHTTP: proxy required: cache.proxy.de, Port:3128"},
        {true, "cache.proxy.de", TProxySetting{"cache.proxy.de", 80},
         "INF: frmLoadHTML.initializeHTTP: proxy required: cache.proxy.de, Port:80"},
        {false, "cache.proxy.de:3128", std::nullopt, "INF: frmLoadHTML.initializeHTTP: no proxy required"},
        {true, "", std::nullopt, "INF: frmLoadHTML.initializeHTTP: no proxy required"},
    };
    for (const Case& c : cases) {
        home.ctx().settings.UseProxy = c.useProxy;
        home.ctx().settings.ProxyServer = c.server;
        initializeHTTP(home.ctx(), client);
        EXPECT_EQ(client.proxy(), c.proxy) << c.server;
        const auto lines = debugLines(home);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], "INF: frmLoadHTML.initializeHTTP: startproc");
        EXPECT_EQ(lines.back(), c.line);
    }
}

class RecordingView : public TLoadWindowView {
public:
    void showProtocol() override { log.push_back("protocol"); }
    void addProtocolLine(const std::string& line) override { log.push_back("line " + line); }
    void setSubTask(const std::string& text) override { log.push_back("subtask " + text); }
    void showStatistics() override { log.push_back("statistics"); }
    std::vector<std::string> log;
};

class GetBinaryToFile : public ::testing::Test {
protected:
    GetBinaryToFile() {
        home.ctx().debugMode = true;
        target = home.dir.path() + "/out";
        makeDirs(target);
    }
    TestServer server;
    TestHome home;
    std::string target;
};

TEST_F(GetBinaryToFile, WritesTheFileAndTellsTheProtocol) {
    THttpClient client(home.host, kLoaderClient);
    RecordingView view;
    const std::string dest = target + "/GC1234_i1.jpg";
    const std::string url = server.url("/binary");
    EXPECT_TRUE(getBinaryToFile(home.ctx(), client, url, dest, false, &view));
    EXPECT_EQ(readFile(dest), byteRamp(300000));
    EXPECT_EQ(view.log, (std::vector<std::string>{
                            "protocol", "line Ladevorgang gestartet um 21.04.05", "subtask Binary: " + url,
                            "line Ladevorgang beendet um 21.04.05", "subtask ", "statistics"}));
    EXPECT_TRUE(home.host.messages.empty());
    const auto lines = debugLines(home);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"INF: frmLoadHTML.getBinaryToFile: Src=" + url + ", Dest=" + dest,
                                        "INF: frmLoadHTML.initializeHTTP: startproc",
                                        "INF: frmLoadHTML.initializeHTTP: no proxy required",
                                        "INF: frmLoadHTML.getBinaryToFile: done loading from internet "
                                        "successfully"}));
    ASSERT_FALSE(home.host.progressLog.empty());
    EXPECT_EQ(home.host.progressLog.front(), "begin Binary: " + url + " 300000");
    EXPECT_EQ(home.host.progressLog.back(), "end");

    // Quiet: no protocol lines; an empty answer gives an empty file.
    view.log.clear();
    EXPECT_TRUE(
        getBinaryToFile(home.ctx(), client, server.url("/empty"), target + "/empty.txt", true, &view));
    EXPECT_EQ(readFile(target + "/empty.txt"), "");
    EXPECT_EQ(view.log, (std::vector<std::string>{"subtask Binary: " + server.url("/empty"), "subtask ",
                                                  "statistics"}));
    EXPECT_EQ(entriesOf(target), (std::vector<std::string>{"GC1234_i1.jpg", "empty.txt"}));
}

TEST_F(GetBinaryToFile, AFailureShowsTheMessageAndLeavesNoFile) {
    THttpClient client(home.host, kLoaderClient);
    client.limits.maxFileBytes = 100000;
    const std::string dest = target + "/db.tmp.zip";
    struct Case {
        const char* path;
        std::string message;  // "" when the transport's text is not fixed
    };
    const Case cases[] = {
        {"/missing", "HTTP/1.1 404 Not Found"},
        {"/error", "HTTP/1.1 500 Internal Server Error"},
        {"/cut", ""},
        {"/binary", "Die Antwort des Servers ist l\xE4nger als 100000 Bytes"},
        {"/redirect-file", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        home.dir.write("out/db.tmp.zip", "an older download");
        home.host.messages.clear();
        EXPECT_FALSE(getBinaryToFile(home.ctx(), client, server.url(c.path), dest, true, nullptr));
        ASSERT_EQ(home.host.messages.size(), 1u);
        const std::string& text = home.host.messages[0].text;
        EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
        const std::string head =
            "Folgende Ladeoperation vom Internet ist fehlgeschlagen:\r\nQuelle: " + server.url(c.path) +
            "\r\nZiel: " + dest + "\r\nFehlermeldung: ";
        const std::string tail =
            "\r\n\r\nM\xF6gliche Fehlerursachen: Keine Internetverbindung oder falsch konfigurierte "
            "Proxyeinstellungen.";
        EXPECT_EQ(text.substr(0, head.size()), head);
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
        if (!c.message.empty()) {
            EXPECT_EQ(text, head + c.message + tail);
        }
        EXPECT_TRUE(entriesOf(target).empty());
        const auto lines = debugLines(home);
        EXPECT_EQ(lines.back().rfind("ERR: frmLoadHTML.getBinaryToFile: exception in idHTTP.get: ", 0), 0u);
    }
}

TEST_F(GetBinaryToFile, AnUncreatableDestinationMakesNoRequest) {
    THttpClient client(home.host, kLoaderClient);
    const std::string dest = target + "/missing-folder/x.txt";
    EXPECT_FALSE(getBinaryToFile(home.ctx(), client, server.url("/text"), dest, true, nullptr));
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_NE(
        home.host.messages[0].text.find("Fehlermeldung: Die Datei " + dest + " kann nicht angelegt werden: "),
        std::string::npos);
    EXPECT_TRUE(server.seen().empty());
}

TEST_F(GetBinaryToFile, AMalformedProxyPortMakesNoRequest) {
    THttpClient client(home.host, kLoaderClient);
    home.ctx().settings.UseProxy = true;
    home.ctx().settings.ProxyServer = "http://proxy:31a8";
    EXPECT_FALSE(getBinaryToFile(home.ctx(), client, server.url("/text"), target + "/x.txt", true, nullptr));
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_NE(home.host.messages[0].text.find("Fehlermeldung: '31a8' ist kein g\xFCltiger Integerwert"),
              std::string::npos);
    EXPECT_TRUE(server.seen().empty());
    EXPECT_TRUE(entriesOf(target).empty());
}

TEST_F(GetBinaryToFile, GoesThroughTheConfiguredProxy) {
    TestServer proxy{TestServer::AsProxy{}};
    THttpClient client(home.host, kLoaderClient);
    home.ctx().settings.UseProxy = true;
    home.ctx().settings.ProxyServer = "http://127.0.0.1:" + std::to_string(proxy.port());
    EXPECT_TRUE(getBinaryToFile(home.ctx(), client, server.url("/text"), target + "/x.txt", true, nullptr));
    EXPECT_EQ(readFile(target + "/x.txt"), "via proxy: " + server.url("/text"));
    EXPECT_TRUE(server.seen().empty());
}

TEST_F(GetBinaryToFile, AUserAbortShowsNoMessage) {
    THttpClient client(home.host, kLoaderClient);
    home.host.abortAtPoll(2);
    client.setAbortCheck([this] { return home.host.abortRequested(); });
    EXPECT_FALSE(getBinaryToFile(home.ctx(), client, server.url("/stall"), target + "/x.txt", true, nullptr));
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_TRUE(entriesOf(target).empty());
}

TEST(TextLines, SplitAtEveryLineEnd) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"\n\n", {"", ""}},
        {"a\n\rb", {"a", "", "b"}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitTextLines(c.text), c.lines) << c.text;
}

TEST(ElideMiddle, TakesCharactersOutOfTheMiddle) {
    const auto fitsIn = [](std::size_t width) {
        return [width](std::string_view s) { return s.size() <= width; };
    };
    EXPECT_EQ(elideMiddle("Binary: http://x", fitsIn(40)), "Binary: http://x");
    const std::string shown = elideMiddle("Binary: http://www.example.org/images/abc.jpg", fitsIn(24));
    EXPECT_LE(shown.size(), 24u);
    EXPECT_EQ(shown.substr(0, 10), "Binary: ht");
    EXPECT_EQ(shown.substr(shown.size() - 8), "/abc.jpg");
    EXPECT_NE(shown.find("..."), std::string::npos);
}

TEST_F(LoadURLTest, UrlLoaderWindowWritesTheLinesWithCrLf) {
    TempDir dir;
    TfrmLoadURL window(host);
    std::vector<std::string> shown;
    struct Display : DialogModel::Observer {
        std::function<void()> redraw;
        void modelChanged() override { redraw(); }
    } display;
    display.redraw = [&] { shown.push_back(window.statusText() + "|" + window.bytesText()); };
    window.setObserver(&display);
    window.setURL(server.url("/lines"));
    window.setDestination(dir.file("list.txt"));
    window.setProxy("");
    window.show();
    EXPECT_EQ(window.urlText(), server.url("/lines"));
    EXPECT_EQ(window.proxyHostText(), "");
    EXPECT_EQ(shown, std::vector<std::string>{"Ready|0"});
    window.timerFired();
    EXPECT_TRUE(window.closed());
    EXPECT_EQ(window.linesWritten(), 4);
    EXPECT_EQ(dir.read("list.txt"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(shown,
              (std::vector<std::string>{"Ready|0", "Begin download|0", "Downloading|8 / 8", "Ready|8 / 8",
                                        "Ready|8 / 8"}));  // the last one: the window closed
    EXPECT_EQ(server.seen().back().userAgent, "Mozilla/3.0 (compatible; Indy Library)");

    // Kept in memory only: nothing written.
    TfrmLoadURL memory(host);
    memory.setURL(server.url("/text"));
    memory.setDestination(dir.file("memory.txt"));
    memory.setKeepInMemoryOnly(true);
    EXPECT_EQ(memory.execute(), 0);
    EXPECT_EQ(memory.lines(), (std::vector<std::string>{"Hallo Welt", "Zeile 2"}));
    EXPECT_FALSE(dir.exists("memory.txt"));
}

TEST_F(LoadURLTest, UrlLoaderWindowPassesFailuresOnAndWritesNothing) {
    TempDir dir;
    TfrmLoadURL window(host);
    window.setURL(server.url("/missing"));
    window.setDestination(dir.file("list.txt"));
    try {
        window.execute();
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "EHttpError : HTTP/1.1 404 Not Found");
    }
    EXPECT_TRUE(window.closed());
    EXPECT_FALSE(dir.exists("list.txt"));

    TestServer proxy{TestServer::AsProxy{}};
    TfrmLoadURL viaProxy(host);
    viaProxy.setURL(server.url("/lines"));
    viaProxy.setDestination(dir.file("list.txt"));
    viaProxy.setProxy("http://127.0.0.1:" + std::to_string(proxy.port()));
    viaProxy.show();
    EXPECT_EQ(viaProxy.proxyHostText(), "127.0.0.1");
    viaProxy.timerFired();
    EXPECT_EQ(dir.read("list.txt"), "via proxy: " + server.url("/lines") + "\r\n");

    TfrmLoadURL badProxy(host);
    badProxy.setProxy("proxy:x");
    EXPECT_THROW(badProxy.show(), EHttpError);
}

}  // namespace
}  // namespace vellora
