#pragma once

#include "effects/ParticleFormat.h"
#include "render/Math.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

// A point that names an effect: an emitter anchor of a drawn model or an "emit" scene entry.
struct EmitPoint
{
	std::string tag; // the effect name, such as "snowfall"
	Vec3 worldPosition;
	Quat rotation;
};

struct ParticleLayer
{
	ParticleFormat::LayerParams params;
	uint32_t texture = 0;
};

// One effect of "Particles/<name>.bin": up to five layers, each a burst per emission. A missing
// or malformed file is an empty description, which never spawns anything.
struct ParticleEmitter
{
	std::vector<ParticleLayer> layers;

	// Parses the file's bytes; the layer textures are left at 0. The layers together hold at most
	// as many particles as the vertex array has quads.
	bool Parse(std::span<const uint8_t> bytes, std::vector<std::string>& spriteNames);
};

struct Particle
{
	Vec3 position;
	Vec3 velocity;
	float size = 0.0f; // the length of a streak
	float width = 0.0f;
	float backExtent = 0.0f;
	Vec3 axis;
	Vec3 shrink;
	float fadeRate = 0.0f;
	float peakAlpha = 0.0f;
	float alpha = 0.0f;
	float fadeDirection = 1.0f;
	float gravity = 0.0f;
	// The sprite strip: frame `stripFrame` of `stripFrames`, its timer and speed.
	int32_t stripFrames = 1;
	int32_t stripFrame = 0;
	float stripTimer = 0.0f;
	float stripRate = 0.0f;
	bool dieAfterStrip = false;
	bool spin = false;
	float spinAngle = 0.0f;
	float spinSpeed = 0.0f;
	bool alive = true;
};

struct ParticleBurst
{
	Vec3 emitterPosition;
	Quat emitterRotation;
	uint32_t texture = 0;
	int32_t srcBlend = 0;
	int32_t dstBlend = 0;
	int32_t kind = 0;
	std::vector<Particle> particles;
	int32_t aliveCount = 0;
	int32_t firstVertex = 0;
	int32_t vertexCount = 0;
};

// The bursts sharing one sprite texture, drawn with one call.
struct SpriteGroup
{
	uint32_t texture = 0;
	std::vector<ParticleBurst> bursts;
	int32_t vertexCount = 0;
};

struct ParticleVertex
{
	float x, y, z;
	float r, g, b, a;
	float u, v;
};
static_assert(sizeof(ParticleVertex) == 36);

// Snow, flames, steam and the lights of the tree. Motion runs on a fixed step of 1.5 frame
// units (whatever the frame rate); every step rewrites all live particles as quads into one
// preallocated vertex array, which the draw shows until the next step.
class ParticleSystem
{
public:
	static constexpr int32_t kVertexCapacity = 100000;
	// No burst is spawned while the last step wrote this many vertices or more.
	static constexpr int32_t kEmissionVertexCap = 80000;
	static constexpr float kFixedStep = 1.5f;

	ParticleSystem();

	// The cached effect, loading "Particles/<name>.bin" on first use.
	const ParticleEmitter& FindEmitter(const std::string& name);
	// Files an effect under a name, for effects built in memory.
	void AddEmitter(const std::string& name, ParticleEmitter emitter);
	void Emit(const EmitPoint& point);
	void Update(float dt);
	void Draw();
	// Drops every burst and effect; the vertex array stays.
	void Release();

	// The camera the particles are pulled towards; the scene sets it every frame.
	void SetCameraPosition(const Vec3& position) { cameraPosition = position; }
	// The camera's right and up vectors, as the draw reads them from the model-view matrix.
	void SetCameraVectors(const Vec3& right, const Vec3& up);
	const Vec3& CameraRight() const { return cameraRight; }
	const Vec3& CameraUp() const { return cameraUp; }
	// Switched off, nothing is spawned any more: the measurement of the room without its effects.
	void SetEnabled(bool on) { enabled = on; }
	bool Enabled() const { return enabled; }

	int32_t VerticesWritten() const { return verticesWritten; }
	// The particles still alive after the last step, over every burst.
	int32_t LiveParticles() const;
	float Accumulator() const { return accumulator; }
	const std::vector<SpriteGroup>& Groups() const { return groups; }
	std::span<const ParticleVertex> Vertices() const
	{
		return {vertices.data(), static_cast<size_t>(verticesWritten)};
	}

private:
	void SpawnBurst(const ParticleLayer& layer, const EmitPoint& point);
	void StartParticle(const ParticleLayer& layer, const EmitPoint& point, int32_t kind,
	                   Particle& particle) const;
	SpriteGroup& GroupFor(uint32_t texture);
	void Step(float stepLength);
	void StepBurst(ParticleBurst& burst, float stepLength);
	void StepSprite(Particle& particle, Vec3 (&corners)[4], float (&uv)[4][2]) const;
	void StepStreak(const Particle& particle, Vec3 (&corners)[4]) const;
	void WriteQuad(const Vec3 (&corners)[4], const float (&uv)[4][2], float alpha);

	std::map<std::string, ParticleEmitter> emitters;
	std::vector<SpriteGroup> groups;
	std::vector<ParticleVertex> vertices;
	int32_t verticesWritten = 0;
	float accumulator = 0.0f;
	float frameDt = 0.0f;
	Vec3 cameraPosition;
	Vec3 cameraRight{1.0f, 0.0f, 0.0f};
	Vec3 cameraUp{0.0f, 1.0f, 0.0f};
	Vec3 viewDirection{0.0f, 0.0f, -1.0f};
	bool enabled = true;
};

extern ParticleSystem g_particles;
