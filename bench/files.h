// Files and folders through the Win32 calls themselves, as the program uses
// them: whole files read and written, sizes, whole trees removed, and the
// bare enumeration of a demo folder the library's listing stands on.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

bool ReadFileBytes(const std::wstring& path, std::string& bytes);
// Creates or replaces the file. With a time, it becomes the file's creation
// and last-write time.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes, const FILETIME* time = nullptr);
unsigned long long FileSize(const std::wstring& path);
bool Exists(const std::wstring& path);
// The file, or the folder with everything in it.
void RemoveTree(const std::wstring& path);
// The path up to its last separator ("." when it has none).
std::wstring FolderOf(const std::wstring& path);
std::wstring FullPath(const std::wstring& path);

// The bare enumeration the library's listing stands on: the same call, the
// same pattern, nothing done with the names. Returns the count of demos.
size_t Enumerate(const std::wstring& demosFolder);

} // namespace bench
