// Times the registration of 16 boards on a registry of its own and counts
// the registry calls it makes, by routing this program's own import slots
// for advapi32's Reg* functions through counting wrappers. The shipped code
// is the same code, uncounted. tools/bench_registration.sh runs it.
//
//   registration_bench run FILE.reg   registers, prints the figures and
//                                     writes the registry it made as
//                                     FILE.reg, for regedit to import under
//                                     HKCU\Software\VarnelBench\import
//   registration_bench count          keys and values imported there
//   registration_bench clean          removes HKCU\Software\VarnelBench
//   registration_bench noop           Wine's start-up cost alone
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "install_dialog.h"

// The WINVER the programs are built for hides these; the bench only runs
// under Wine.
extern "C" {
WINADVAPI LONG WINAPI RegOverridePredefKey(HKEY key, HKEY newKey);
WINADVAPI LONG WINAPI RegDeleteTreeA(HKEY key, LPCSTR subKey);
}

namespace {

constexpr char kBenchRoot[] = "Software\\VarnelBench";
constexpr char kScratch[] = "Software\\VarnelBench\\machine";
constexpr char kImportRoot[] = "Software\\VarnelBench\\import";
constexpr int kBoards = 16;

// One per model, so the 16 boards share six class keys as a real mix would.
constexpr struct {
    AdapterModel model;
    const char* device;
} kBoardModels[] = {{1, "0028"}, {2, "0029"}, {3, "0100"}, {4, "0101"}, {5, "0150"}, {6, "0110"}};

// --- Counting wrappers ---------------------------------------------------

struct Calls {
    long open, create, query, set, enumKey, close;
    long total() const { return open + create + query + set + enumKey + close; }
};
Calls calls;

decltype(&RegOpenKeyExA) realOpen;
decltype(&RegCreateKeyExA) realCreate;
decltype(&RegQueryValueExA) realQuery;
decltype(&RegSetValueExA) realSet;
decltype(&RegEnumKeyExA) realEnumKey;
decltype(&RegCloseKey) realClose;

LONG WINAPI CountedOpen(HKEY key, LPCSTR sub, DWORD options, REGSAM sam, PHKEY result) {
    ++calls.open;
    return realOpen(key, sub, options, sam, result);
}
LONG WINAPI CountedCreate(HKEY key, LPCSTR sub, DWORD reserved, LPSTR cls, DWORD options, REGSAM sam,
                          LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition) {
    ++calls.create;
    return realCreate(key, sub, reserved, cls, options, sam, security, result, disposition);
}
LONG WINAPI CountedQuery(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
    ++calls.query;
    return realQuery(key, name, reserved, type, data, size);
}
LONG WINAPI CountedSet(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
    ++calls.set;
    return realSet(key, name, reserved, type, data, size);
}
LONG WINAPI CountedEnumKey(HKEY key, DWORD index, LPSTR name, LPDWORD length, LPDWORD reserved, LPSTR cls,
                           LPDWORD classLength, PFILETIME lastWrite) {
    ++calls.enumKey;
    return realEnumKey(key, index, name, length, reserved, cls, classLength, lastWrite);
}
LONG WINAPI CountedClose(HKEY key) {
    ++calls.close;
    return realClose(key);
}

struct Hook {
    const char* name;
    void* wrapper;
    void** real;
    bool found;
};

Hook hooks[] = {
    {"RegOpenKeyExA",    reinterpret_cast<void*>(&CountedOpen),    reinterpret_cast<void**>(&realOpen),    false},
    {"RegCreateKeyExA",  reinterpret_cast<void*>(&CountedCreate),  reinterpret_cast<void**>(&realCreate),  false},
    {"RegQueryValueExA", reinterpret_cast<void*>(&CountedQuery),   reinterpret_cast<void**>(&realQuery),   false},
    {"RegSetValueExA",   reinterpret_cast<void*>(&CountedSet),     reinterpret_cast<void**>(&realSet),     false},
    {"RegEnumKeyExA",    reinterpret_cast<void*>(&CountedEnumKey), reinterpret_cast<void**>(&realEnumKey), false},
    {"RegCloseKey",      reinterpret_cast<void*>(&CountedClose),   reinterpret_cast<void**>(&realClose),   false},
};

// Points this program's import slots of the hooked functions at the
// wrappers; every call from the linked-in registry code goes through them.
// False when one of them is not imported, so its calls would go uncounted.
bool HookRegistryImports() {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); dll->Name; ++dll) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + dll->Name), "advapi32.dll") != 0) continue;
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const char* function = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name;
            for (Hook& hook : hooks) {
                if (std::strcmp(function, hook.name) != 0) continue;
                DWORD protection;
                VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection);
                *hook.real = reinterpret_cast<void*>(slot->u1.Function);
                slot->u1.Function = reinterpret_cast<DWORD_PTR>(hook.wrapper);
                VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
                hook.found = true;
            }
        }
    }
    for (const Hook& hook : hooks) {
        if (!hook.found) {
            std::fprintf(stderr, "%s is not imported: its calls would go uncounted\n", hook.name);
            return false;
        }
    }
    return true;
}

// --- The registry the bench makes -----------------------------------------

