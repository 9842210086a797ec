// A server script for tests, run by the web server of cgi_web_server.py: it answers with
// what it received, one "name: value" line each, then a blank line and the body as it came:
//
//   method: POST
//   query: a=1&b=2
//   content-type: application/x-www-form-urlencoded
//   user: alice            (the user the server checked the credentials of; empty without)
//   agent: echo.cgi
//
//   a=1&b=2
//
// A query that holds "sleep=MS" makes it wait that many milliseconds before it answers.

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The number after "sleep=" in the query, or 0.
long SleepMs(const std::string& query) {
    const std::size_t at = query.find("sleep=");
    return at == std::string::npos ? 0 : std::strtol(query.c_str() + at + 6, nullptr, 10);
}

}  // namespace

int main() {
    const std::string query = Variable("QUERY_STRING");
    std::string body(static_cast<std::size_t>(std::strtoul(Variable("CONTENT_LENGTH").c_str(), nullptr, 10)), '\0');
    std::cin.read(body.data(), static_cast<std::streamsize>(body.size()));
    body.resize(static_cast<std::size_t>(std::cin.gcount()));
    if (long ms = SleepMs(query); ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    std::cout << "Content-Type: text/plain\r\n\r\n"
              << "method: " << Variable("REQUEST_METHOD") << '\n'
              << "query: " << query << '\n'
              << "content-type: " << Variable("CONTENT_TYPE") << '\n'
              << "user: " << Variable("REMOTE_USER") << '\n'
              << "agent: " << Variable("HTTP_USER_AGENT") << "\n\n"
              << body;
    return 0;
}
