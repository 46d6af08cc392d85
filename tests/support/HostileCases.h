#pragma once
// What the program's HTTP clients make of each misbehaviour of the HostileServer, under limits short
// enough that every case ends within a few seconds.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "core/Services.h"
#include "support/HostileServer.h"

namespace vellora::test {

inline THttpLimits shortHttpLimits() {
    THttpLimits l;
    l.maxTextBytes = l.maxFileBytes = 1u << 20;
    l.connectTimeoutSeconds = 2;
    // A silent server is dead after one to two seconds (libcurl measures in whole seconds), well
    // before the overall limit, which ends the trickle (1000 bytes a second) after three.
    l.lowSpeedBytes = 100;
    l.lowSpeedSeconds = 1;
    l.secondsPerMB = 1;
    l.minTotalSeconds = 3;
    return l;
}

struct HostileCase {
    HostileServer::Behaviour behaviour;
    bool fails;
    std::string message;  // the transport's message (all of it, or its start when prefix is set)
    bool prefix = false;
    bool tooLong = false;  // refused for its size
    bool status = false;   // refused for its HTTP status
};

// The loader window's client follows redirects (to http and https only); the URL loader's and
// the result-list loader's client follow none, and a redirect is the error status it is.
inline std::vector<HostileCase> hostileCases(bool followRedirects) {
    using B = HostileServer::Behaviour;
    const std::string tooLong = "Die Antwort des Servers ist l\xE4nger als 1048576 Bytes";
    const std::string silent =
        "Zeit\xFC"
        "berschreitung: der Server hat 1 Sekunden lang (fast) keine Daten gesendet";
    const std::string badAnswer = "Die Antwort des Servers ist fehlerhaft (";
    const auto redirect = [&](B b, const std::string& target) {
        return followRedirects ? HostileCase{b, true,
                                             "Die Adresse " + target +
                                                 " wird nicht geladen: nur http und https sind erlaubt"}
                               : HostileCase{b, true, "HTTP/1.1 302 Found", false, false, true};
    };
    return {
        {B::Endless, true, tooLong, false, true},
        {B::HugeLength, true, tooLong, false, true},
        {B::Trickle, true,
         "Zeit\xFC"
         "berschreitung: die \xDC"
         "bertragung dauerte l\xE4nger als 3 Sekunden"},
        // Without a length the overall limit is the size limit's; the minimum rate ends it first.
        {B::TrickleUnsized, true,
         "Zeit\xFC"
         "berschreitung: der Server hat 1 Sekunden lang weniger als 100 Bytes pro Sekunde gesendet"},
        // The body ends where its length says; what the server sends beyond it is not taken.
        {B::LongerThanSaid, false, ""},
        {B::ShorterThanSaid, true, "Die Verbindung wurde vor dem Ende der Antwort getrennt"},
        followRedirects ? HostileCase{B::RedirectLoop, true, "Zu viele Weiterleitungen (mehr als 10)"}
                        : HostileCase{B::RedirectLoop, true, "HTTP/1.1 302 Found", false, false, true},
        redirect(B::RedirectFile, "file:///etc/passwd"),
        redirect(B::RedirectFtp, "ftp://127.0.0.1/pub/gc_germany.txt.zip"),
        redirect(B::RedirectGopher, "gopher://127.0.0.1/1/velloraversion.txt"),
        {B::SilentStall, true, silent},
        {B::HeaderStall, true, silent},
        {B::BadChunked, true, badAnswer, true},
        {B::GzipBomb, true, "Der Server sendet die Antwort in einer nicht angeforderten Kodierung (gzip)"},
        {B::Garbage, true, badAnswer, true},
    };
}

// Runs f and fails the test when it took longer than the short limits allow, with room for a busy
// machine: a client that waits for the server's next move would take a minute or forever.
template <class F>
void withinLimits(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// Whether text is the case's message.
inline bool isCaseMessage(const HostileCase& c, const std::string& text) {
    return c.prefix ? text.compare(0, c.message.size(), c.message) == 0 : text == c.message;
}

// The transport's message inside the loader window's "Folgende Ladeoperation ..." error text.
inline std::string transportMessageIn(const std::string& text) {
    const std::string head = "\r\nFehlermeldung: ";
    const std::size_t at = text.find(head);
    if (at == std::string::npos) return {};
    const std::size_t end = text.find("\r\n\r\nM\xF6gliche Fehlerursachen", at);
    return text.substr(at + head.size(), end == std::string::npos ? end : end - at - head.size());
}

}  // namespace vellora::test
