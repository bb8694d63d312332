// The Debian package as cpack makes it in this build tree, unpacked into a throw-away root: the
// files a desktop needs, the control fields, and the unpacked program itself.
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace
{
std::string Shell(const std::string& command)
{
	const ProcessResult result = RunProcess({"/bin/sh", "-c", command}, {}, std::chrono::minutes(5));
	EXPECT_EQ(result.exitCode, 0) << command << "\n" << result.output;
	return result.output;
}

std::string Quoted(const fs::path& path)
{
	return "'" + path.string() + "'";
}

std::vector<std::string> Lines(const std::string& text)
{
	std::vector<std::string> lines;
	std::istringstream in(text);
	for (std::string line; std::getline(in, line);)
	{
		lines.push_back(line);
	}
	return lines;
}

// The names of the packages listed in a Depends field, alternatives included, versions left out.
std::set<std::string> PackageNames(std::string depends)
{
	std::replace(depends.begin(), depends.end(), '|', ',');
	std::set<std::string> names;
	std::istringstream in(depends);
	for (std::string entry; std::getline(in, entry, ',');)
	{
		const size_t start = entry.find_first_not_of(" \n");
		const size_t end = entry.find_first_of(" (\n", start);
		if (start != std::string::npos)
		{
			names.insert(entry.substr(start, end - start));
		}
	}
	return names;
}

// The installed package that holds the shared library `soname` as `binary` loads it (the same
// name may come in other architectures' packages too).
std::string PackageOfLibrary(const fs::path& binary, const std::string& soname)
{
	const std::string resolved =
	    Shell("ldd " + Quoted(binary) + " | awk '$1 == \"" + soname + "\" { print $3 }'");
	// dpkg knows the file by its folder of this architecture, under /lib or /usr/lib alike.
	const fs::path path = resolved.substr(0, resolved.find('\n'));
	const std::string pattern = "*/" + path.parent_path().filename().string() + "/" + soname;
	const std::string owners = Shell("dpkg -S '" + pattern + "' | head -n 1");
	return owners.substr(0, owners.find_first_of(":"));
}

std::vector<std::string> NeededLibraries(const fs::path& elf)
{
	std::vector<std::string> libraries;
	for (const std::string& line : Lines(Shell("readelf -d " + Quoted(elf))))
	{
		const size_t open = line.find("(NEEDED)");
		if (open != std::string::npos)
		{
			const size_t start = line.find('[') + 1;
			libraries.push_back(line.substr(start, line.find(']') - start));
		}
	}
	return libraries;
}

// gzip -n: no file name and no time stamp in the header, so every build makes the same bytes.
void ExpectReproducibleGzip(const fs::path& path)
{
	const std::string compressed = ReadFile(path);
	ASSERT_GE(compressed.size(), 10u) << path;
	EXPECT_EQ(compressed[3] & 0x08, 0) << path << ": file name stored";
	EXPECT_EQ(compressed.substr(4, 4), std::string(4, '\0')) << path << ": time stamp stored";
}

// Width and height from a PNG file's header chunk.
bool PngSize(const fs::path& path, int& width, int& height)
{
	const std::string bytes = ReadFile(path);
	if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0 || bytes.compare(12, 4, "IHDR") != 0)
	{
		return false;
	}
	auto big32 = [&](size_t at)
	{
		return static_cast<int>(
		    static_cast<uint8_t>(bytes[at]) << 24 | static_cast<uint8_t>(bytes[at + 1]) << 16 |
		    static_cast<uint8_t>(bytes[at + 2]) << 8 | static_cast<uint8_t>(bytes[at + 3]));
	};
	width = big32(16);
	height = big32(20);
	return true;
}

class PackageSerial : public testing::Test
{
protected:
	void SetUp() override
	{
		Shell("cpack --config " + Quoted(fs::path(BinaryDir()) / "CPackConfig.cmake") + " -B " +
		      Quoted(dir.Path() / "out"));
		for (const auto& entry : fs::directory_iterator(dir.Path() / "out"))
		{
			if (entry.path().extension() == ".deb")
			{
				package = entry.path();
			}
		}
		ASSERT_FALSE(package.empty()) << "cpack wrote no .deb";
		Shell("dpkg-deb -x " + Quoted(package) + " " + Quoted(root));
	}

	std::string Field(const std::string& name)
	{
		return Shell("dpkg-deb -f " + Quoted(package) + " " + name);
	}

	TempDir dir;
	fs::path package;
	fs::path root = dir.Path() / "root";
};