void PutKey(HKEY root, const std::string& path) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

std::string RegText(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

struct Tally {
    long keys = 0;
    long values = 0;
};

// Writes `path` under HKEY_CURRENT_USER and its subtree in regedit's
// REGEDIT4 form, as keys under `importRoot`.
void ExportTree(const std::string& path, const std::string& importPath, std::FILE* out, Tally& tally) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    ++tally.keys;
    std::fprintf(out, "\r\n[HKEY_CURRENT_USER\\%s]\r\n", importPath.c_str());
    for (DWORD i = 0;; ++i) {
        char name[1024];
        BYTE data[4096];
        DWORD nameLength = sizeof name, size = sizeof data, type;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        ++tally.values;
        const std::string shown = nameLength == 0 ? "@" : RegText(name);
        if (type == REG_SZ) {
            std::fprintf(out, "%s=%s\r\n", shown.c_str(), RegText(reinterpret_cast<char*>(data)).c_str());
        } else if (type == REG_DWORD) {
            DWORD number;
            std::memcpy(&number, data, sizeof number);
            std::fprintf(out, "%s=dword:%08lx\r\n", shown.c_str(), static_cast<unsigned long>(number));
        } else {
            std::fprintf(out, "%s=hex:", shown.c_str());
            for (DWORD b = 0; b < size; ++b) std::fprintf(out, b == 0 ? "%02x" : ",%02x", data[b]);
            std::fprintf(out, "\r\n");
        }
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name, length);
    }
    RegCloseKey(key);
    for (const std::string& subkey : subkeys) ExportTree(path + "\\" + subkey, importPath + "\\" + subkey, out, tally);
}

void CountTree(HKEY parent, const char* path, Tally& tally) {
    HKEY key;
    if (RegOpenKeyExA(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    ++tally.keys;
    DWORD subkeys = 0, values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    tally.values += values;
    for (DWORD i = 0; i < subkeys; ++i) {
        char name[1024];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            CountTree(key, name, tally);
    }
    RegCloseKey(key);
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Run(const char* regFile) {
    if (!HookRegistryImports()) return 1;

    RegDeleteTreeA(HKEY_CURRENT_USER, kBenchRoot);
    HKEY scratch;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch,
                        nullptr) != ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, scratch) != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot redirect HKEY_LOCAL_MACHINE\n");
        return 1;
    }
    RegCloseKey(scratch);

    // Every board as detection leaves it: its hardware key with one instance.
    std::vector<std::string> names;
    std::vector<AdapterModel> models;
    for (int i = 0; i < kBoards; ++i) {
        const auto& board = kBoardModels[i % 6];
        char name[128];
        std::snprintf(name, sizeof name, "VEN_10DE&DEV_%s&SUBSYS_%08X&REV_A1", board.device, i);
        names.push_back(name);
        models.push_back(board.model);
        PutKey(HKEY_LOCAL_MACHINE, std::string("Enum\\PCI\\") + name + "\\0000");
    }

    char windows[MAX_PATH];
    GetTempPathA(sizeof windows, windows);
    std::snprintf(windows + std::strlen(windows), 64, "varnel-bench-%lu\\", GetCurrentProcessId());
    CreateDirectoryA(windows, nullptr);

    AdapterTable adapters{};
    InstallDialog dialog(adapters);
    std::strcpy(dialog.windowsDirectory, windows);

    calls = {};
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kBoards; ++i) dialog.RegisterDisplayAdapter(models[i], names[i].c_str());
    QueryPerformanceCounter(&end);
    const Calls made = calls;

    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    std::FILE* out = std::fopen(regFile, "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", regFile);
        return 1;
    }
    std::fprintf(out, "REGEDIT4\r\n");
    Tally written;
    ExportTree(kScratch, kImportRoot, out, written);
    std::fclose(out);

    DeleteFileA((std::string(windows) + "system.ini").c_str());
    RemoveDirectoryA(windows);

    std::printf("boards=%d\n", kBoards);
    std::printf("ms=%.2f\n", Milliseconds(start, end));
    std::printf("calls=%ld\n", made.total());
    std::printf("calls_detail=RegOpenKeyExA %ld, RegCreateKeyExA %ld, RegQueryValueExA %ld, RegSetValueExA %ld, "
                "RegEnumKeyExA %ld, RegCloseKey %ld\n",
                made.open, made.create, made.query, made.set, made.enumKey, made.close);
    std::printf("keys=%ld\nvalues=%ld\n", written.keys, written.values);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "run" && argc > 2) return Run(argv[2]);
    if (command == "count") {
        Tally imported;
        CountTree(HKEY_CURRENT_USER, kImportRoot, imported);
        std::printf("keys=%ld\nvalues=%ld\n", imported.keys, imported.values);
        return 0;
    }
    if (command == "clean") {
        RegDeleteTreeA(HKEY_CURRENT_USER, kBenchRoot);
        RegDeleteKeyA(HKEY_CURRENT_USER, kBenchRoot);
        return 0;
    }
    if (command == "noop") return 0;
    std::fprintf(stderr, "usage: registration_bench run FILE.reg | count | clean | noop\n");
    return 2;
}
