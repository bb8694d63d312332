#include "tests/audio/OggEncode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace
{
void AppendPage(const ogg_page& page, std::vector<uint8_t>& out)
{
	out.insert(out.end(), page.header, page.header + page.header_len);
	out.insert(out.end(), page.body, page.body + page.body_len);
}

// Runs the encoder over what analysis has been given and collects every finished page.
void DrainEncoder(vorbis_dsp_state& dsp, vorbis_block& block, ogg_stream_state& stream,
                  std::vector<uint8_t>& out)
{
	ogg_packet packet;
	ogg_page page;
	while (vorbis_analysis_blockout(&dsp, &block) == 1)
	{
		vorbis_analysis(&block, nullptr);
		vorbis_bitrate_addblock(&block);
		while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1)
		{
			ogg_stream_packetin(&stream, &packet);
			while (ogg_stream_pageout(&stream, &page) != 0)
			{
				AppendPage(page, out);
			}
		}
	}
}
} // namespace

std::vector<float> SineWave(double frequency, double seconds, double amplitude, int rate, int channels)
{
	const auto frames = static_cast<size_t>(std::lround(seconds * rate));
	std::vector<float> samples(frames * static_cast<size_t>(channels));
	for (size_t i = 0; i < frames; ++i)
	{
		const double value =
		    amplitude * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
		for (int c = 0; c < channels; ++c)
		{
			samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = static_cast<float>(value);
		}
	}
	return samples;
}

std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& interleaved, int channels, int rate)
{
	vorbis_info info;
	vorbis_info_init(&info);
	if (vorbis_encode_init_vbr(&info, channels, rate, 0.6f) != 0)
	{
		throw std::runtime_error("vorbis_encode_init_vbr failed");
	}
	vorbis_comment comment;
	vorbis_comment_init(&comment);
	vorbis_dsp_state dsp;
	vorbis_analysis_init(&dsp, &info);
	vorbis_block block;
	vorbis_block_init(&dsp, &block);
	ogg_stream_state stream;
	ogg_stream_init(&stream, 1);

	std::vector<uint8_t> out;
	ogg_packet header, commentHeader, codeHeader;
	vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
	ogg_stream_packetin(&stream, &header);
	ogg_stream_packetin(&stream, &commentHeader);
	ogg_stream_packetin(&stream, &codeHeader);
	ogg_page page;
	while (ogg_stream_flush(&stream, &page) != 0)
	{
		AppendPage(page, out);
	}

	const size_t frames = interleaved.size() / static_cast<size_t>(channels);
	constexpr size_t kChunk = 4096;
	for (size_t start = 0; start < frames; start += kChunk)
	{
		const size_t count = std::min(kChunk, frames - start);
		float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
		for (size_t i = 0; i < count; ++i)
		{
			for (int c = 0; c < channels; ++c)
			{
				buffer[c][i] =
				    interleaved[(start + i) * static_cast<size_t>(channels) + static_cast<size_t>(c)];
			}
		}
		vorbis_analysis_wrote(&dsp, static_cast<int>(count));
		DrainEncoder(dsp, block, stream, out);
	}
	vorbis_analysis_wrote(&dsp, 0);
	DrainEncoder(dsp, block, stream, out);
	while (ogg_stream_flush(&stream, &page) != 0)
	{
		AppendPage(page, out);
	}

	ogg_stream_clear(&stream);
	vorbis_block_clear(&block);
	vorbis_dsp_clear(&dsp);
	vorbis_comment_clear(&comment);
	vorbis_info_clear(&info);
	return out;
}
