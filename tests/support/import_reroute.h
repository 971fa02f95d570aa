#pragma once
// Routes a call a program makes through its own import table: how the state
// recorder journals a setup program's writes, and how a test has one call
// of the system fail where nothing else can make it fail.
#include <windows.h>

#include <cstring>

// Points the program's import of `function` from `dll` at `replacement`.
template <typename Function>
void Reroute(const char* dll, const char* function, Function replacement, Function& original) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return;
    for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        if (_stricmp(reinterpret_cast<const char*>(base + module->Name), dll) != 0) continue;
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base + (module->OriginalFirstThunk ? module->OriginalFirstThunk : module->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            original = reinterpret_cast<Function>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
        }
    }
}

// Reroutes the import for as long as it lives.
template <typename Function>
class ScopedReroute {
public:
    ScopedReroute(const char* dll, const char* function, Function replacement, Function& original)
        : dll_(dll), function_(function), original_(original) {
        Reroute(dll, function, replacement, original);
    }
    ~ScopedReroute() {
        Function replaced = nullptr;
        Reroute(dll_, function_, original_, replaced);
    }
    ScopedReroute(const ScopedReroute&) = delete;
    ScopedReroute& operator=(const ScopedReroute&) = delete;

private:
    const char* dll_;
    const char* function_;
    Function& original_;
};
