#pragma once

#include "scene/BsaFile.h"
#include "scene/BsmFile.h"
#include "scene/BssFile.h"

#include <filesystem>
#include <stdexcept>

// Writes bytes to a file, creating its folders; throws std::runtime_error when it cannot.
void SaveBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Writes a model, scene or animated-model record as its file. A record that breaks a rule of
// its layout (an overlong string, an array whose size differs from the count the layout gives
// it, an animation past the engine's capacity) throws std::runtime_error instead, so the build
// never ships a file the engine would read differently.
template <typename Record> void SaveContentFile(const std::filesystem::path& path, const Record& record)
{
	const std::optional<std::vector<uint8_t>> bytes = WriteContentBytes(record);
	if (!bytes)
	{
		throw std::runtime_error("record does not fit its file layout: " + path.string());
	}
	SaveBytes(path, *bytes);
}
