#pragma once
// The real web server of cgi_web_server.py (lighttpd with the echo script, whose opening
// lists what it serves), started for as long as the object lives, with the test
// certificate authority its TLS port's certificate is signed by. POSIX only: under Wine a
// test cannot start a Linux program.

#include <memory>
#include <sstream>
#include <string>

#include "tests/support/child_process.hpp"

namespace vexa::test {

class CgiWebServer {
public:
    CgiWebServer()
        : process_(std::make_unique<ChildProcess>(
              std::vector<std::string>{"/usr/bin/env", "python3", VEXA_CGI_WEB_SERVER, "--cgi", VEXA_ECHO_CGI})) {
        if (!process_->ReadUntil("\n")) return;
        std::istringstream words(process_->Output());
        std::string word;
        words >> word >> port_ >> word >> tlsPort_ >> word >> caFile_ >> word >> root_;
    }
    // The server stops with its input, and takes its folder with it.
    ~CgiWebServer() { process_->Finish(); }
    CgiWebServer(const CgiWebServer&) = delete;
    CgiWebServer& operator=(const CgiWebServer&) = delete;

    bool Running() const { return port_ != 0 && tlsPort_ != 0; }
    int Port() const { return port_; }
    // "http://127.0.0.1:PORT" + path, and the same over TLS.
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    std::string TlsUrl(const std::string& path) const {
        return "https://127.0.0.1:" + std::to_string(tlsPort_) + path;
    }
    // The test authority's certificate (PEM), for a client to trust.
    const std::string& CaFile() const { return caFile_; }
    // The folder served as the site's root; files put there are served as they are.
    const std::string& Root() const { return root_; }

    static constexpr const char* kUser = "alice";
    static constexpr const char* kPassword = "secret";

private:
    std::unique_ptr<ChildProcess> process_;
    int port_ = 0;
    int tlsPort_ = 0;
    std::string caFile_;
    std::string root_;
};

}  // namespace vexa::test
