#pragma once
// A server on 127.0.0.1 that answers every request with one kind of misbehaviour, written straight
// to the socket so that it can break HTTP where a well-behaved server library would not. The first
// segment of the request path picks the behaviour; the rest of the path is ignored, so a client's
// own path can be appended ("/endless/cachedb/gc_germany.txt.zip").
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vellora::test {

class HostileServer {
public:
    enum class Behaviour {
        Endless,          // 200 without length, data until the client hangs up
        HugeLength,       // announces 10 GB, sends a little and then nothing
        Trickle,          // announces 1 MB, sends 100 bytes every 100 ms
        TrickleUnsized,   // 200 without length, then 20 bytes a second until the client hangs up
        LongerThanSaid,   // announces fewer bytes than it sends, then more data until the client hangs up
        ShorterThanSaid,  // announces 1000 bytes, sends 100 and closes
        RedirectLoop,     // 302 to itself
        RedirectFile,     // 302 to file:///etc/passwd
        RedirectFtp,      // 302 to ftp://127.0.0.1/
        RedirectGopher,   // 302 to gopher://127.0.0.1/
        SilentStall,      // reads the request and never answers
        HeaderStall,      // sends the headers of a 200 and then nothing
        BadChunked,       // chunked encoding with a chunk size that is not hexadecimal
        GzipBomb,         // Content-Encoding gzip: 4 MB that inflate to 4 GiB of zeros
        Garbage,          // a status line that is not HTTP
    };

    // The path segment of each behaviour, with a short description for test names.
    struct Route {
        Behaviour behaviour;
        const char* segment;
    };
    static const std::vector<Route>& routes();
    static std::string segmentOf(Behaviour b);

    // What LongerThanSaid announces and sends first.
    static constexpr std::string_view kAnnouncedBody = "V5.0.2\r\n05.01.2007\r\n";

    HostileServer();
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT" + "/" + the behaviour's segment + rest.
    std::string url(Behaviour b, std::string_view rest = "") const;
    // Requests received so far ("GET /path").
    std::vector<std::string> requests() const;

private:
    void acceptLoop();
    void serve(int fd);
    bool sendAll(int fd, std::string_view data);
    // Waits until the server stops or ms elapse; false when stopping.
    bool idle(int ms);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptor_;
    mutable std::mutex mutex_;
    std::vector<std::thread> workers_;
    std::vector<int> connections_;
    std::vector<std::string> requests_;
};

// A port on 127.0.0.1 whose connection queue is full: the system drops further connection
// requests, so a client's connect waits until its own time-out.
class FullListener {
public:
    FullListener();
    ~FullListener();
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;

    // False where the system answers connection requests anyway (the test cannot run there).
    bool holding() const { return holding_; }
    std::string url() const;

private:
    int listenFd_ = -1;
    int port_ = 0;
    bool holding_ = false;
    std::vector<int> fillers_;
};

}  // namespace vellora::test
