#pragma once
// The fault-injecting HTTP server (fault_http_server.py, whose opening lists the paths it
// understands). A native test program starts its own on first use and it ends with the
// program; a native test may also start one that serves a folder of files, such as a
// release, for as long as the object lives. A Windows program under Wine cannot start a
// Linux one, so there a CTest fixture (fault_http_server.cmake) starts one server for the
// run and the program reads its ports from the file that server wrote.

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#ifndef _WIN32
#include <memory>

#include "tests/support/child_process.hpp"
#endif

namespace vexa::test {

class FaultHttpServer {
public:
    // The program's server; its ports are 0 when it could not be reached.
    static const FaultHttpServer& Get() {
        static const FaultHttpServer server;
        return server;
    }

#ifndef _WIN32
    // A server of its own that also serves the files under `root`.
    explicit FaultHttpServer(const std::string& root) { Start({"--root", root}); }
#endif

    bool Running() const { return port_ != 0 && tlsPort_ != 0; }
    int Port() const { return port_; }
    int TlsPort() const { return tlsPort_; }
    // "http://127.0.0.1:PORT" + path.
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    // The same path served over TLS with a certificate that no client trusts.
    std::string UntrustedTlsUrl(const std::string& path) const {
        return "https://127.0.0.1:" + std::to_string(tlsPort_) + path;
    }

    // Byte i of every body the server sends.
    static unsigned char PatternByte(std::uint64_t i) { return static_cast<unsigned char>(i % 251); }

private:
#ifdef _WIN32
    FaultHttpServer() {
        std::ifstream portFile(VEXA_FAULT_HTTP_PORT_FILE);
        std::string line;
        std::getline(portFile, line);
        ReadPorts(line);
    }
#else
    FaultHttpServer() { Start({}); }

    void Start(const std::vector<std::string>& options) {
        std::vector<std::string> command{"/usr/bin/env", "python3", VEXA_FAULT_HTTP_SERVER};
        command.insert(command.end(), options.begin(), options.end());
        process_ = std::make_unique<ChildProcess>(command);
        if (process_->ReadUntil("\n")) ReadPorts(process_->Output());
    }

    std::unique_ptr<ChildProcess> process_;
#endif

    // "port N tls M"
    void ReadPorts(const std::string& line) {
        std::istringstream words(line);
        std::string port, tls;
        words >> port >> port_ >> tls >> tlsPort_;
    }

    int port_ = 0;
    int tlsPort_ = 0;
};

}  // namespace vexa::test