TEST_F(PackageSerial, ControlFieldsDescribeTheSaver)
{
	EXPECT_EQ(Field("Package"), "glimmerhearth\n");
	EXPECT_EQ(Field("Section"), "x11\n");
	EXPECT_EQ(Field("Architecture"), Shell("dpkg --print-architecture"));
	EXPECT_NE(Field("Maintainer").find('@'), std::string::npos);
	EXPECT_NE(Field("Description").find("screen saver"), std::string::npos);
	EXPECT_NE(Field("Suggests").find("xscreensaver"), std::string::npos);
}

// Every shared library the program links, and every one the libraries carried inside it (the
// audio module) link, comes from a package that the control file depends on.
TEST_F(PackageSerial, DependsOnThePackageOfEveryLinkedLibrary)
{
	const std::set<std::string> depends = PackageNames(Field("Depends"));
	std::vector<fs::path> binaries = {root / "usr/bin/glimmerhearth"};
	const fs::path audioModule = fs::path(BinaryDir()) / "audio/glimmer_audio.so";
	if (fs::exists(audioModule))
	{
		binaries.push_back(audioModule);
	}
	for (const fs::path& binary : binaries)
	{
		const std::vector<std::string> needed = NeededLibraries(binary);
		ASSERT_FALSE(needed.empty()) << binary;
		for (const std::string& library : needed)
		{
			const std::string owner = PackageOfLibrary(binary, library);
			EXPECT_TRUE(depends.contains(owner))
			    << binary << " needs " << library << " of " << owner << "; Depends: " << Field("Depends");
		}
	}
}

TEST_F(PackageSerial, HoldsTheProgramAndItsXscreensaverEntry)
{
	const fs::path program = root / "usr/bin/glimmerhearth";
	ASSERT_TRUE(fs::is_regular_file(program));
	EXPECT_NE(fs::status(program).permissions() & fs::perms::others_exec, fs::perms::none);

	const fs::path hack = root / "usr/libexec/xscreensaver/glimmerhearth";
	ASSERT_TRUE(fs::is_symlink(hack));
	EXPECT_TRUE(fs::read_symlink(hack).is_relative()) << "a link that works wherever the tree is unpacked";
	EXPECT_TRUE(fs::equivalent(hack, program));

	const fs::path description = root / "usr/share/xscreensaver/config/glimmerhearth.xml";
	Shell("xmllint --noout " + Quoted(description));
	const std::string xml = ReadFile(description);
	EXPECT_NE(xml.find("<screensaver name=\"glimmerhearth\" _label=\"Glimmerhearth\""), std::string::npos);
	EXPECT_NE(xml.find("<command arg=\"--root\"/>"), std::string::npos);
	EXPECT_NE(xml.find("arg-set=\"--fps\""), std::string::npos);
	EXPECT_NE(xml.find("<_description>\nA cozy room"), std::string::npos);
}

TEST_F(PackageSerial, HoldsDesktopEntriesAndThemeIcons)
{
	const fs::path applications = root / "usr/share/applications";
	Shell("desktop-file-validate " + Quoted(applications / "glimmerhearth.desktop") + " " +
	      Quoted(applications / "glimmerhearth-settings.desktop"));
	const std::string saver = ReadFile(applications / "glimmerhearth.desktop");
	EXPECT_NE(saver.find("\nName=Glimmerhearth\n"), std::string::npos);
	EXPECT_NE(saver.find("\nExec=glimmerhearth /s\n"), std::string::npos);
	const std::string settings = ReadFile(applications / "glimmerhearth-settings.desktop");
	EXPECT_NE(settings.find("\nName=Glimmerhearth Settings\n"), std::string::npos);
	EXPECT_NE(settings.find("\nExec=glimmerhearth /c\n"), std::string::npos);
	for (const std::string& entry : {saver, settings})
	{
		EXPECT_NE(entry.find("\nIcon=glimmerhearth\n"), std::string::npos);
	}

	for (const int size : {48, 64, 128, 256})
	{
		const std::string folder = std::to_string(size) + "x" + std::to_string(size);
		int width = 0;
		int height = 0;
		ASSERT_TRUE(
		    PngSize(root / "usr/share/icons/hicolor" / folder / "apps/glimmerhearth.png", width, height))
		    << folder;
		EXPECT_EQ(width, size);
		EXPECT_EQ(height, size);
	}
}

