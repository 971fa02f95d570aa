// The start of the shipped programs, which carry no C or C++ runtime: the
// first Windows 95 has no MSVCRT.DLL, and the static runtimes use
// instructions a 386, 486 or Pentium cannot run. Linked into the two
// programs only; the tests build the same code with the full runtime.
//
// Nothing here runs static constructors, so every table of the programs is
// constant-initialised.
#include <windows.h>

#include "freestanding_memory.h"

// The entry point named to the linker: the program's WinMain with its
// module handle, and its answer as the process's exit code.
extern "C" void WINAPI Start() {
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT)));
}

// What the compiler calls on its own for block copies, fills and
// comparisons. This file is compiled so that these loops are not turned back
// into calls to themselves.
extern "C" {

void* memcpy(void* target, const void* source, size_t count) {
    return freestanding::CopyBytes(target, source, count);
}

void* memmove(void* target, const void* source, size_t count) {
    return freestanding::MoveBytes(target, source, count);
}

void* memset(void* target, int value, size_t count) {
    return freestanding::FillBytes(target, value, count);
}

int memcmp(const void* a, const void* b, size_t count) {
    return freestanding::CompareBytes(a, b, count);
}

// A pure virtual function called during construction or destruction.
void __cxa_pure_virtual() {
    ExitProcess(3);
}

}  // extern "C"

// Named by the deleting destructors of classes with a virtual destructor.
// No object of these programs lives on the heap, so it is never called.
void operator delete(void*) noexcept {}
void operator delete(void*, unsigned int) noexcept {}
