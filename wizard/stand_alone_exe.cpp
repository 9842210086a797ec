// The stand-alone program for browsers without ActiveX: the stub beside the wizard with a
// short text appended that tells it where the web page program lives.

#include "common/file_name.hpp"
#include "common/text.hpp"
#include "common/timestamp.hpp"
#include "platform/files.hpp"
#include "wizard/vexa_web_express.hpp"
#include "wizard/wizard_texts.hpp"

namespace vexa::wizard {

using namespace texts;

bool VexaWebExpress::MakeStandAloneExeWebFile(const std::string& exe) {
    const std::string scriptCab = ScriptBaseName() + "Script.Cab";
    const std::string shortSignature =
        VexaDnld1().Cmd("LongSigToShortSig", VexaDnld1().GenerateFileSignature(ReleaseDir + scriptCab));
    const std::string attachment = WithFinalSlash(Trim(txtActiveXUrl)) + kCrLf +
                                   VexaDnld1().GetFileVersion(AppDir + kLoaderOcx) + kCrLf + txtPublicationURL +
                                   kCrLf + scriptCab + kCrLf + shortSignature + kCrLf + "WEBPROG";
    const std::string attachmentFile = ProjectFilesDir + "SAAttach.txt";
    VexaCB1().StringToTextFile(attachment, attachmentFile);
    if (!VexaDnld1().AddFiles(AppDir + kStandAloneStub, attachmentFile, exe)) {
        Message(kCannotCreateStandAlone + exe);
        return false;
    }
    VexaCB1().SetFileLastModifTime(exe, FormatTimeStamp14(platform_.clock.LocalNow()));
    ReplaceFileWith(platform_.files, ReleaseDir + scriptCab, InstalledScriptsCacheDir + shortSignature + ".cab");
    return true;
}

}  // namespace vexa::wizard
