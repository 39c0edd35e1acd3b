#include "RemovalGuard.h"

#include "AnsiText.h"
#include "DrivePath.h"
#include "TextRules.h"
#include "X86View.h"
#include "modGenDec.h"
#include "modGlobals.h"

#include <windows.h>
#include <shlobj.h>

#include <unordered_map>
#include <vector>

namespace RemovalGuard {

namespace {

// Characters no file or folder name holds; a ":" past the drive would name a stream.
constexpr char kNotInNames[] = "*?\"<>|:";

// The long forms of folders on the way to the items, kept while KeepFolderNames is on, by the
// folder's text in lower case; only folders that were there are kept.
struct KeptFolderNames {
    bool keeping = false;
    std::unordered_map<std::string, std::string> longForms;
};

KeptFolderNames& Kept() {
    static KeptFolderNames kept;
    return kept;
}

std::string LongFolder(const std::string& folder);

// The path with its short (8.3) names made long, as far as it exists: part by part, each
// named as the listing of its folder names it. `listed` tells whether the last part was there.
std::string LongForm(const std::string& path, bool& listed) {
    listed = false;
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos || slash < 2 || slash + 1 == path.size())
        return path;
    const std::string folder = slash == 2 ? path.substr(0, 3) : LongFolder(path.substr(0, slash));
    const std::string part = path.substr(slash + 1);
    const std::string joined = folder.back() == '\\' ? folder + part : folder + "\\" + part;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(joined).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return joined;
    FindClose(search);
    listed = true;
    return joined.substr(0, joined.size() - part.size()) + WideToUtf8(found.cFileName);
}

std::string LongFolder(const std::string& folder) {
    KeptFolderNames& kept = Kept();
    bool listed = false;
    if (!kept.keeping)
        return LongForm(folder, listed);
    const std::string key = TextRules::ToLower(folder);
    if (const auto known = kept.longForms.find(key); known != kept.longForms.end())
        return known->second;
    std::string longForm = LongForm(folder, listed);
    if (listed)
        kept.longForms.emplace(key, longForm);
    return longForm;
}

std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::string ParentFolder(const std::string& folder) {
    const size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

bool NormalizedSameOrInside(const std::string& path, const std::string& folder) {
    if (path.empty() || folder.empty())
        return false;
    const std::string p = TextRules::ToLower(path);
    const std::string f = TextRules::ToLower(folder);
    return p == f || TextRules::StartsWith(p, f.back() == '\\' ? f : f + "\\");
}

// The names the system gives the folders whose loss would break the system or the program,
// the data folder first and the profile folder last; empty where the system has none.
std::vector<std::string> ProtectedFolderNames() {
    std::vector<std::string> names{modGlobals::DataFolder};
    // The folders a 32-bit program works in, where its names of them lead.
    for (const char* folder :
         {"[windir]", "[system]", "[windir]Sysnative", "[progfil]", "[comprogfil]"}) {
        std::string place = folder;
        names.push_back(X86View::TranslatePath(place) ? place : std::string());
    }
    // The x86 folders by their own names, and the system's own 64-bit ones, which need
    // protecting as much.
    for (int csidl : {CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMONX86})
        names.push_back(modGenDec::GetSpecialFolderPath(csidl));
    names.push_back(X86View::NativeSystemFolder());
    // A 32-bit program on 64-bit Windows is shown "Program Files (x86)" as its Program Files.
    for (const wchar_t* variable : {L"ProgramW6432", L"CommonProgramW6432"}) {
        wchar_t folder[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableW(variable, folder, MAX_PATH);
        names.push_back(length > 0 && length < MAX_PATH ? WideToUtf8(folder) : std::string());
    }
    names.push_back(modGenDec::GetSpecialFolderPath(CSIDL_PROFILE));
    return names;
}

struct ProtectedFolderList {
    std::vector<std::string> names; // as ProtectedFolderNames gave them
    std::string dataFolder;         // normalized
    std::vector<std::string> folders;
};

// The protected folders, normalized; those the system does not have are left out. Normalizing
// asks the file system about every part of every folder, which a removal of a thousand items
// would do a thousand times over, while the names are cheap to read: the list is made again
// only when a name changed.
const ProtectedFolderList& ProtectedFolders() {
    static ProtectedFolderList list;
    static bool made = false;
    std::vector<std::string> names = ProtectedFolderNames();
    if (made && names == list.names)
        return list;
    list.names = std::move(names);
    list.folders.clear();
    const auto add = [](const std::string& folder) {
        const std::string normalized = NormalizedPath(folder);
        if (!normalized.empty())
            list.folders.push_back(normalized);
    };
    list.dataFolder = NormalizedPath(list.names.front());
    for (size_t i = 0; i + 1 < list.names.size(); ++i)
        add(list.names[i]);
    const std::string profile = NormalizedPath(list.names.back());
    if (!profile.empty()) {
        list.folders.push_back(profile);
        add(ParentFolder(profile));
    }
    made = true;
    return list;
}

bool OutsideProtectedFolders(const std::string& normalized) {
    if (normalized.size() <= 3) // no drive letter, or a drive root
        return false;
    const ProtectedFolderList& protectedFolders = ProtectedFolders();
    if (NormalizedSameOrInside(normalized, protectedFolders.dataFolder))
        return false;
    for (const std::string& folder : protectedFolders.folders)
        if (NormalizedSameOrInside(folder, normalized))
            return false;
    return true;
}

} // namespace

std::string NormalizedPath(const std::string& path) {
    std::string text = path;
    for (char& c : text)
        if (c == '/')
            c = '\\';
    if (!DrivePath::HasDriveLetter(text))
        return {};
    if (TextRules::StartsWith(text, "\\\\?\\"))
        text.erase(0, 4);
    std::vector<std::string> parts;
    for (std::string part : TextRules::Split(text.substr(2), "\\")) {
        if (part.find_first_of(kNotInNames) != std::string::npos)
            return {};
        if (part.find_first_not_of(". ") == std::string::npos) {
            if (part == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!part.empty() && part != ".") {
                return {}; // "...", ". ": read differently by different systems
            }
            continue;
        }
        while (part.back() == '.' || part.back() == ' ')
            part.pop_back();
        parts.push_back(part);
    }
    std::string normalized = TextRules::ToUpper(text.substr(0, 1)) + ":\\";
    for (size_t i = 0; i < parts.size(); ++i)
        normalized += (i == 0 ? "" : "\\") + parts[i];
    bool listed = false;
    return WithoutTrailingSeparator(LongForm(normalized, listed));
}

bool IsSameOrInside(const std::string& path, const std::string& folder) {
    return NormalizedSameOrInside(NormalizedPath(path), NormalizedPath(folder));
}

bool MayRemove(const std::string& path) {
    return MayRemoveNormalized(NormalizedPath(path));
}

bool MayRemoveNormalized(const std::string& normalized) {
    if (!OutsideProtectedFolders(normalized))
        return false;
    // Where the same text leads a 32-bit program ("Sysnative", "System32") must be no protected
    // place either.
    std::string reached = normalized;
    X86View::TranslatePath(reached);
    return reached == normalized || OutsideProtectedFolders(NormalizedPath(reached));
}

void KeepFolderNames(bool keep) {
    Kept().keeping = keep;
    Kept().longForms.clear();
}

void ForgetFolderNames() {
    Kept().longForms.clear();
}

} // namespace RemovalGuard
