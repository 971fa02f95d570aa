#pragma once
// The registry operations both programs use. Every key path is relative to
// HKEY_LOCAL_MACHINE; each call opens or creates its key, does one thing and
// closes the key again. Reads and tests answer 1 or 0; writes and deletes
// answer nothing, so a failure loses only that one value.
#include <windows.h>

int ReadRegistryValue(const char* keyPath, const char* valueName, void* buffer, DWORD bufferSize);
void WriteRegistryDword(const char* keyPath, const char* valueName, DWORD value);
void WriteRegistryBinary(const char* keyPath, const char* valueName, const void* data, DWORD length);
void WriteRegistryString(const char* keyPath, const char* valueName, const char* text);
int RegistryKeyExists(const char* keyPath);
int EnumRegistrySubkey(DWORD index, char* name, DWORD nameSize, const char* parentPath);
// How many subkeys and values the key holds, each counted whether or not
// it could be read.
int CountRegistryEntries(const char* keyPath, DWORD& subkeys, DWORD& values);
void DeleteRegistryValue(const char* keyPath, const char* valueName);
void DeleteRegistryKey(const char* parentPath, const char* subkeyPath);
