#include "core/LibraryImage.h"

#include "core/Platform.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace
{
bool WriteAll(int fd, std::span<const uint8_t> bytes)
{
	size_t written = 0;
	while (written < bytes.size())
	{
		const ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
		if (count < 0 && errno == EINTR)
		{
			continue;
		}
		if (count <= 0)
		{
			return false;
		}
		written += static_cast<size_t>(count);
	}
	return true;
}

void* OpenLibrary(const std::string& path)
{
	return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* LoadFromMemoryFile(std::span<const uint8_t> image)
{
	const int fd = memfd_create("glimmer-audio", MFD_CLOEXEC);
	if (fd < 0)
	{
		return nullptr;
	}
	void* library = nullptr;
	if (WriteAll(fd, image))
	{
		// The loader opens the file afresh through its /proc name; its mapping outlives our fd.
		library = OpenLibrary("/proc/self/fd/" + std::to_string(fd));
	}
	close(fd);
	return library;
}

void* LoadFromTemporaryFile(std::span<const uint8_t> image)
{
	std::string path = Sys_TempDir() + "/basXXXXXX";
	const int fd = mkstemp(path.data());
	if (fd < 0)
	{
		return nullptr;
	}
	const bool written = WriteAll(fd, image);
	close(fd);
	void* library = written ? OpenLibrary(path) : nullptr;
	unlink(path.c_str());
	return library;
}
} // namespace

void* Sys_LoadLibraryImageFrom(LibraryImageFile where, std::span<const uint8_t> image)
{
	if (image.empty())
	{
		return nullptr;
	}
	return where == LibraryImageFile::Memory ? LoadFromMemoryFile(image) : LoadFromTemporaryFile(image);
}

void* Sys_LoadLibraryImage(std::span<const uint8_t> image)
{
	if (void* library = Sys_LoadLibraryImageFrom(LibraryImageFile::Memory, image))
	{
		return library;
	}
	return Sys_LoadLibraryImageFrom(LibraryImageFile::Temporary, image);
}

void* Sys_LibrarySymbol(void* library, const char* name)
{
	return dlsym(library, name);
}

void Sys_FreeLibrary(void* library)
{
	if (library != nullptr)
	{
		dlclose(library);
	}
}
