// The audio module's mixer: one output buffer (1024 stereo frames, what the module asks SDL
// for) with one looping channel, the saver's music, and with eight.
#include "audio/module/AudioModuleApi.h"
#include "audio/module/Mixer.h"

#include <benchmark/benchmark.h>

namespace
{
void MixOneBuffer(benchmark::State& state)
{
	Mixer mixer;
	mixer.volume = 35;
	std::vector<int16_t> tone(44100 * 2);
	for (size_t i = 0; i < tone.size(); ++i)
	{
		tone[i] = static_cast<int16_t>((i * 37) % 20000 - 10000);
	}
	for (int64_t i = 0; i < state.range(0); ++i)
	{
		const uint32_t sample = mixer.AddSample(tone, 1, kAudioLoop);
		mixer.Play(*mixer.FindChannel(mixer.ChannelForSample(sample, false)), true);
	}
	std::vector<int16_t> output(1024 * 2);
	for (auto _ : state)
	{
		mixer.Mix(output.data(), 1024);
		benchmark::DoNotOptimize(output.data());
	}
	state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(MixOneBuffer)->Arg(1)->Arg(8);
} // namespace
