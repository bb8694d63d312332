#pragma once

#include <cstdint>
#include <span>

// Loading a shared library that the program carries as bytes in its resources (the audio
// module). The dynamic loader only maps files, so the bytes are written out first: to an
// anonymous memory file, or, where the system refuses that or will not map it, to a temporary
// file with the prefix "bas" in Sys_TempDir() (created 0600). A temporary file is removed as soon
// as the loader has mapped it, whether that worked or not, so none is ever left behind.

enum class LibraryImageFile
{
	Memory,
	Temporary
};

// Null when the bytes cannot be written out or are not a loadable library.
void* Sys_LoadLibraryImage(std::span<const uint8_t> image);
// One way only; the test of the fallback uses it.
void* Sys_LoadLibraryImageFrom(LibraryImageFile where, std::span<const uint8_t> image);
// Null when the library has no such entry point.
void* Sys_LibrarySymbol(void* library, const char* name);
void Sys_FreeLibrary(void* library);
