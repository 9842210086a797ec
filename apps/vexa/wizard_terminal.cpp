// vexa wizard PROGRAM-DIR: the page wizard's steps as prompts on a terminal. Each step shows
// its fields with what the model filled in and takes an answer or Enter; "<" goes back.
// The model holds every rule; this host only shows it and forwards what is typed.

#include <filesystem>
#include <iostream>
#include <memory>

#include "apps/vexa/commands.hpp"
#include "apps/vexa/wizard_console.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "common/wildcard.hpp"
#include "wizard/vexa_web_express.hpp"

namespace vexa::cli {
namespace {

namespace fs = std::filesystem;
using wizard::VexaWebExpress;

constexpr int kShownEntries = 40;  // entries of a list shown at a time

enum class Reply { Answered, Back, Quit };

class TerminalWizard {
public:
    TerminalWizard(Context& context, const std::string& program, const std::string& wizardDir)
        : context_(context),
          program_(fs::absolute(program).lexically_normal().string()),
          console_(context.platform(), wizardDir, false),
          ui_(console_.ui),
          wizard_(console_.wizard) {}

    void Run() {
        CancelOnInterrupt cancels;
        if (!wizard_.Start()) return Fail(context_, kNegative, "the wizard cannot start here");
        for (;;) {
            std::cout << "\n== " << wizard_.Caption << "\n";
            Reply reply = Step();
            if (reply == Reply::Quit) return Fail(context_, kNegative, "the wizard was left before its release was made");
            if (reply == Reply::Back) {
                if (wizard_.enabled.cmdBack) wizard_.cmdBack_Click();
                continue;
            }
            if (wizard_.CurrentStep < wizard::kFinalStep) {
                if (wizard_.enabled.cmdNext) wizard_.cmdNext_Click();
                else std::cout << "(the step is not complete: Next is not available)\n";
                continue;
            }
            if (!wizard_.enabled.cmdFinish) continue;
            if (wizard_.cmdFinish_Click()) {
                std::cout << "\n" << ReplaceAll(wizard_.txtFinalMessage, "\r\n", "\n") << std::endl;
                return;
            }
            if (CancelOnInterrupt::Requested()) return Fail(context_, kNegative, "interrupted");
        }
    }

private:
    // One line from the terminal; nullopt when the input has ended.
    std::optional<std::string> Read(const std::string& prompt) {
        std::cout << prompt << std::flush;
        std::string line;
        if (!std::getline(std::cin, line)) return std::nullopt;
        return std::string(Trim(line));
    }

    // A box: Enter keeps what it holds, "<" goes back, anything else replaces it.
    Reply Field(const std::string& label, std::string& box) {
        auto line = Read(label + " [" + box + "]: ");
        if (!line) return Reply::Quit;
        if (*line == "<") return Reply::Back;
        if (!line->empty()) box = *line;
        return Reply::Answered;
    }

    Reply Step() {
        switch (wizard_.CurrentStep) {
            case 0: return Introduction();
            case 1: return ProgramDirectory();
            case 2: return ProgramFiles();
            case 3: return ProgramToRun();
            case 4: return Publication();
            case 5: return Components();
            default: return FinalStep();
        }
    }

    Reply Introduction() {
        std::cout << "Welcome to VexaWeb Express\nUse this Wizard to convert your exe program to a Web page.\n"
                     "Your Web page therefore becomes as powerful as your exe program.\n"
                  << wizard_.lblVersion << "\n";
        return Command("Enter: next, q: quit > ", [](const std::string&) { return false; });
    }

    Reply ProgramDirectory() {
        if (wizard_.txtDirectoryName.empty()) {
            std::cout << "Listing the files of " << program_ << " ...\n";
            ui_.folder = program_;
            wizard_.cmdSelectDirectory_Click();
            if (wizard_.txtDirectoryName.empty()) return Reply::Quit;
        }
        std::cout << "Select the directory where your program files reside: " << wizard_.txtDirectoryName << "\n";
        return Field("Type the URL of your web site:", wizard_.txtWebSiteURL);
    }

