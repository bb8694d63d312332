#include "effects/ParticleSystem.h"

#include "media/MediaStore.h"
#include "render/SubmissionPacer.h"
#include "render/TextureManager.h"
#include "render/VertexArrays.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

ParticleSystem g_particles;

namespace
{
// Degrees to radians the way the content was authored, with the content's pi.
constexpr float kDegreesToRadians = static_cast<float>(kContentPi / 180.0);
// An effect never holds more particles than the vertex array has quads, whatever its file says:
// one emission could not show more, and each one costs its step all the same.
constexpr int32_t kMaxParticlesPerEffect = ParticleSystem::kVertexCapacity / 4;

// A random whole number in 0 ... n - 1, or 0 when n truncates to 0. Values beyond the int
// range (and NaN) are clamped first, so no file value reaches an undefined conversion.
int RandomBelow(float n)
{
	constexpr float kLimit = 1073741824.0f;
	if (!(std::fabs(n) < kLimit))
	{
		n = std::isnan(n) ? 0.0f : std::copysign(kLimit, n);
	}
	const int whole = static_cast<int>(n);
	return whole == 0 ? 0 : std::rand() % whole;
}

Vec3 FromTriple(const ParticleFormat::Triple& t)
{
	return {t.x, t.y, t.z};
}
} // namespace

bool ParticleEmitter::Parse(std::span<const uint8_t> bytes, std::vector<std::string>& spriteNames)
{
	layers.clear();
	spriteNames.clear();
	std::vector<ParticleFormat::Layer> fileLayers;
	if (!ParticleFormat::ReadFile(bytes, fileLayers))
	{
		return false;
	}
	// The layers share the effect's particles in file order; those past the limit get none.
	int32_t particlesLeft = kMaxParticlesPerEffect;
	for (const ParticleFormat::Layer& fileLayer : fileLayers)
	{
		ParticleLayer layer;
		layer.params = fileLayer.params;
		layer.params.particleCount = std::clamp(layer.params.particleCount, 0, particlesLeft);
		particlesLeft -= layer.params.particleCount;
		layers.push_back(layer);
		spriteNames.push_back(fileLayer.spriteName);
	}
	return true;
}

ParticleSystem::ParticleSystem() : vertices(kVertexCapacity, ParticleVertex{0, 0, 0, 1, 1, 1, 1, 0, 0}) {}

const ParticleEmitter& ParticleSystem::FindEmitter(const std::string& name)
{
	const auto found = emitters.find(name);
	if (found != emitters.end())
	{
		return found->second;
	}
	ParticleEmitter emitter;
	MediaBlob blob = g_mediaStore.Find("Particles/" + name + ".bin");
	std::vector<std::string> spriteNames;
	if (!emitter.Parse({blob.data, blob.size}, spriteNames))
	{
		emitter.layers.clear();
	}
	MediaBlob::Free(blob);
	for (size_t i = 0; i < emitter.layers.size(); ++i)
	{
		emitter.layers[i].texture = g_textures.Get("Sprites", "Sprites/" + spriteNames[i]);
	}
	return emitters[name] = std::move(emitter);
}

void ParticleSystem::AddEmitter(const std::string& name, ParticleEmitter emitter)
{
	emitters[name] = std::move(emitter);
}

void ParticleSystem::Release()
{
	emitters.clear();
	groups.clear();
	verticesWritten = 0;
	accumulator = 0.0f;
}

void ParticleSystem::SetCameraVectors(const Vec3& right, const Vec3& up)
{
	cameraRight = right;
	cameraUp = up;
	viewDirection = Cross(up, right);
	viewDirection.Normalize();
}

int32_t ParticleSystem::LiveParticles() const
{
	int32_t live = 0;
	for (const SpriteGroup& group : groups)
	{
		for (const ParticleBurst& burst : group.bursts)
		{
			live += burst.aliveCount;
		}
	}
	return live;
}

