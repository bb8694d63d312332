#include "tools/music/VorbisWriter.h"

#include <algorithm>
#include <stdexcept>
#include <vorbis/vorbisenc.h>

namespace
{
constexpr int kStreamSerial = 0x476C6D72; // "Glmr"
constexpr size_t kChunkFrames = 1024;

// The libogg and libvorbis state of one encoding, released whatever happens.
class VorbisEncoder
{
public:
	VorbisEncoder(float quality)
	{
		vorbis_info_init(&info);
		if (vorbis_encode_init_vbr(&info, 2, kSampleRate, quality) != 0)
		{
			vorbis_info_clear(&info);
			throw std::runtime_error("the Vorbis encoder refused its settings");
		}
		vorbis_comment_init(&comment);
		vorbis_comment_add_tag(&comment, "TITLE", "Glimmerhearth carols");
		vorbis_analysis_init(&dsp, &info);
		vorbis_block_init(&dsp, &block);
		ogg_stream_init(&stream, kStreamSerial);
	}
	~VorbisEncoder()
	{
		ogg_stream_clear(&stream);
		vorbis_block_clear(&block);
		vorbis_dsp_clear(&dsp);
		vorbis_comment_clear(&comment);
		vorbis_info_clear(&info);
	}
	VorbisEncoder(const VorbisEncoder&) = delete;
	VorbisEncoder& operator=(const VorbisEncoder&) = delete;

	void WriteHeaders()
	{
		ogg_packet identification;
		ogg_packet comments;
		ogg_packet codebooks;
		vorbis_analysis_headerout(&dsp, &comment, &identification, &comments, &codebooks);
		ogg_stream_packetin(&stream, &identification);
		ogg_stream_packetin(&stream, &comments);
		ogg_stream_packetin(&stream, &codebooks);
		// The audio starts on a page of its own, as decoders expect.
		ogg_page page;
		while (ogg_stream_flush(&stream, &page) != 0)
		{
			Append(page);
		}
	}

	void WriteFrames(const StereoBuffer& audio, size_t first, size_t count)
	{
		float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
		std::copy_n(audio.left.begin() + first, count, buffer[0]);
		std::copy_n(audio.right.begin() + first, count, buffer[1]);
		vorbis_analysis_wrote(&dsp, static_cast<int>(count));
		Drain();
	}

	void Finish()
	{
		vorbis_analysis_wrote(&dsp, 0);
		Drain();
	}

	std::vector<uint8_t> bytes;

private:
	void Append(const ogg_page& page)
	{
		bytes.insert(bytes.end(), page.header, page.header + page.header_len);
		bytes.insert(bytes.end(), page.body, page.body + page.body_len);
	}

	void Drain()
	{
		while (vorbis_analysis_blockout(&dsp, &block) == 1)
		{
			vorbis_analysis(&block, nullptr);
			vorbis_bitrate_addblock(&block);
			ogg_packet packet;
			while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1)
			{
				ogg_stream_packetin(&stream, &packet);
				// Once the last packet is in, pageout also hands out the final partial page.
				ogg_page page;
				while (ogg_stream_pageout(&stream, &page) != 0)
				{
					Append(page);
				}
			}
		}
	}

	vorbis_info info;
	vorbis_comment comment;
	vorbis_dsp_state dsp;
	vorbis_block block;
	ogg_stream_state stream;
};
} // namespace

std::vector<uint8_t> EncodeVorbis(const StereoBuffer& audio, float quality)
{
	VorbisEncoder encoder(quality);
	encoder.WriteHeaders();
	for (size_t first = 0; first < audio.Frames(); first += kChunkFrames)
	{
		encoder.WriteFrames(audio, first, std::min(kChunkFrames, audio.Frames() - first));
	}
	encoder.Finish();
	return std::move(encoder.bytes);
}
