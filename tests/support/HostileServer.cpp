#include "support/HostileServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <stdexcept>

namespace vellora::test {
namespace {

constexpr std::uint64_t kMiB = 1u << 20;
constexpr int kBombMiB = 4096;

// A gzip stream of kBombMiB MiB of zeros, made of one flushed deflate segment repeated (each
// segment of a full flush stands alone, so the repeats form one valid stream).
const std::string& gzipBomb() {
    static const std::string bomb = [] {
        const std::string zeros(kMiB, '\0');
        z_stream z{};
        if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
            throw std::runtime_error("deflateInit2");
        }
        std::string segment(64 * 1024, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        z.avail_in = static_cast<uInt>(zeros.size());
        z.next_out = reinterpret_cast<Bytef*>(segment.data());
        z.avail_out = static_cast<uInt>(segment.size());
        if (deflate(&z, Z_FULL_FLUSH) != Z_OK || z.avail_in != 0) throw std::runtime_error("deflate");
        segment.resize(segment.size() - z.avail_out);
        deflateEnd(&z);

        std::string out("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
        out.reserve(out.size() + segment.size() * kBombMiB + 16);
        for (int i = 0; i < kBombMiB; ++i) out += segment;
        out += std::string("\x03\x00", 2);  // an empty final block
        const uLong one = crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(kMiB));
        uLong crc = one;
        for (int i = 1; i < kBombMiB; ++i) crc = crc32_combine(crc, one, static_cast<z_off_t>(kMiB));
        const std::uint64_t size = static_cast<std::uint64_t>(kBombMiB) * kMiB;
        for (const std::uint64_t v : {static_cast<std::uint64_t>(crc), size}) {
            for (int b = 0; b < 4; ++b) out += static_cast<char>((v >> (8 * b)) & 0xff);
        }
        return out;
    }();
    return bomb;
}

std::string redirectTo(std::string_view location) {
    return "HTTP/1.1 302 Found\r\nLocation: " + std::string(location) +
           "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

}  // namespace

const std::vector<HostileServer::Route>& HostileServer::routes() {
    static const std::vector<Route> all = {
        {Behaviour::Endless, "endless"},
        {Behaviour::HugeLength, "huge-length"},
        {Behaviour::Trickle, "trickle"},
        {Behaviour::TrickleUnsized, "trickle-unsized"},
        {Behaviour::LongerThanSaid, "longer-than-said"},
        {Behaviour::ShorterThanSaid, "shorter-than-said"},
        {Behaviour::RedirectLoop, "redirect-loop"},
        {Behaviour::RedirectFile, "redirect-file"},
        {Behaviour::RedirectFtp, "redirect-ftp"},
        {Behaviour::RedirectGopher, "redirect-gopher"},
        {Behaviour::SilentStall, "silent-stall"},
        {Behaviour::HeaderStall, "header-stall"},
        {Behaviour::BadChunked, "bad-chunked"},
        {Behaviour::GzipBomb, "gzip-bomb"},
        {Behaviour::Garbage, "garbage"},
    };
    return all;
}

std::string HostileServer::segmentOf(Behaviour b) {
    for (const Route& r : routes()) {
        if (r.behaviour == b) return r.segment;
    }
    return "unknown";
}

HostileServer::HostileServer() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) throw std::runtime_error("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 16) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("bind/listen");
    }
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

HostileServer::~HostileServer() {
    stop_ = true;
    ::shutdown(listenFd_, SHUT_RDWR);
    acceptor_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        for (const int fd : connections_) ::shutdown(fd, SHUT_RDWR);
        workers.swap(workers_);
    }
    for (std::thread& t : workers) t.join();
    ::close(listenFd_);
}

std::string HostileServer::url(Behaviour b, std::string_view rest) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + segmentOf(b) + std::string(rest);
}

std::vector<std::string> HostileServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void HostileServer::acceptLoop() {
    while (!stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard lock(mutex_);
        if (stop_) {
            ::close(fd);
            break;
        }
        connections_.push_back(fd);
        workers_.emplace_back([this, fd] { serve(fd); });
    }
}

