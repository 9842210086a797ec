#pragma once
// HTTP and HTTPS through WinInet, whose cache keeps every body read to its end as a local
// file. Proxy settings are the system's preconfigured ones.

#include "platform/internet.hpp"

namespace vexa {

class WinInetInternet final : public Internet {
public:
    std::unique_ptr<InternetSession> OpenSession(const std::string& agent) override;
    std::optional<std::string> CachedFile(const std::string& url) override;
    HttpResult Request(const HttpRequest& request, RequestStop& stop) override;
};

}  // namespace vexa
