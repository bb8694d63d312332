// What a settings load and a save cost against a real registry file: a load reads the file
// once for the first value and once for each of the other ten; a save rewrites it once.
#include "settings/DefaultsTable.h"
#include "settings/Settings.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{
// A private configuration folder for the run, removed afterwards.
class BenchConfigHome
{
public:
	BenchConfigHome()
	{
		std::string pattern = (std::filesystem::temp_directory_path() / "glimmer-bench-XXXXXX").string();
		if (mkdtemp(pattern.data()) != nullptr)
		{
			path = pattern;
			setenv("XDG_CONFIG_HOME", path.c_str(), 1);
		}
		unsetenv("DISPLAY");
		unsetenv("WAYLAND_DISPLAY");
	}
	~BenchConfigHome()
	{
		std::error_code ignored;
		std::filesystem::remove_all(path, ignored);
	}

private:
	std::filesystem::path path;
};

void BM_SettingsLoad(benchmark::State& state)
{
	BenchConfigHome home;
	g_defaults.LoadEmbedded();
	Settings settings;
	settings.Load();
	for (auto _ : state)
	{
		settings.Load();
		benchmark::DoNotOptimize(settings.gamma);
	}
}
BENCHMARK(BM_SettingsLoad);

void BM_SettingsSave(benchmark::State& state)
{
	BenchConfigHome home;
	g_defaults.LoadEmbedded();
	Settings settings;
	settings.Load();
	for (auto _ : state)
	{
		settings.Save();
	}
}
BENCHMARK(BM_SettingsSave);
} // namespace
