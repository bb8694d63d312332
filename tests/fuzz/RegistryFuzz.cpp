// The registry file parser on any bytes, and its edits: whatever the file held, a parsed file
// with a value written into it parses again, reads that value back and keeps everything else.
#include "settings/RegistryFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace
{
constexpr char kKey[] = "HKEY_CURRENT_USER\\Software\\Quillfen\\Glimmerhearth";

void Check(bool condition)
{
	if (!condition)
	{
		std::abort();
	}
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string_view text(reinterpret_cast<const char*>(data), size);
	RegistryFile file;
	if (!file.Parse(text))
	{
		Check(file.Text() == "REGEDIT4\n\n");
		return 0;
	}
	Check(file.Text() == text || file.Text() == std::string(text) + "\n");
	const auto resolution = file.ReadDword(kKey, "Resolution:");
	const auto other = file.ReadDword("HKEY_CURRENT_USER\\Software\\Other", "a");

	file.WriteDword(kKey, "Gamma:", 0x12345678);
	file.WriteDword(kKey, "Usemon:", 1);
	RegistryFile reread;
	Check(reread.Parse(file.Text()));
	Check(reread.Text() == file.Text());
	Check(reread.ReadDword(kKey, "Gamma:") == 0x12345678u);
	Check(reread.ReadDword(kKey, "Usemon:") == 1u);
	Check(reread.ReadDword(kKey, "Resolution:") == resolution);
	Check(reread.ReadDword("HKEY_CURRENT_USER\\Software\\Other", "a") == other);
	return 0;
}