    void ShowFiles(bool selectedOnly) {
        int shown = 0, checked = 0;
        for (const auto& entry : wizard_.List1.entries) checked += entry.checked;
        for (int i = 0; i < wizard_.List1.size() && shown < kShownEntries; ++i) {
            const auto& entry = wizard_.List1.entries[i];
            if (selectedOnly && !entry.checked) continue;
            std::cout << (entry.checked ? "  [x] " : "  [ ] ") << entry.text << "\n";
            ++shown;
        }
        std::cout << checked << " of " << wizard_.List1.size() << " files selected, " << wizard_.SelectedExeCount
                  << " of them EXE files" << (shown == kShownEntries ? " (the first shown)" : "") << "\n";
        if (wizard_.lblStep2NoteVisible)
            std::cout << "Before you can move to the next step, you must select at least one file and at least one "
                         "of the files you select must be an EXE file.\n";
    }

    Reply ProgramFiles() {
        std::cout << "Select the files of your program\n";
        ShowFiles(false);
        return Command("+PATTERN selects, -PATTERN leaves out, all, none, selected, list; Enter: next > ",
                       [this](const std::string& line) {
                           if (line == "all" || line == "none") wizard_.SelectAllFiles(line == "all");
                           else if (line == "selected" || line == "list") return ShowFiles(line == "selected"), true;
                           else if (line.size() > 1 && (line[0] == '+' || line[0] == '-')) Toggle(line.substr(1), line[0] == '+');
                           else return false;
                           ShowFiles(false);
                           return true;
                       });
    }

    void Toggle(const std::string& pattern, bool check) {
        const std::string wanted = FormatPath(pattern);
        for (int i = 0; i < wizard_.List1.size(); ++i) {
            const std::string& entry = wizard_.List1.entries[i].text;
            const bool byName = wanted.find('\\') == std::string::npos;
            if (MatchesWildcard(wanted, byName ? entry.substr(entry.find_last_of('\\') + 1) : entry))
                wizard_.List1_ItemCheck(i, check);
        }
    }

    Reply ProgramToRun() {
        std::cout << "Select the EXE file of your program\n";
        for (int i = 0; i < wizard_.List3.size(); ++i)
            std::cout << "  " << (i == wizard_.List3.selected ? '*' : ' ') << (i + 1) << " " << wizard_.List3.entries[i] << "\n";
        auto line = Read("The EXE program file that will serve as your Web page is [" + wizard_.txtExeFilename +
                         "] (its number): ");
        if (!line) return Reply::Quit;
        if (*line == "<") return Reply::Back;
        if (!line->empty()) {
            const auto number = ReadLeadingNumber(*line);
            if (number < 1 || number > wizard_.List3.size()) {
                std::cout << "(no such entry)\n";
                return ProgramToRun();
            }
            wizard_.List3_Click(static_cast<int>(number - 1));
        }
        return Field("Exe Parameters (if any):", wizard_.txtExeParas);
    }

    Reply Publication() {
        Reply reply = Field("Type the full URL address where you will publish the resultant web page program:",
                            wizard_.txtPublicationURL);
        if (reply == Reply::Answered)
            reply = Field("Type the URL where the ActiveX (OCX) files and DLL files are stored on your web site:",
                          wizard_.txtActiveXUrl);
        wizard_.UrlBoxes_Change();
        return reply;
    }

    void ShowComponents() {
        auto show = [](const char* title, const wizard::ListBox<std::string>& list) {
            std::cout << title << (list.entries.empty() ? " (none)" : "") << "\n";
            for (int i = 0; i < list.size(); ++i) std::cout << "  " << (i + 1) << " " << list.entries[i] << "\n";
        };
        show("Specify the ActiveX (OCX) files your program uses (if any)", wizard_.lstOCX);
        show("Specify the DLL files your program uses (if any)", wizard_.lstDLL);
    }

