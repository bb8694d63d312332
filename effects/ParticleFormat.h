#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

// The emitter file "Particles/<effect>.bin", shared by the content builder that writes it and
// the particle system that reads it, so that a field offset can never drift between the two.
//
//   int32 layer count (more than kMaxLayers reads as kMaxLayers)
//   per layer: int32 name length L, L bytes of sprite file name, a 133-byte parameter block
//
// Everything is little-endian and unaligned.
namespace ParticleFormat
{
inline constexpr int kMaxLayers = 5;
inline constexpr uint32_t kBlockSize = 133;

// Offsets inside the parameter block.
inline constexpr uint32_t kBaseVelocity = 0;
inline constexpr uint32_t kVelocitySpread = 12;
inline constexpr uint32_t kPositionSpread = 24;
inline constexpr uint32_t kParticleCount = 36;
inline constexpr uint32_t kBaseSize = 40;
inline constexpr uint32_t kSizeSpread = 52;
inline constexpr uint32_t kShrinkRate = 64;
inline constexpr uint32_t kUnusedFade = 76; // not read; the files repeat fadeRate here
inline constexpr uint32_t kGravity = 80;
inline constexpr uint32_t kAlongAxis = 84;
inline constexpr uint32_t kSrcBlend = 85;
inline constexpr uint32_t kDstBlend = 89;
inline constexpr uint32_t kStartAlpha = 93;
inline constexpr uint32_t kPeakAlpha = 97;
inline constexpr uint32_t kFadeRate = 101;
inline constexpr uint32_t kStartAlphaSpread = 105;
inline constexpr uint32_t kBackExtent = 109;
inline constexpr uint32_t kRandomAxis = 110;
inline constexpr uint32_t kPullToCamera = 111;
inline constexpr uint32_t kFrameCount = 115;
inline constexpr uint32_t kFrameRate = 119;
inline constexpr uint32_t kDieAfterStrip = 123;
inline constexpr uint32_t kSpin = 124;
inline constexpr uint32_t kSpinSpeed = 125;
inline constexpr uint32_t kKind = 129;

inline constexpr int32_t kKindSprite = 0; // camera-facing sprite
inline constexpr int32_t kKindStreak = 1; // axis-aligned streak

inline constexpr int32_t kBlendSrcAlpha = 770; // GL_SRC_ALPHA
inline constexpr int32_t kBlendOne = 1;        // GL_ONE

struct Triple
{
	float x = 0.0f;
	float y = 0.0f;
	float z = 0.0f;
};

// One layer's parameters, field for field as stored. Units are those of the file: velocities,
// spreads and size spreads in hundredths of a unit, sizes in units, alphas in percent.
struct LayerParams
{
	Triple baseVelocity;
	Triple velocitySpread;
	Triple positionSpread;
	int32_t particleCount = 0;
	Triple baseSize;
	Triple sizeSpread;
	Triple shrinkRate;
	float gravity = 0.0f;
	uint8_t alongAxis = 0;
	int32_t srcBlend = kBlendSrcAlpha;
	int32_t dstBlend = kBlendOne;
	float startAlpha = 0.0f;
	float peakAlpha = 0.0f;
	float fadeRate = 0.0f;
	float startAlphaSpread = 0.0f;
	uint8_t backExtent = 0;
	uint8_t randomAxis = 0;
	float pullToCamera = 0.0f;
	int32_t frameCount = 1;
	float frameRate = 0.0f;
	uint8_t dieAfterStrip = 0;
	uint8_t spin = 0;
	float spinSpeed = 0.0f;
	int32_t kind = kKindSprite;
};

struct Layer
{
	std::string spriteName;
	LayerParams params;
};

namespace Detail
{
inline void Put(uint8_t* block, uint32_t offset, const void* value, size_t size)
{
	std::memcpy(block + offset, value, size);
}
inline void Get(const uint8_t* block, uint32_t offset, void* value, size_t size)
{
	std::memcpy(value, block + offset, size);
}

// Applies one visitor to every field with its offset, so that reading and writing walk the
// same table.
template <typename Params, typename Visit> void ForEachField(Params& p, Visit&& visit)
{
	visit(kBaseVelocity, p.baseVelocity);
	visit(kVelocitySpread, p.velocitySpread);
	visit(kPositionSpread, p.positionSpread);
	visit(kParticleCount, p.particleCount);
	visit(kBaseSize, p.baseSize);
	visit(kSizeSpread, p.sizeSpread);
	visit(kShrinkRate, p.shrinkRate);
	visit(kGravity, p.gravity);
	visit(kAlongAxis, p.alongAxis);
	visit(kSrcBlend, p.srcBlend);
	visit(kDstBlend, p.dstBlend);
	visit(kStartAlpha, p.startAlpha);
	visit(kPeakAlpha, p.peakAlpha);
	visit(kFadeRate, p.fadeRate);
	visit(kStartAlphaSpread, p.startAlphaSpread);
	visit(kBackExtent, p.backExtent);
	visit(kRandomAxis, p.randomAxis);
	visit(kPullToCamera, p.pullToCamera);
	visit(kFrameCount, p.frameCount);
	visit(kFrameRate, p.frameRate);
	visit(kDieAfterStrip, p.dieAfterStrip);
	visit(kSpin, p.spin);
	visit(kSpinSpeed, p.spinSpeed);
	visit(kKind, p.kind);
}

// The format is little-endian; so are the machines this builds for.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(Triple) == 12 && sizeof(float) == 4);
} // namespace Detail

inline void WriteBlock(const LayerParams& params, uint8_t (&block)[kBlockSize])
{
	std::memset(block, 0, kBlockSize);
	Detail::ForEachField(params, [&](uint32_t offset, const auto& field)
	                     { Detail::Put(block, offset, &field, sizeof(field)); });
	// The older tools wrote the fade rate twice; readers ignore the first copy.
	Detail::Put(block, kUnusedFade, &params.fadeRate, sizeof(float));
}

inline LayerParams ReadBlock(const uint8_t* block)
{
	LayerParams params;
	Detail::ForEachField(params, [&](uint32_t offset, auto& field)
	                     { Detail::Get(block, offset, &field, sizeof(field)); });
	return params;
}

inline std::vector<uint8_t> WriteFile(const std::vector<Layer>& layers)
{
	std::vector<uint8_t> bytes;
	auto append = [&](const void* data, size_t size)
	{
		const size_t at = bytes.size();
		bytes.resize(at + size);
		if (size > 0)
		{
			std::memcpy(bytes.data() + at, data, size);
		}
	};
	const int32_t count = static_cast<int32_t>(layers.size());
	append(&count, 4);
	for (const Layer& layer : layers)
	{
		const int32_t nameLength = static_cast<int32_t>(layer.spriteName.size());
		append(&nameLength, 4);
		append(layer.spriteName.data(), layer.spriteName.size());
		uint8_t block[kBlockSize];
		WriteBlock(layer.params, block);
		append(block, kBlockSize);
	}
	return bytes;
}

// Reads up to kMaxLayers layers. Stops, returning false, at the first layer that does not fit
// in the bytes (a negative or oversized name length, a short block); the layers read before it
// are kept. The sprite name keeps only what follows its last "\" or "/".
inline bool ReadFile(std::span<const uint8_t> bytes, std::vector<Layer>& layers)
{
	layers.clear();
	size_t position = 0;
	auto readInt = [&](int32_t& value)
	{
		if (bytes.size() - position < 4)
		{
			return false;
		}
		std::memcpy(&value, bytes.data() + position, 4);
		position += 4;
		return true;
	};
	int32_t count = 0;
	if (!readInt(count))
	{
		return false;
	}
	count = count > kMaxLayers ? kMaxLayers : count;
	for (int32_t i = 0; i < count; ++i)
	{
		int32_t nameLength = 0;
		if (!readInt(nameLength) || nameLength < 0 ||
		    bytes.size() - position < static_cast<size_t>(nameLength) + kBlockSize)
		{
			return false;
		}
		Layer layer;
		layer.spriteName.assign(reinterpret_cast<const char*>(bytes.data() + position),
		                        static_cast<size_t>(nameLength));
		position += static_cast<size_t>(nameLength);
		const size_t slash = layer.spriteName.find_last_of("\\/");
		if (slash != std::string::npos)
		{
			layer.spriteName.erase(0, slash + 1);
		}
		layer.params = ReadBlock(bytes.data() + position);
		position += kBlockSize;
		layers.push_back(std::move(layer));
	}
	return true;
}
} // namespace ParticleFormat
