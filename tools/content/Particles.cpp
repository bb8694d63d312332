// The emitter files under "Particles/". Units as stored: sizes in units (one unit is about a
// centimetre; the room is about 700 × 550 × 300 with z up), velocities, spreads and size
// spreads in hundredths of a unit, alphas and fade rates in percent per particle step (a step
// is 1.5 frame units, about 37 a second). Every effect blends additively and is emitted once per
// step from each emitting point, so an effect's brightness is the sum over its live bursts.

#include "effects/ParticleFormat.h"
#include "tools/content/ContentParts.h"

#include <string>

using ParticleFormat::Layer;
using ParticleFormat::LayerParams;

namespace
{
void WriteEffect(ContentOutput& out, const std::string& effect, const std::vector<Layer>& layers)
{
	out.Bytes("primary/Particles/" + effect + ".bin", ParticleFormat::WriteFile(layers));
}

// Fire: four tongues a step rise from a 30 × 12 bed of embers along the upward axis, spread a
// little sideways, stretch, thin out and fade within about half a second.
Layer FireTongues()
{
	LayerParams p;
	p.kind = ParticleFormat::kKindStreak;
	p.particleCount = 4;
	p.baseVelocity = {35.0f, 0.0f, 25.0f}; // speed, unused, weight of the random sideways push
	p.velocitySpread = {0.0f, 0.0f, 1.0f}; // the axis: straight up
	p.positionSpread = {3000.0f, 1200.0f, 300.0f};
	p.baseSize = {14.0f, 4.0f, 0.0f};
	p.sizeSpread = {800.0f, 250.0f, 0.0f};
	p.shrinkRate = {0.2f, 0.06f, 0.0f};
	p.gravity = -0.005f; // hot gas speeds up as it rises
	p.startAlpha = 10.0f;
	p.startAlphaSpread = 15.0f;
	p.peakAlpha = 45.0f;
	p.fadeRate = 4.0f;
	return {"tex_flame.tga", p};
}

// candle: one small flame a step that hardly moves; the short-lived overlapping copies with
// their jitter make the flame flicker in place.
Layer CandleFlame()
{
	LayerParams p;
	p.particleCount = 1;
	p.baseVelocity = {-2.0f, -2.0f, 1.0f};
	p.velocitySpread = {4.0f, 4.0f, 2.0f};
	p.positionSpread = {20.0f, 20.0f, 0.0f};
	p.baseSize = {1.6f, 0.0f, 0.0f};
	p.sizeSpread = {30.0f, 0.0f, 0.0f};
	p.shrinkRate = {0.02f, 0.0f, 0.0f};
	p.startAlpha = 12.0f;
	p.peakAlpha = 30.0f;
	p.fadeRate = 6.0f;
	p.frameCount = 1;
	return {"tex_candleflame.tga", p};
}

// locosteam: two puffs a step leave the chimney upwards, drift, swell and roll slowly while
// they thin out over about a second and a half.
Layer LocomotiveSteam()
{
	LayerParams p;
	p.particleCount = 2;
	p.baseVelocity = {-10.0f, -10.0f, 40.0f};
	p.velocitySpread = {20.0f, 20.0f, 20.0f};
	p.positionSpread = {100.0f, 100.0f, 50.0f};
	p.baseSize = {2.0f, 0.0f, 0.0f};
	p.sizeSpread = {100.0f, 0.0f, 0.0f};
	p.shrinkRate = {-0.06f, 0.0f, 0.0f}; // grows
	p.startAlpha = 5.0f;
	p.peakAlpha = 25.0f;
	p.fadeRate = 0.8f;
	p.frameCount = 1;
	p.spin = 1;
	p.spinSpeed = 8.0f;
	return {"tex_steam.tga", p};
}

// snowfall: three flakes a step appear anywhere in a 600 × 300 × 10 box, drift down at about
// half a metre a second with a little wind, tumble through the four frames of the strip while
// they turn, fade in and out over some 3.4 seconds and 170 units of fall.
Layer Snowfall()
{
	LayerParams p;
	p.particleCount = 3;
	p.baseVelocity = {-25.0f, -25.0f, -90.0f};
	p.velocitySpread = {50.0f, 50.0f, 30.0f};
	p.positionSpread = {60000.0f, 30000.0f, 1000.0f};
	p.baseSize = {0.9f, 0.0f, 0.0f};
	p.sizeSpread = {90.0f, 0.0f, 0.0f};
	p.startAlpha = 30.0f;
	p.peakAlpha = 90.0f;
	p.fadeRate = 1.2f;
	p.frameCount = 4;
	p.frameRate = 2.0f; // a frame every 50 frame units
	p.spin = 1;
	p.spinSpeed = 15.0f;
	return {"tex_snowflake.tga", p};
}

// The fir-tree lights (blu_, gre_, red_, vio_, yel_firlight): four still sparks shimmer in a
// 0.6-unit cluster on the bulb, rise from 19 % to full in about 15 steps and fade out in 19:
// a blink of about a second each time the tree hands the bulb to the particle system.
Layer FirLight(const char* sprite)
{
	LayerParams p;
	p.particleCount = 4;
	p.positionSpread = {60.0f, 60.0f, 60.0f};
	p.baseSize = {2.0f, 0.0f, 0.0f};
	p.sizeSpread = {100.0f, 0.0f, 0.0f};
	p.startAlpha = 19.0f;
	p.peakAlpha = 100.0f;
	p.fadeRate = 5.3824f;
	p.frameCount = 1;
	return {sprite, p};
}

// The glows (grefirglow, redfirglow, yelfirglow): one ray a step in a random direction from
// the bulb, reaching out 7 to 11 units and growing a little while it flares and fades.
Layer FirGlow(const char* sprite)
{
	LayerParams p;
	p.kind = ParticleFormat::kKindStreak;
	p.particleCount = 1;
	p.randomAxis = 1;
	p.velocitySpread = {0.0f, 0.0f, 1.0f}; // replaced by a random axis per particle
	p.baseSize = {7.0f, 0.9f, 0.0f};
	p.sizeSpread = {400.0f, 40.0f, 0.0f};
	p.shrinkRate = {-0.05f, 0.0f, 0.0f};
	p.startAlpha = 10.0f;
	p.peakAlpha = 55.0f;
	p.fadeRate = 4.0f;
	return {sprite, p};
}

// A still halo of `halfSize` units about a light, moved `pull` units towards the camera so that
// it shows in front of what holds the light. Every burst starts at its brightest and fades out
// within a few steps, so only a handful overlap: the glow stays steady and cheap to draw.
Layer Halo(float halfSize, float pull, float peakAlpha)
{
	LayerParams p;
	p.particleCount = 1;
	p.baseSize = {halfSize, 0.0f, 0.0f};
	p.startAlpha = peakAlpha;
	p.peakAlpha = peakAlpha;
	p.fadeRate = peakAlpha / 4.0f;
	p.pullToCamera = pull;
	p.frameCount = 1;
	return {"tex_halo.tga", p};
}
} // namespace