// Bursts are only spawned on frames whose update will run a step, and not while the array is
// nearly full (at most 20,000 live particles).
void ParticleSystem::Emit(const EmitPoint& point)
{
	if (!enabled || accumulator != 0.0f || verticesWritten >= kEmissionVertexCap)
	{
		return;
	}
	const ParticleEmitter& emitter = FindEmitter(point.tag);
	for (const ParticleLayer& layer : emitter.layers)
	{
		SpawnBurst(layer, point);
	}
}

SpriteGroup& ParticleSystem::GroupFor(uint32_t texture)
{
	for (SpriteGroup& group : groups)
	{
		if (group.texture == texture)
		{
			return group;
		}
	}
	groups.push_back({texture, {}, 0});
	return groups.back();
}

void ParticleSystem::SpawnBurst(const ParticleLayer& layer, const EmitPoint& point)
{
	const ParticleFormat::LayerParams& params = layer.params;
	ParticleBurst burst;
	burst.emitterPosition = point.worldPosition;
	burst.emitterRotation = point.rotation;
	burst.texture = layer.texture;
	burst.srcBlend = params.srcBlend;
	burst.dstBlend = params.dstBlend;
	burst.kind = params.kind == ParticleFormat::kKindStreak ? ParticleFormat::kKindStreak
	                                                        : ParticleFormat::kKindSprite;
	burst.particles.resize(static_cast<size_t>(params.particleCount));
	for (Particle& particle : burst.particles)
	{
		StartParticle(layer, point, burst.kind, particle);
	}
	burst.aliveCount = params.particleCount;
	GroupFor(layer.texture).bursts.push_back(std::move(burst));
}

void ParticleSystem::StartParticle(const ParticleLayer& layer, const EmitPoint& point, int32_t kind,
                                   Particle& particle) const
{
	const ParticleFormat::LayerParams& params = layer.params;
	Vec3 pull;
	if (params.pullToCamera != 0.0f)
	{
		pull = cameraPosition - point.worldPosition;
		pull.Normalize();
		pull = pull * params.pullToCamera;
	}
	const Vec3 spread = FromTriple(params.positionSpread);
	const Vec3 offset = Vec3{RandomBelow(spread.x) - spread.x / 2, RandomBelow(spread.y) - spread.y / 2,
	                         RandomBelow(spread.z) - spread.z / 2} *
	                    0.01f;

	particle.alpha = (params.startAlpha + RandomBelow(params.startAlphaSpread)) * 0.01f;
	particle.fadeDirection = 1.0f;
	particle.peakAlpha = params.peakAlpha * 0.01f;
	particle.fadeRate = params.fadeRate * 0.01f;
	particle.stripFrames = std::max(params.frameCount, 1);
	particle.stripFrame = 0;
	particle.stripTimer = 0.0f;
	particle.stripRate = params.frameRate;
	particle.dieAfterStrip = params.dieAfterStrip != 0;
	particle.spin = params.spin != 0;
	particle.spinSpeed = RandomBelow(100) > 50 ? -params.spinSpeed : params.spinSpeed;
	particle.spinAngle = static_cast<float>(RandomBelow(360)) * kDegreesToRadians;
	particle.shrink = FromTriple(params.shrinkRate);
	particle.gravity = params.gravity;
	particle.alive = true;

	const Vec3 baseVelocity = FromTriple(params.baseVelocity);
	const Vec3 velocitySpread = FromTriple(params.velocitySpread);
	if (kind == ParticleFormat::kKindSprite)
	{
		particle.position = point.worldPosition + pull + RotateVector(point.rotation, offset);
		particle.size = params.baseSize.x + RandomBelow(params.sizeSpread.x) * 0.01f;
		const Vec3 velocity{baseVelocity.x + RandomBelow(velocitySpread.x),
		                    baseVelocity.y + RandomBelow(velocitySpread.y),
		                    baseVelocity.z + RandomBelow(velocitySpread.z)};
		particle.velocity = RotateVector(point.rotation, velocity * 0.01f);
		return;
	}

	particle.position = point.worldPosition + pull + offset;
	particle.size = params.baseSize.x + RandomBelow(params.sizeSpread.x) * 0.01f;
	particle.width = params.baseSize.y + RandomBelow(params.sizeSpread.y) * 0.01f;
	particle.backExtent =
	    params.backExtent ? params.baseSize.x + RandomBelow(params.sizeSpread.x) * 0.01f : 0.0f;
	particle.axis = velocitySpread;
	if (params.randomAxis)
	{
		particle.axis = params.alongAxis
		                    ? particle.position - point.worldPosition
		                    : Vec3{RandomBelow(100) * 0.02f - 1.0f, RandomBelow(100) * 0.02f - 1.0f,
		                           RandomBelow(100) * 0.02f - 1.0f};
		particle.axis.Normalize();
	}
	Vec3 direction = particle.axis;
	if (!params.alongAxis)
	{
		Vec3 wander{static_cast<float>(RandomBelow(100) - 50), static_cast<float>(RandomBelow(100) - 50),
		            static_cast<float>(RandomBelow(100) - 50)};
		wander.Normalize();
		direction = direction + wander * (baseVelocity.z * 0.01f);
	}
	particle.velocity = direction * ((baseVelocity.x + RandomBelow(velocitySpread.y)) * 0.01f);
}

