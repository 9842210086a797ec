#include "tests/wizard/win32/release_description.hpp"

#include <algorithm>
#include <regex>
#include <vector>

#include "cabcodec/expander.hpp"
#include "signature/signature.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "common/sha256.hpp"
#include "tests/support/system_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::wizard::test {
namespace {

namespace fs = std::filesystem;
using vexa::testing::ReadFile;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool EndsWith(const std::string& name, const std::string& ending) {
    return Lower(name).ends_with(Lower(ending));
}

std::string Signature(const fs::path& file) { return GenerateFileSignature(vexa::testing::SystemFiles(), file.string()); }

std::string Members(const fs::path& cabinet) {
    vexa::test::MemorySource source(ReadFile(cabinet.string()));
    vexa::test::MemoryExpandHandler handler;
    if (Expand(source, 0, handler) != cab::ExpandStatus::Done) return "  (does not expand)\n";
    std::string text;
    for (const auto& member : handler.members)
        text += "  " + member.info.name + " " + vexa::Sha256::Of(member.bytes) + "\n";
    return text;
}

std::vector<std::string> QuotedArguments(const std::string& line) {
    std::vector<std::string> arguments;
    for (std::size_t open = line.find('"'); open != std::string::npos; open = line.find('"', open)) {
        const std::size_t close = line.find('"', open + 1);
        if (close == std::string::npos) break;
        arguments.push_back(line.substr(open + 1, close - open - 1));
        open = close + 1;
    }
    return arguments;
}

// The fields of an install line that depend on how its cabinet was made, checked and
// replaced by what they stand for: program lines carry the size, time stamp, four times
// the size and signature; component lines the cabinet's size and signature.
std::string ScriptLine(const std::string& line, const fs::path& release, const fs::path& releaseActiveX) {
    const bool program = line.starts_with("InstallProgram ");
    const bool component = line.find("InstallOcxFile ") != std::string::npos ||
                           line.find("InstallDllFile ") != std::string::npos;
    if (line.starts_with("' Created: ")) return "' Created: <time>";
    if (!program && !component) return line;
    std::vector<std::string> arguments = QuotedArguments(line);
    const std::size_t signatureAt = program ? 5 : line.find("InstallOcxFile ") != std::string::npos ? 7 : 6;
    if (arguments.size() <= signatureAt) return line + "  (too few arguments)";
    const std::string name = arguments[0].substr(arguments[0].find_last_of('/') + 1);
    const fs::path cabinet = (program ? release : releaseActiveX) / name;
    std::string notes;
    if (!fs::exists(cabinet)) notes += "  (no cabinet " + name + ")";
    if (fs::exists(cabinet) && arguments[1] != std::to_string(fs::file_size(cabinet))) notes += "  (size is not the cabinet's)";
    if (fs::exists(cabinet) && arguments[signatureAt] != Signature(cabinet)) notes += "  (signature is not the cabinet's)";
    arguments[1] = "<size>";
    arguments[signatureAt] = "<signature>";
    if (program) {
        arguments[2] = "<stamp>";
        arguments[4] = "<4 x size>";
    }
    std::string text = line.substr(0, line.find('"'));
    for (std::size_t i = 0; i < arguments.size(); ++i) text += (i ? ", \"" : "\"") + arguments[i] + "\"";
    return text + notes;
}

std::string Script(const fs::path& cabinet, const fs::path& release, const fs::path& releaseActiveX) {
    vexa::test::MemorySource source(ReadFile(cabinet.string()));
    vexa::test::MemoryExpandHandler handler;
    if (Expand(source, 0, handler) != cab::ExpandStatus::Done || handler.members.size() != 1)
        return "  (not a cabinet of one script)\n";
    std::vector<std::string> lines;
    const std::string& script = handler.members[0].bytes;
    for (std::size_t start = 0; start < script.size();) {
        std::size_t end = script.find("\r\n", start);
        if (end == std::string::npos) end = script.size();
        lines.push_back(ScriptLine(script.substr(start, end - start), release, releaseActiveX));
        start = end + 2;
    }
    // The program lines follow the order in which the system listed the program's directory,
    // which is its own: they are compared in name order, in the places they hold.
    std::vector<std::size_t> places;
    std::vector<std::string> programLines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].starts_with("InstallProgram ")) continue;
        places.push_back(i);
        programLines.push_back(lines[i]);
    }
    std::sort(programLines.begin(), programLines.end());
    for (std::size_t k = 0; k < places.size(); ++k) lines[places[k]] = programLines[k];
    std::string text = "  " + handler.members[0].info.name + ":\n";
    for (const std::string& line : lines) text += "  | " + line + "\n";
    return text;
}

std::string Page(const fs::path& page) {
    static const std::regex time(R"(\d{1,2}/\d{1,2}/\d\d \d{1,2}:\d\d:\d\d [AP]M)");
    return "  page " + vexa::Sha256::Of(std::regex_replace(ReadFile(page.string()), time, "<time>")) + "\n";
}

// The stub's bytes, then the attachment's lines; the fifth names the script cabinet by its
// short signature.
std::string StandAlone(const fs::path& program, const fs::path& stub, const fs::path& release) {
    const std::string bytes = ReadFile(program.string());
    const std::string stubBytes = ReadFile(stub.string());
    if (!bytes.starts_with(stubBytes)) return "  (does not start with the stub)\n";
    std::string attachment = bytes.substr(stubBytes.size());
    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = attachment.find("\r\n", start);
        lines.push_back(attachment.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 4 && lines.size() > 3) {
            const bool matches = lines[4] == LongSigToShortSig(Signature(release / lines[3]));
            text += std::string("  | <short signature>") + (matches ? "" : "  (not the script cabinet's)") + "\n";
        } else {
            text += "  | " + lines[i] + "\n";
        }
    }
    return text;
}

std::string Folder(const fs::path& folder, const fs::path& release, const fs::path& releaseActiveX,
                   const fs::path& stub) {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    std::string text;
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        text += name + "\n";
        if (EndsWith(name, "Script.Cab"))
            text += Script(file, release, releaseActiveX);
        else if (EndsWith(name, ".cab") && name != "VexaLoad.cab")
            text += Members(file);
        else if (EndsWith(name, ".htm") || EndsWith(name, ".html"))
            text += Page(file);
        else if (EndsWith(name, "WebProg.exe"))
            text += StandAlone(file, stub, release);
        else
            text += "  " + vexa::Sha256::Of(ReadFile(file.string())) + "\n";
    }
    return text;
}

}  // namespace

std::string DescribeRelease(const fs::path& release, const fs::path& releaseActiveX, const fs::path& stub) {
    return "Release:\n" + Folder(release, release, releaseActiveX, stub) + "ReleaseActiveX:\n" +
           Folder(releaseActiveX, release, releaseActiveX, stub);
}

}  // namespace vexa::wizard::test