void BuildParticles(ContentOutput& out)
{
	WriteEffect(out, "Fire", {FireTongues()});
	WriteEffect(out, "candle", {CandleFlame()});
	WriteEffect(out, "candleglow", {Halo(6.0f, 4.0f, 20.0f)});
	WriteEffect(out, "locosteam", {LocomotiveSteam()});
	WriteEffect(out, "snowfall", {Snowfall()});
	WriteEffect(out, "blu_firlight", {FirLight("fir_bluelight.tga")});
	WriteEffect(out, "gre_firlight", {FirLight("fir_greenlight.tga")});
	WriteEffect(out, "red_firlight", {FirLight("fir_redlight.tga")});
	WriteEffect(out, "vio_firlight", {FirLight("fir_violetlight.tga")});
	WriteEffect(out, "yel_firlight", {FirLight("fir_yellowlight.tga")});
	WriteEffect(out, "grefirglow", {FirGlow("fir_greenglow.tga")});
	WriteEffect(out, "redfirglow", {FirGlow("fir_redglow.tga")});
	WriteEffect(out, "yelfirglow", {FirGlow("fir_yellowglow.tga")});
	WriteEffect(out, "starglow", {FirGlow("fir_yellowglow.tga"), Halo(12.0f, 8.0f, 22.0f)});
	WriteEffect(out, "lampglow", {Halo(42.0f, 32.0f, 22.0f)});
}