TEST_F(PackageSerial, ManualPageDocumentsSwitchesOptionsFilesAndEnvironment)
{
	const fs::path page = root / "usr/share/man/man6/glimmerhearth.6.gz";
	ExpectReproducibleGzip(page);

	const std::string text = Shell("gzip -dc " + Quoted(page));
	EXPECT_EQ(text.rfind(".TH GLIMMERHEARTH 6 ", 0), 0u);
	for (const char* documented :
	     {"\n.B /s\n", "\n.BI /p ", "\n.BR /c ", "\n.B /t\n", "\n.B \\-root\n", "\n.BI \\-window\\-id ",
	      "\n.B \\-window\n", "\n.B \\-fps\n", "\\-display", "\\-delay", "\n.BI \\-\\-snapshot ",
	      "\\-\\-frames", "\\-\\-size", "\\-\\-at", "\\-\\-seed", "registry.reg", "XSCREENSAVER_WINDOW",
	      "\n.B GLIMMERHEARTH_LOG\n", "\n.B GLIMMERHEARTH_NONINTERACTIVE\n"})
	{
		EXPECT_NE(text.find(documented), std::string::npos) << documented;
	}
	EXPECT_EQ(text.find('@'), std::string::npos) << "a placeholder left in the page";
}

// Debian's checker finds nothing to object to: no error, no warning, not even a note.
TEST_F(PackageSerial, LintianFindsNothing)
{
	const std::string report =
	    Shell("lintian --info --pedantic --fail-on error,warning,info,pedantic " + Quoted(package) + " 2>&1");
	for (const std::string& line : Lines(report))
	{
		EXPECT_FALSE(line.size() > 2 && line[1] == ':' && line[2] == ' ') << line;
	}
}

// The package is native, so its changelog is changelog.gz, and its latest entry is this version.
TEST_F(PackageSerial, ChangelogStartsWithThisVersion)
{
	const fs::path changelog = root / "usr/share/doc/glimmerhearth/changelog.gz";
	ExpectReproducibleGzip(changelog);
	const std::string version = Field("Version");
	const std::string text = Shell("gzip -dc " + Quoted(changelog));
	EXPECT_EQ(text.rfind("glimmerhearth (" + version.substr(0, version.find('\n')) + ") ", 0), 0u) << text;
}

// The copyright file names the fonts whose glyphs the content is drawn with, under the licences
// their own packages state.
TEST_F(PackageSerial, CopyrightCarriesTheFontLicences)
{
	const std::string copyright = ReadFile(root / "usr/share/doc/glimmerhearth/copyright");
	EXPECT_EQ(copyright.rfind("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n", 0),
	          0u);
	EXPECT_NE(copyright.find("\nFiles: *\nCopyright: "), std::string::npos);
	const std::pair<const char*, const char*> fonts[] = {{"fonts-urw-base35", "License: AGPL-3\n"},
	                                                     {"fonts-dejavu-core", "License: bitstream-vera\n"}};
	for (const auto& [package, licence] : fonts)
	{
		EXPECT_NE(copyright.find(std::string("(Debian package ") + package + ")"), std::string::npos) << package;
		// The licence text, word for word as the font's package has it, up to the next paragraph.
		const std::string original = ReadFile(fs::path("/usr/share/doc") / package / "copyright");
		const size_t start = original.find(licence);
		ASSERT_NE(start, std::string::npos) << package;
		const size_t end = original.find("\n\n", start);
		const std::string text = original.substr(start, end == std::string::npos ? end : end - start);
		EXPECT_NE(copyright.find(text), std::string::npos) << package;
	}
}

// The program as the package installs it (stripped, from its own folder) starts and draws: a
// snapshot of the loading screen, which is never black.
TEST_F(PackageSerial, UnpackedProgramDrawsASnapshot)
{
	XvfbServer xvfb(320, 240);
	const fs::path picture = dir.Path() / "snapshot.png";
	const ProcessResult result =
	    RunProcess({(root / "usr/bin/glimmerhearth").string(), "--snapshot", picture.string(), "--frames",
	                "0", "--size", "160x90"},
	               {{"DISPLAY", xvfb.Display()}, {"XDG_CONFIG_HOME", (dir.Path() / "config").string()}});
	EXPECT_EQ(result.exitCode, 0) << result.output;

	png_image image{};
	image.version = PNG_IMAGE_VERSION;
	ASSERT_NE(png_image_begin_read_from_file(&image, picture.c_str()), 0) << result.output;
	image.format = PNG_FORMAT_RGB;
	std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
	png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
	EXPECT_EQ(image.width, 160u);
	EXPECT_EQ(image.height, 90u);
	EXPECT_GT(*std::max_element(rgb.begin(), rgb.end()), 16);
}
} // namespace
