// Puts a set of definitions of the size users have into the program's data folder of the
// prefix it runs in, as a definitions update writes them, so that the idle benchmark measures
// the program with what it holds on a user's machine: the process shield reads the executable
// definitions, start-up counts them all. No name in it is found on the machine ("zq" starts
// none), so the shields raise no alert.
//   build/wine-sandbox build/tests/plant_definitions.exe

#include "AnsiText.h"
#include "DefinitionSetBuilder.h"
#include "DefinitionUpdate.h"
#include "modGenDec.h"
#include "modGlobals.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Kind {
    const char* kind;
    int count;
    // The record's payload for entry i.
    std::string (*payload)(int i);
};

std::string Name(int i) {
    return "zq" + std::to_string(i * 7919 % 100003);
}

const Kind kKinds[] = {
    {"FILE", 12000,
     [](int i) {
         return Name(i) + ".dat=Threat " + std::to_string(i) + "|[progfil]\\" + Name(i) + "\\|" +
                (i % 3 ? "Spyware" : "Adware");
     }},
    {"EXE", 4000,
     [](int i) { return Name(i) + ".exe=Threat " + std::to_string(i) + "|[progfil]\\" + Name(i); }},
    {"DIR", 3000,
     [](int i) {
         return Name(i) + "=Threat Dir " + std::to_string(i) + "|[progfil]\\" + Name(i) + "|Adware";
     }},
    {"REG", 6000,
     [](int i) {
         return Name(i) + "=Threat " + std::to_string(i) + "|2^Software\\" + Name(i) +
                "\\Toolbar|Spyware";
     }},
    {"COOK", 1000, [](int i) { return Name(i) + ".example"; }},
    {"SFILE", 1000,
     [](int i) { return Name(i) + ".dll=Safe " + std::to_string(i) + "|[system]\\" + Name(i); }},
};

} // namespace

int main() {
    std::string folder = "[appdata]AntiSpywareDAT";
    modGlobals::DataFolder = modGenDec::ExpandPathMacros(folder);
    CreateDirectoryW(Utf8ToWide(modGlobals::DataFolder).c_str(), nullptr);
    DefinitionSetBuilder set;
    int lines = 0;
    for (const Kind& kind : kKinds)
        for (int i = 0; i < kind.count; ++i, ++lines)
            set.Add(kind.kind, kind.payload(i));
    // The set replaces whatever the folder held.
    if (ApplyDefinitionUpdate(set.Reply(), true) <= 0) {
        std::printf("plant_definitions: the definitions could not be written to %s\n",
                    modGlobals::DataFolder.c_str());
        return 1;
    }
    std::printf("plant_definitions: %d definition records in %s\n", lines,
                modGlobals::DataFolder.c_str());
    return 0;
}