// At high frame rates a step of 1.5 units runs once every few frames; at low frame rates each
// frame runs one step of its own length.
void ParticleSystem::Update(float dt)
{
	frameDt = dt;
	if (dt > kFixedStep)
	{
		Step(dt);
	}
	else if (accumulator == 0.0f)
	{
		Step(kFixedStep);
	}
	accumulator += dt;
	if (accumulator > kFixedStep)
	{
		accumulator = 0.0f;
	}
}

void ParticleSystem::Step(float stepLength)
{
	verticesWritten = 0;
	for (SpriteGroup& group : groups)
	{
		group.vertexCount = 0;
		size_t index = 0;
		while (index < group.bursts.size())
		{
			// A burst whose particles all died in the previous step goes; the last one takes its place.
			if (group.bursts[index].aliveCount < 1)
			{
				group.bursts[index] = std::move(group.bursts.back());
				group.bursts.pop_back();
				continue;
			}
			StepBurst(group.bursts[index], stepLength);
			group.vertexCount += group.bursts[index].vertexCount;
			++index;
		}
	}
}

void ParticleSystem::StepBurst(ParticleBurst& burst, float stepLength)
{
	burst.firstVertex = verticesWritten;
	int32_t alive = 0;
	for (Particle& particle : burst.particles)
	{
		if (!particle.alive)
		{
			continue;
		}
		Vec3 corners[4];
		float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
		if (burst.kind == ParticleFormat::kKindSprite)
		{
			StepSprite(particle, corners, uv);
		}
		else
		{
			StepStreak(particle, corners);
		}
		// A particle that ended its strip just now is still drawn this once.
		WriteQuad(corners, uv, particle.alpha);

		particle.position = particle.position + particle.velocity * stepLength;
		particle.velocity.z -= stepLength * particle.gravity;
		// Tested before the shrink and fade below, so the particle shows once more after turning negative.
		if (particle.alpha < 0.0f || particle.size < 0.0f)
		{
			particle.alive = false;
		}
		particle.size -= stepLength * particle.shrink.x;
		if (burst.kind == ParticleFormat::kKindStreak)
		{
			particle.width -= stepLength * particle.shrink.y;
		}
		if (particle.alpha >= particle.peakAlpha)
		{
			particle.fadeDirection = -1.0f;
		}
		particle.alpha += stepLength * particle.fadeDirection * particle.fadeRate;
		alive += particle.alive ? 1 : 0;
	}
	burst.vertexCount = verticesWritten - burst.firstVertex;
	burst.aliveCount = alive;
}

