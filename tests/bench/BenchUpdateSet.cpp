#include "BenchUpdateSet.h"

#include "DefinitionSetBuilder.h"

#include <iterator>
#include <string_view>

namespace {

// Of every 20 ADD records: 8 FILE, 3 EXE (added to two files), 1 DLL, 3 REG, 1 COOK, 2 DIR and
// 2 SFILE; `file` is the first file that takes the kind.
struct AddShare {
    size_t below;
    const char* kind;
    size_t file;
};
constexpr AddShare kAddShares[] = {{8, "FILE", 0},  {11, "EXE", 0}, {12, "DLL", 0},  {15, "REG", 2},
                                   {16, "COOK", 3}, {18, "DIR", 4}, {20, "SFILE", 5}};

std::string AddedPayload(const std::string& kind, size_t i) {
    const std::string n = std::to_string(i);
    if (kind == "REG")
        return "k=New " + n + "|2^Software\\New" + n + "|Spyware";
    if (kind == "COOK")
        return "*.new" + n + ".com";
    if (kind == "DIR")
        return "new" + n + "=New Dir " + n + "|c:\\program files\\new" + n + "|Adware";
    if (kind == "SFILE")
        return "new" + n + ".exe=x|c:\\safe\\new" + n + ".exe";
    return "new" + n + ".exe=New " + n + "|c:\\program files\\new\\" + n + "|TYPE";
}

} // namespace

// Line i of a file as installed, and the name a DEL record gives it.
std::string InstalledLine(size_t file, size_t i, std::string* name) {
    const std::string n = std::to_string(i);
    const std::string names[] = {"zq" + n + ".exe",   "zq" + n + ".exe", "2^Software\\Zq" + n + "^",
                                 "*.zq" + n + ".com", "zq" + n,          "zq" + n + ".exe"};
    const std::string lines[] = {
        names[0] + "=Threat " + n + "|c:\\program files\\zq\\" + n + "|Spyware",
        names[1] + "=Threat " + n + "|c:\\program files\\zq",
        names[2] + "=Threat " + n + "|Spyware",
        names[3],
        names[4] + "=Threat Dir " + n + "|c:\\program files\\zq" + n + "|Adware",
        "SFILE|" + names[5] + "=x|c:\\safe\\" + names[5]};
    if (name)
        *name = names[file];
    return lines[file];
}

UpdateSet MakeUpdate() {
    UpdateSet set;
    DefinitionSetBuilder reply;
    for (size_t file = 0; file < std::size(kUpdateFiles); ++file)
        set.lines[file] = kFullFileLines + (file == 0);
    for (size_t i = 0; i < kUpdateAdds; ++i) {
        const AddShare* share = kAddShares;
        while (i % 20 >= share->below)
            ++share;
        reply.Add(share->kind, AddedPayload(share->kind, i));
        ++set.lines[share->file];
        ++set.count;
        if (std::string_view(share->kind) == "EXE")
            ++set.lines[1], ++set.count;
    }
    // The DELs name lines spread over each file; an EXE one removes its name from the file
    // definitions too. A safety line's name starts with its kind, which no DEL's name does.
    for (size_t file = 0; file < std::size(kUpdateFiles); ++file) {
        for (size_t d = 0; d < kUpdateDeletes / std::size(kUpdateFiles) + (file < 4); ++d) {
            std::string name;
            InstalledLine(file, d * 97 + file, &name);
            reply.Del(kUpdateFiles[file].deleteKind, name);
            if (file != 5)
                --set.lines[file];
            if (file == 1)
                --set.lines[0];
        }
        ++set.count; // one rewrite
    }
    set.reply = reply.Reply();
    set.records = reply.RecordCount();
    return set;
}
