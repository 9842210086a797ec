#pragma once
// HTTP and HTTPS through libcurl, with the URL cache in a folder of the prefix. Certificates
// are checked against the system's store and, when the file `trustedRoots` exists, against
// the root certificates it holds (PEM) as well, as a machine trusts the roots installed on
// it; the file is looked for at every transfer. The preconfigured proxy settings are
// libcurl's: the http_proxy, https_proxy and no_proxy variables of the environment.

#include <filesystem>

#include "platform/internet.hpp"
#include "platform/posix/url_cache.hpp"

namespace vexa {

class CurlInternet final : public Internet {
public:
    // No `trustedRoots`: the system's store alone.
    explicit CurlInternet(std::filesystem::path cacheFolder, std::filesystem::path trustedRoots = {});

    std::unique_ptr<InternetSession> OpenSession(const std::string& agent) override;
    std::optional<std::string> CachedFile(const std::string& url) override;
    HttpResult Request(const HttpRequest& request, RequestStop& stop) override;

private:
    UrlCache cache_;
    std::filesystem::path trustedRoots_;
};

}  // namespace vexa