    Reply Components() {
        ShowComponents();
        return Command("ocx PATH, dll PATH, remove-ocx N, remove-dll N; Enter: next > ", [this](const std::string& line) {
            const std::size_t blank = line.find(' ');
            const std::string verb = line.substr(0, blank);
            const std::string rest = blank == std::string::npos ? std::string() : std::string(Trim(line.substr(blank)));
            const int number = static_cast<int>(ReadLeadingNumber(rest)) - 1;
            if (verb == "ocx" || verb == "dll") {
                ui_.file = fs::absolute(rest).lexically_normal().string();
                verb == "ocx" ? wizard_.cmdAddOcx_Click() : wizard_.cmdAddDll_Click();
            } else if (verb == "remove-ocx" && number >= 0 && number < wizard_.lstOCX.size()) {
                wizard_.lstOCX_Click(number);
                if (wizard_.enabled.cmdRemoveOcx) wizard_.cmdRemoveOcx_Click();
                else std::cout << "(the loader control stays in the list)\n";
            } else if (verb == "remove-dll" && number >= 0 && number < wizard_.lstDLL.size()) {
                wizard_.lstDLL.selected = number;
                wizard_.cmdRemoveDll_Click();
            } else {
                return false;
            }
            ShowComponents();
            return true;
        });
    }

    Reply FinalStep() {
        Reply reply = Field("Type the name of the resultant HTML page:", wizard_.txtHtmlFilenameNoPath);
        wizard_.txtHtmlFilename_Change();
        if (reply == Reply::Answered) reply = Field("Type the title of the resultant HTML file:", wizard_.txtHtmlTitle);
        if (reply == Reply::Answered)
            reply = Field("Type the name of the resultant stand-alone exe web program:",
                          wizard_.txtStandAloneExeFilenameNoPath);
        if (reply == Reply::Answered) {
            std::string minimize = wizard_.chkCreateMultiProgramCabs ? "y" : "n";
            reply = Field("Minimize Download Time (y/n):", minimize);
            wizard_.chkCreateMultiProgramCabs = minimize.starts_with('y') || minimize.starts_with('Y');
        }
        if (reply == Reply::Answered) reply = SignCodeCommands();
        if (reply != Reply::Answered) return reply;
        return Command("Enter: Finish, <: back, q: quit > ", [](const std::string&) { return false; });
    }

    // The commands run when the build is done, shown before it starts, since a project's saved
    // settings may hold them.
    Reply SignCodeCommands() {
        std::cout << "Sign code command(s) to execute when done (optional):\n";
        for (const std::string& line : Lines(wizard_.txtSignCodeCommands)) std::cout << "  " << line << "\n";
        auto line = Read("Enter keeps them, - clears them, + types new ones (one per line, an empty line ends): ");
        if (!line) return Reply::Quit;
        if (*line == "<") return Reply::Back;
        if (*line == "-") wizard_.txtSignCodeCommands.clear();
        if (*line != "+") return Reply::Answered;
        wizard_.txtSignCodeCommands.clear();
        while (auto command = Read("> ")) {
            if (command->empty()) break;
            wizard_.txtSignCodeCommands += *command + "\r\n";
        }
        return Reply::Answered;
    }

    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::string rest = ReplaceAll(text, "\r\n", "\n");
        for (std::size_t start = 0; start < rest.size();) {
            std::size_t end = std::min(rest.find('\n', start), rest.size());
            if (end > start) lines.push_back(rest.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    // Reads commands until Enter (the step's Next), "<" or "q"; `handle` answers false for a
    // line it does not know.
    template <typename Handle>
    Reply Command(const std::string& prompt, Handle handle) {
        for (;;) {
            auto line = Read(prompt);
            if (!line || *line == "q") return Reply::Quit;
            if (line->empty()) return Reply::Answered;
            if (*line == "<") return Reply::Back;
            if (!handle(*line)) std::cout << "(not understood: " << *line << ")\n";
        }
    }

    Context& context_;
    std::string program_;
    ConsoleWizard console_;
    WizardConsoleUi& ui_;
    VexaWebExpress& wizard_;
};

}  // namespace

void RunTerminalWizard(Context& context, const std::string& program, const std::string& wizardDir) {
    if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO))
        return Fail(context, kBadInput,
                    "the wizard asks on a terminal, and there is none: `vexa wizard build` converts without one");
    std::error_code error;
    if (!fs::is_directory(program, error)) return Fail(context, kBadInput, program + ": no such directory");
    TerminalWizard(context, program, wizardDir).Run();
}

}  // namespace vexa::cli
