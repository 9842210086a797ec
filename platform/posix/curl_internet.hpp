#pragma once
// HTTP and HTTPS through libcurl, with the URL cache in a folder of the prefix. Certificates
// are checked against the system's store; the preconfigured proxy settings are libcurl's:
// the http_proxy, https_proxy and no_proxy variables of the environment.

#include <filesystem>

#include "platform/internet.hpp"
#include "platform/posix/url_cache.hpp"

namespace vexa {

class CurlInternet final : public Internet {
public:
    explicit CurlInternet(std::filesystem::path cacheFolder);

    std::unique_ptr<InternetSession> OpenSession(const std::string& agent) override;
    std::optional<std::string> CachedFile(const std::string& url) override;
    HttpResult Request(const HttpRequest& request) override;

private:
    UrlCache cache_;
};

}  // namespace vexa
