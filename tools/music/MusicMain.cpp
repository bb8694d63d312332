// gh_music: composes the saver's background music from its own little band and writes it as
// Ogg Vorbis.
//
//   gh_music <output.ogg> [--seconds N]
//
// The piece is a medley of carols that loops without a seam. --seconds renders only the first
// N seconds (as a loop of their own), for quick checks. The same program always writes the
// same bytes.

#include "tools/music/Arrangement.h"
#include "tools/music/Loudness.h"
#include "tools/music/Mixer.h"
#include "tools/music/Notation.h"
#include "tools/music/VorbisWriter.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace
{
constexpr double kTargetLoudness = -16.0; // LUFS
constexpr double kPeakCeiling = -2.0;     // dBTP before encoding; the codec adds a little
constexpr float kVorbisQuality = 0.4f;

struct Options
{
	std::string output;
	double seconds = 0.0; // 0: the whole piece
};

bool ParseOptions(int argc, char** argv, Options& options)
{
	for (int i = 1; i < argc; ++i)
	{
		const std::string argument = argv[i];
		if (argument == "--seconds" && i + 1 < argc)
		{
			options.seconds = std::atof(argv[++i]);
			if (!(options.seconds > 0.0))
			{
				return false;
			}
		}
		else if (options.output.empty() && argument.rfind("--", 0) != 0)
		{
			options.output = argument;
		}
		else
		{
			return false;
		}
	}
	return !options.output.empty();
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
	std::ofstream file(path, std::ios::binary | std::ios::trunc);
	file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
	return static_cast<bool>(file);
}
} // namespace

int main(int argc, char** argv)
{
	Options options;
	if (!ParseOptions(argc, argv, options))
	{
		std::fprintf(stderr, "usage: gh_music <output.ogg> [--seconds N]\n");
		return 2;
	}
	// Reverb tails that fade into the subnormal range would crawl; flushing them to zero keeps
	// the render fast and changes nothing audible.
#if defined(__SSE__)
	_mm_setcsr(_mm_getcsr() | 0x8040); // flush-to-zero and denormals-are-zero
#endif

	const auto began = std::chrono::steady_clock::now();
	try
	{
		Score score = BuildScore();
		const double seconds =
		    options.seconds > 0.0 ? std::min(options.seconds, score.seconds) : score.seconds;
		std::erase_if(score.notes, [seconds](const NoteEvent& note) { return note.start >= seconds; });

		StereoBuffer audio =
		    RenderLoop(score.notes, static_cast<size_t>(std::llround(seconds * kSampleRate)));
		const MasterLevels levels = Master(audio, kTargetLoudness, kPeakCeiling);
		const std::vector<uint8_t> bytes = EncodeVorbis(audio, kVorbisQuality);
		if (!WriteFile(options.output, bytes))
		{
			std::fprintf(stderr, "gh_music: cannot write %s\n", options.output.c_str());
			return 1;
		}
		const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
		std::printf("gh_music: %.2f s, %zu notes, %.1f LUFS, true peak %.2f dBTP (gain %.2f dB), %zu bytes, "
		            "rendered in %.1f s\n",
		            seconds, score.notes.size(), levels.loudness, levels.truePeakDb, levels.gainDb,
		            bytes.size(), took);
	}
	catch (const NotationError& error)
	{
		std::fprintf(stderr, "gh_music: the arrangement is wrong: %s\n", error.what());
		return 1;
	}
	catch (const std::exception& error)
	{
		std::fprintf(stderr, "gh_music: %s\n", error.what());
		return 1;
	}
	return 0;
}
