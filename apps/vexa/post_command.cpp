// vexa post: a form sent to a server script as a page's download control sends it, the
// script's answer on standard output.

#include <iostream>
#include <memory>
#include <vector>

#include "apps/vexa/commands.hpp"
#include "download/server_scripts.hpp"

namespace vexa::cli {
namespace {

struct PostArguments {
    std::string url;
    std::vector<std::string> fields;  // NAME=VALUE
    bool get = false;
    std::string user;
    std::string password;
};

// The control's window on a console: one request, and its event kept.
class PostWindow final : public WindowHandler, public download::ServerScriptEvents {
public:
    explicit PostWindow(Platform& platform)
        : windows_(platform.windows),
          window_(windows_.Create(*this)),
          scripts_(platform.internet, windows_, window_, *this) {}
    ~PostWindow() override { windows_.Destroy(window_); }
    PostWindow(const PostWindow&) = delete;
    PostWindow& operator=(const PostWindow&) = delete;

    download::ServerScripts& scripts() { return scripts_; }
    void RunUntilAnswered() {
        while (scripts_.Pending() > 0) windows_.RunUntil([this] { return scripts_.Pending() == 0; }, 60'000);
    }

    std::int32_t status = 0;
    std::string response;

private:
    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        scripts_.OnMessage(message, wParam);
    }
    void OnTimer(std::uint32_t) override {}
    void SendStringToCgiDone(std::int32_t, const std::string& text) override { response = text; }
    void SendStringToCgiError(std::int32_t, std::int32_t errorCode) override { status = errorCode; }

    Windows& windows_;
    WindowHandle window_;
    download::ServerScripts scripts_;
};

void Post(Context& context, const PostArguments& args) {
    for (const std::string& field : args.fields) {
        if (field.find('=') == std::string::npos || field.front() == '=')
            return Fail(context, kBadInput, "\"" + field + "\": a field is NAME=VALUE");
    }
    if (!args.password.empty() && args.user.empty()) return Fail(context, kBadInput, "--password needs --user");

    PostWindow window(context.platform());
    download::ServerScripts& scripts = window.scripts();
    scripts.SetUserNameAndPassword(args.user, args.password);
    for (const std::string& field : args.fields) {
        std::size_t equals = field.find('=');
        scripts.SetCgiField(field.substr(0, equals), field.substr(equals + 1));
    }
    const std::string method = args.get ? "GET" : "POST";
    std::int32_t number = args.fields.empty() ? scripts.SendStringToCgi(args.url, "", method)
                                              : scripts.SendFieldsToCgi(args.url, method);
    if (number == 0) return Fail(context, kNegative, "the request could not be started");
    window.RunUntilAnswered();
    if (window.status == 0) {
        std::cout << window.response;
        return;
    }
    // A URL that cannot be split, or that is not HTTP or HTTPS, is the user's to mend.
    const bool badUrl = window.status == download::kCgiUrlNotSplit || window.status == download::kCgiSchemeRefused;
    Fail(context, badUrl ? kBadInput : kNegative,
         args.url + ": status " + std::to_string(window.status) + ", " + download::CgiStatusText(window.status),
         scripts.LastErrorCause());
}

}  // namespace

void AddPostCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<PostArguments>();
    CLI::App* post = app.add_subcommand(
        "post", "Send form fields to a server script as a web page's download control does and print its answer");
    post->add_option("URL", args->url, "http:// or https:// URL of the script; its own query is kept")->required();
    post->add_option("NAME=VALUE", args->fields,
                     "Form fields in this order; a value's \"%\", line breaks (CR LF), \"&\", \"=\" and blanks are "
                     "escaped, everything else goes as it is");
    post->add_flag("--get", args->get, "Send the fields as the URL's query rather than as the body of a POST");
    post->add_option("--user", args->user, "User name for the server's basic authentication");
    post->add_option("--password", args->password, "The user's password");
    post->footer(
        "A POST carries the fields as application/x-www-form-urlencoded; with --get they follow the URL after\n"
        "\"?\" (or \"&\" when it has a query). Without fields an empty form is sent. The answer is printed as the\n"
        "control hands it to the page, whatever the server's status: in blocks of 1000 bytes, each cut at its\n"
        "first zero byte. A failed request names its status: -3 no Internet session, -4 no connection to the\n"
        "host, -5 the request cannot be opened, -6 the request cannot be sent or its answer broke off (exit 1);\n"
        "-1 a URL that cannot be split, -2 a scheme other than HTTP or HTTPS, a field without \"=\" and\n"
        "--password without --user are bad input (exit 2).");
    post->callback([&context, args] { Post(context, *args); });
}

}  // namespace vexa::cli
