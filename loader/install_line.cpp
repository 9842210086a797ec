#include "loader/install_line.hpp"

#include "common/text.hpp"

namespace vexa::loader {

std::optional<InstallLine> ReadInstallLine(const ScriptLines& lines, std::size_t i) {
    const std::string word = GetCommandWord(lines, i);
    auto text = [&](int k) { return GetArgument(lines, i, k); };
    auto number = [&](int k) { return ReadLeadingNumber(text(k)); };
    InstallLine line;
    line.cabinet = text(1);
    line.cabinetSize = number(2);
    if (word == "INSTALLDLLFILE") {
        line.kind = InstallKind::Library;
        line.fileName = text(3);
        line.version = text(4);
        line.pieces = number(5);
        line.expandedSize = number(6);
        line.signature = text(7);
    } else if (word == "INSTALLOCXFILE") {
        line.kind = InstallKind::Control;
        line.fileName = text(3);
        line.version = text(4);
        line.classId = text(5);
        line.pieces = number(6);
        line.expandedSize = number(7);
        line.signature = text(8);
    } else if (word == "INSTALLPROGRAM") {
        line.kind = InstallKind::Program;
        line.pieces = number(4);
        line.expandedSize = number(5);
        line.signature = text(6);
        line.subDirectory = text(7);
    } else {
        return std::nullopt;
    }
    return line;
}

}  // namespace vexa::loader