bool HostileServer::idle(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop_) {
        if (std::chrono::steady_clock::now() >= until) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool HostileServer::sendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        if (stop_) return false;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void HostileServer::serve(int fd) {
    // The request head (the body of a POST, if any, is never looked at).
    std::string head;
    char buf[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 64 * 1024 && !stop_) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        head.append(buf, static_cast<std::size_t>(n));
    }
    const std::string requestLine = head.substr(0, head.find("\r\n"));
    std::string path;
    if (const std::size_t sp = requestLine.find(' '); sp != std::string::npos) {
        path = requestLine.substr(sp + 1, requestLine.find(' ', sp + 1) - sp - 1);
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(requestLine.substr(0, requestLine.rfind(' ')));
    }
    const std::string segment = path.substr(1, path.find_first_of("/?", 1) - 1);
    Behaviour behaviour = Behaviour::Garbage;
    for (const Route& r : routes()) {
        if (segment == r.segment) behaviour = r.behaviour;
    }
    const std::string self = "http://127.0.0.1:" + std::to_string(port_);
    const std::string block(64 * 1024, 'x');

    switch (behaviour) {
        case Behaviour::Endless:
            if (!sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n"))
                break;
            while (sendAll(fd, block)) {
            }
            break;
        case Behaviour::HugeLength:
            if (sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 10737418240\r\n\r\n") &&
                sendAll(fd, block.substr(0, 1000))) {
                idle(60000);
            }
            break;
        case Behaviour::Trickle:
            if (!sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\n\r\n")) break;
            for (int i = 0; i < 10486 && sendAll(fd, block.substr(0, 100)) && idle(100); ++i) {
            }
            break;
        case Behaviour::TrickleUnsized:
            if (!sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n"))
                break;
            while (sendAll(fd, block.substr(0, 20)) && idle(1000)) {
            }
            break;
        case Behaviour::LongerThanSaid:
            if (!sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kAnnouncedBody.size()) +
                                 "\r\n\r\n" + std::string(kAnnouncedBody) + "V9.9.9\r\n31.12.2099\r\n")) {
                break;
            }
            while (sendAll(fd, block)) {
            }
            break;
        case Behaviour::ShorterThanSaid:
            sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + block.substr(0, 100));
            break;
        case Behaviour::RedirectLoop:
            sendAll(fd, redirectTo(self + path));
            break;
        case Behaviour::RedirectFile:
            sendAll(fd, redirectTo("file:///etc/passwd"));
            break;
        case Behaviour::RedirectFtp:
            sendAll(fd, redirectTo("ftp://127.0.0.1/pub/gc_germany.txt.zip"));
            break;
        case Behaviour::RedirectGopher:
            sendAll(fd, redirectTo("gopher://127.0.0.1/1/velloraversion.txt"));
            break;
        case Behaviour::SilentStall:
            idle(60000);
            break;
        case Behaviour::HeaderStall:
            if (sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n")) idle(60000);
            break;
        case Behaviour::BadChunked:
            sendAll(fd,
                    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                    "5\r\nV5.0.\r\nzz\r\n2\r\n0\r\n\r\n");
            idle(2000);
            break;
        case Behaviour::GzipBomb:
            sendAll(
                fd,
                "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Encoding: gzip\r\nContent-Length: " +
                    std::to_string(gzipBomb().size()) + "\r\nConnection: close\r\n\r\n");
            sendAll(fd, gzipBomb());
            break;
        case Behaviour::Garbage:
            sendAll(fd, "SPAM 42 whatever\r\n\r\n" + block.substr(0, 1000));
            break;
    }
    // The client decides when the connection ends; the close after that is ours.
    ::shutdown(fd, SHUT_WR);
    while (!stop_) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        if (::recv(fd, buf, sizeof buf, 0) <= 0) break;
    }
    std::lock_guard lock(mutex_);
    std::erase(connections_, fd);
    ::close(fd);
}

FullListener::FullListener() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 0) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        return;
    }
    port_ = ntohs(addr.sin_port);
    // Connections that are never accepted fill the queue; a last one shows whether it is full.
    for (int i = 0; i < 8; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) return;
        fillers_.push_back(fd);
        ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 300) == 0) {
            holding_ = true;
            return;
        }
    }
}

FullListener::~FullListener() {
    for (const int fd : fillers_) ::close(fd);
    if (listenFd_ >= 0) ::close(listenFd_);
}

std::string FullListener::url() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/velloraversion.txt";
}

}  // namespace vellora::test
