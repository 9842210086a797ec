#pragma once
// What the wizard's "Help..." buttons explain: texts in a message box titled "Help", and
// the small help windows of steps 5 and 6. Line breaks are CR LF.

namespace vexa::wizard::help {

inline constexpr const char* kCaption = "Help";

inline constexpr const char* kProgramDirectory =
    "Click the button with the three dots and select the directory where your program files reside: the "
    "directory of your EXE file, with all the files your program needs.\r\n\r\n"
    "Every file of that directory and of its sub-directories is listed in the next step, where you choose "
    "the files that make up your program. Click Cancel to stop the listing of a large directory.";

inline constexpr const char* kWebSite =
    "Type the address of your web site, ending with \"/\".\r\n\r\n"
    "The Wizard proposes the addresses of step 4 from it: where you will publish the Web page, and where "
    "the ActiveX (OCX) files and DLL files are stored. If you are only experimenting locally, keep the "
    "example address.";

inline constexpr const char* kProgramFiles =
    "Check every file that your program needs: its EXE file, its data files and the files of its "
    "sub-directories. The files you leave unchecked are not part of the Web page program.\r\n\r\n"
    "Click the list with the right mouse button to select or clear all the files at once. Tick "
    "\"Show Selected Items Only\" to see only the files you checked.";

inline constexpr const char* kProgramToRun =
    "Select the EXE file that runs when your Web page is opened. The list holds the EXE files you checked "
    "in step 2.\r\n\r\n"
    "If your program takes parameters, type them in the \"Exe Parameters\" box, each in double quotes and "
    "separated by commas, for example:\r\n\"-window\", \"large\"";

inline constexpr const char* kPublication =
    "The first address is where you will publish the resultant Web page: copy all the files of the Release "
    "directory there.\r\n\r\n"
    "The second address is where the ActiveX (OCX) files and DLL files are stored: copy all the files of "
    "the ReleaseActiveX directory there. Several Web page programs can share them.";

// A help window: its caption, its heading, its text and, for a command to copy, a sample.
struct Window {
    const char* caption;
    const char* heading;
    const char* text;
    const char* sampleLabel = "";
    const char* sample = "";
};

inline constexpr Window kOcxList = {
    "Help on Adding ActiveX (OCX) Files and DLL Files", "Help for Step 5",
    "Add the ActiveX controls (OCX files) that your program uses to the OCX list-box: the Web page installs "
    "and registers them on the user's machine. Add the DLL files that your program uses, and that are not "
    "among its own files, to the DLL list-box.\r\n\r\n"
    "Most DLL files are non-registerable. You add such DLL files to the DLL list-box of Step 5.  However, in "
    "some rare cases, the DLL is a registerable DLL file. If your program uses a registerable DLL, add it to "
    "the OCX list-box of Step 5 (as if it were an OCX file).\r\n\r\n"
    "The VexaLoad.ocx file is automatically added to the list (and you cannot remove it from the list)."};

inline constexpr Window kMinimizeDownloadTime = {
    "Help on Minimize Download Time", "Minimize Download Time",
    "When \"Minimize Download Time\" is checked, every file of your program goes into a cab file of its own, "
    "and large cab files are published in pieces. The user's machine keeps the files it has downloaded: when "
    "you publish a new version of your program, only the files that changed are downloaded again.\r\n\r\n"
    "When it is not checked, all the files of your program go into one cab file, Prog1.cab, which is "
    "downloaded again whenever any of its files changes."};

inline constexpr Window kSignCode = {
    "Help on Sign Code Commands", "Sign Code Commands",
    "The Sign Code Command(s) edit box enables you to type command(s) that will sign your Web page program "
    "with your certificate.\r\n\r\n"
    "The exact Sign Code commands that you should type depend on the particular Sign Code utility that you "
    "are using.\r\n\r\n"
    "When you type your Sign Code command, type \"%1\" for the program name that you are signing, and type "
    "\"%2\" for the program title.\r\n\r\n"
    "The sample below is a typical Sign Code command for a popular Sign Code utility called SignCode.EXE.",
    "Sample, using the SignCode.EXE utility:",
    "c:\\SignCode.exe -prog \"%1\" -spc c:\\MyPublicKey.spc -pvk c:\\MyPrivateKey.pvk -name \"%2\" -info "
    "http://www.example.com/ -timeStamper http://timestamp.example.com/"};

}  // namespace vexa::wizard::help