// The camera-facing quad with its strip frame; the strip and the spin run on the frame step.
void ParticleSystem::StepSprite(Particle& particle, Vec3 (&corners)[4], float (&uv)[4][2]) const
{
	const float z = particle.size;
	Vec3 offsets[4] = {(cameraRight + cameraUp) * -z, (cameraRight - cameraUp) * z,
	                   (cameraRight + cameraUp) * z, (cameraUp - cameraRight) * z};
	if (particle.spin)
	{
		const float angle = particle.spinAngle;
		const Vec3 axis = viewDirection * std::sin(angle);
		const Quat turn{axis.x, axis.y, axis.z, std::cos(angle)};
		for (Vec3& offset : offsets)
		{
			offset = RotateVector(turn, offset);
		}
		particle.spinAngle += particle.spinSpeed * frameDt * 0.001f;
	}
	for (int i = 0; i < 4; ++i)
	{
		corners[i] = particle.position + offsets[i];
	}

	const float frameWidth = 1.0f / static_cast<float>(particle.stripFrames);
	const float u = static_cast<float>(particle.stripFrame) * frameWidth;
	const float stripUv[4][2] = {{u, 0}, {u + frameWidth, 0}, {u + frameWidth, 1}, {u, 1}};
	std::copy(&stripUv[0][0], &stripUv[0][0] + 8, &uv[0][0]);
	particle.stripTimer += frameDt * particle.stripRate * 0.01f;
	if (particle.stripTimer >= 1.0f)
	{
		particle.stripTimer = 0.0f;
		// Frames are counted whole, so the end of the strip does not hang on rounding.
		if (++particle.stripFrame >= particle.stripFrames)
		{
			particle.stripFrame = 0;
			particle.alive = particle.alive && !particle.dieAfterStrip;
		}
	}
}

void ParticleSystem::StepStreak(const Particle& particle, Vec3 (&corners)[4]) const
{
	const Vec3 side = Cross(viewDirection, particle.axis) * particle.width;
	const Vec3 back = particle.position - particle.axis * particle.backExtent;
	const Vec3 front = particle.position + particle.axis * particle.size;
	corners[0] = back - side;
	corners[1] = back + side;
	corners[2] = front + side;
	corners[3] = front - side;
}

void ParticleSystem::WriteQuad(const Vec3 (&corners)[4], const float (&uv)[4][2], float alpha)
{
	// Emission keeps the array well short of full; this guard holds whatever the files say.
	if (verticesWritten + 4 > kVertexCapacity)
	{
		return;
	}
	for (int i = 0; i < 4; ++i)
	{
		ParticleVertex& vertex = vertices[static_cast<size_t>(verticesWritten++)];
		vertex.x = corners[i].x;
		vertex.y = corners[i].y;
		vertex.z = corners[i].z;
		vertex.a = alpha;
		vertex.u = uv[i][0];
		vertex.v = uv[i][1];
	}
}

void ParticleSystem::Draw()
{
	glDisable(GL_FOG);
	// The quads of the next step face the camera of this draw.
	float modelview[16];
	glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
	SetCameraVectors({modelview[0], modelview[4], modelview[8]}, {modelview[1], modelview[5], modelview[9]});

	BindVertexBuffer(0);
	const ParticleVertex* base = vertices.data();
	constexpr int32_t kStride = sizeof(ParticleVertex);
	VertexArrays arrays;
	arrays.positions = {&base->x, kStride};
	arrays.colours = {&base->r, kStride};
	arrays.hasColours = true;
	arrays.texCoords = {&base->u, kStride};
	PointVertexArrays(arrays);
	glEnable(GL_BLEND);
	glDisable(GL_LIGHTING);
	glDepthMask(GL_FALSE);
	glEnable(GL_ALPHA_TEST);
	for (const SpriteGroup& group : groups)
	{
		if (group.vertexCount == 0 || group.bursts.empty())
		{
			continue;
		}
		const ParticleBurst& first = group.bursts.front();
		glEnable(GL_TEXTURE_2D);
		glBindTexture(GL_TEXTURE_2D, group.texture);
		glBlendFunc(static_cast<GLenum>(first.srcBlend), static_cast<GLenum>(first.dstBlend));
		glDrawArrays(GL_QUADS, first.firstVertex, group.vertexCount);
		g_submissionPacer.CountTriangles(group.vertexCount / 2);
	}
	glDepthMask(GL_TRUE);
	glDisableClientState(GL_VERTEX_ARRAY);
	glDisableClientState(GL_COLOR_ARRAY);
	glDisableClientState(GL_TEXTURE_COORD_ARRAY);
	glDisable(GL_BLEND);
}
