#include "frame/FrameComposer.h"

#include "core/RunMode.h"
#include "effects/ParticleSystem.h"
#include "overlay/ClockOverlay.h"
#include "render/Draw2D.h"
#include "scene/DrawPasses.h"
#include "scene/Scene.h"

#include <GL/glew.h>

#include <algorithm>

FrameComposer g_frameComposer;

namespace
{
// The veil is plain black: it binds no texture, which also spares the rasteriser a texture
// fetch per pixel of a full-screen quad.
constexpr uint32_t kVeilTexture = 0;
ScreenQuad FullScreen(uint32_t texture)
{
	return {0.0f, 0.0f, 1.0f, 1.0f, texture};
}

// Glass keeps all but its clearest texels.
constexpr float kGlassAlphaReference = 0.00001f;

void SetScenePassState()
{
	const float fogColour[4] = {0.8f, 0.8f, 0.8f, 1.0f};
	glEnable(GL_FOG);
	glFogi(GL_FOG_MODE, GL_LINEAR);
	glFogfv(GL_FOG_COLOR, fogColour);
	glFogf(GL_FOG_DENSITY, 0.00001f);
	glFogf(GL_FOG_START, 2720.0f);
	glFogf(GL_FOG_END, 12600.0f);
	glEnable(GL_CULL_FACE);
	glEnable(GL_BLEND);
	glEnable(GL_ALPHA_TEST);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	glAlphaFunc(GL_GREATER, 0.6f);
	glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// The opaque objects in the current camera's view, which also emit the particles of the frame.
void DrawOpaquePass(float frameTime, const LocalTime& time)
{
	SetScenePassState();
	g_scene.CullAndDrawOpaque(frameTime, time);
	glEnable(GL_TEXTURE_2D);
	glBindTexture(GL_TEXTURE_2D, 0);
}

void DrawParticlesAndGlass(float frameTime, const LocalTime& time)
{
	glAlphaFunc(GL_ALWAYS, 1.0f);
	g_particles.Draw();
	g_scene.DrawList(g_scene.glassList, kGlassAlphaReference, frameTime, time);
}

// What drawing the flights' views unseen moves, to be put back as it was.
struct ViewsInPlay
{
	// The views move the cameras, and a cut in the next frame draws from the current one before
	// it takes its next step.
	std::vector<Camera> cameras = g_scene.cameras;
	int32_t currentCamera = g_scene.currentCamera;
	std::vector<SceneObject*> opaqueList = g_scene.opaqueList;
	bool occlusionQueries = g_scene.hasOcclusionQuery;
	Vec3 particleRight = g_particles.CameraRight();
	Vec3 particleUp = g_particles.CameraUp();

	void Restore() const
	{
		g_scene.cameras = cameras;
		g_scene.currentCamera = currentCamera;
		g_scene.opaqueList = opaqueList;
		g_scene.hasOcclusionQuery = occlusionQueries;
		g_particles.SetCameraVectors(particleRight, particleUp);
	}
};

// Eight views spread along each flight: between them they show what the flight passes.
constexpr int32_t kRehearsedViewsPerFlight = 8;
// What the driver builds depends on the state of the drawing, not on the size of the picture; a
// small one keeps the rehearsal short on a software rasteriser at full-screen sizes.
constexpr int kRehearsalWidth = 320;
constexpr int kRehearsalHeight = 240;

// The views of every flight, drawn as a frame draws them. The views are culled without occlusion
// queries, whose answers the next frame would otherwise take for its own view. A quit (the
// terminate signal, a deactivating host) stops the rehearsal at the next view, so that the saver
// ends as promptly as in any other frame rather than after every view of every flight.
void RehearseFlights(const FrameMoment& moment)
{
	const ViewsInPlay saved;
	g_scene.hasOcclusionQuery = false;
	glViewport(0, 0, kRehearsalWidth, kRehearsalHeight);
	for (size_t flight = 0; flight < g_scene.cameras.size(); ++flight)
	{
		g_scene.currentCamera = static_cast<int32_t>(flight);
		Camera& camera = g_scene.cameras[flight];
		// A flight plays from its first key to its last but one.
		const int32_t lastKey = camera.KeyCount() - 2;
		const int32_t stride = std::max(1, lastKey / kRehearsedViewsPerFlight);
		for (int32_t key = 0; key <= lastKey && GetRunMode() != RunMode::Quit; key += stride)
		{
			camera.ShowKey(key);
			glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
			g_scene.ResetVisibility();
			DrawOpaquePass(/*frameTime=*/0.0f, moment.localTime);
			DrawParticlesAndGlass(/*frameTime=*/0.0f, moment.localTime);
		}
	}
	glViewport(0, 0, moment.width, moment.height);
	saved.Restore();
}

} // namespace

void FrameComposer::Start(int windowWidth, int windowHeight)
{
	fadeClock = 0.0f;
	fadeAlpha = 1.0f;
	captureRequested = false;
	crossFadeAlpha = 0.0f;
	capture.Create(windowWidth, windowHeight);
}

void FrameComposer::AdvanceFades(FrameClock& clock)
{
	fadeClock += clock.dt * 0.5f;
	clock.Tick(fadeClock);
	const float dt = clock.dt;
	crossFadeAlpha -= dt * 0.01f;
	if (fadeClock > 1.0f)
	{
		fadeAlpha -= dt * 0.015f;
	}
	if (fadeAlpha > 0.0f)
	{
		g_screenQuads.Queue(FullScreen(kVeilTexture), 0.0f, 0.0f, 0.0f, fadeAlpha, GL_SRC_ALPHA,
		                    GL_ONE_MINUS_SRC_ALPHA);
	}
}

// The objects drawn into the lower-left square and copied into the capture texture. The
// camera's fixed 4:3 projection squeezed into a square is stretched back to its proportions when
// the quad covers the screen.
void FrameComposer::DrawIntoCaptureTexture(const std::vector<SceneObject*>& objects,
                                           const FrameMoment& moment, float frameTime, bool withParticles)
{
	glViewport(0, 0, capture.size, capture.size);
	g_scene.DrawList(objects, 0.001f, frameTime, moment.localTime);
	glAlphaFunc(GL_ALWAYS, 0.0f);
	if (withParticles)
	{
		g_particles.Draw();
	}
	glEnable(GL_TEXTURE_2D);
	glBindTexture(GL_TEXTURE_2D, capture.texture);
	glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, capture.size, capture.size);
	// The copy ends the driver's batch of drawing in the middle of the frame. A software
	// rasteriser drawing on threads of its own (Mesa's llvmpipe) then starts a second batch for the
	// rest of the frame while the first is still being drawn, and that second batch keeps what it
	// last held, a whole frame of binned triangles (several megabytes), for as long as it stays
	// unused, which is until the next cut or for ever. Waiting for the copy, once per flight, keeps
	// every frame in one batch.
	glFinish();
	glViewport(0, 0, moment.width, moment.height);
	glClear(GL_DEPTH_BUFFER_BIT);
}

void FrameComposer::QueueCrossFade(float alpha)
{
	g_screenQuads.Queue(FullScreen(capture.texture), 1.0f, 1.0f, 1.0f, alpha, GL_SRC_ALPHA,
	                    GL_ONE_MINUS_SRC_ALPHA);
}

// The frozen frame of a cut: the previous frame's opaque list.
void FrameComposer::CaptureFrozenFrame(const FrameMoment& moment, float dt, float fps)
{
	if (!captureRequested)
	{
		return;
	}
	captureRequested = false;
	DrawIntoCaptureTexture(g_scene.opaqueList, moment, dt, fps > 20.0f);
	crossFadeAlpha = 1.2f;
}

void FrameComposer::MoveCameraAndObjects(float dt)
{
	if (Camera* camera = g_scene.CurrentCamera())
	{
		camera->Update(dt);
		g_scene.SwitchCameraIfFinished(dt);
		// The step of the flight that ended, or the first step of the next one, may have begun
		// the last segment.
		if (camera->lastSegmentBegan || g_scene.CurrentCamera()->lastSegmentBegan)
		{
			captureRequested = true;
		}
		if (fixedView)
		{
			g_scene.CurrentCamera()->ShowView(*fixedView);
		}
		g_scene.CurrentCamera()->Apply();
		g_particles.SetCameraPosition(g_scene.CurrentCamera()->position);
	}
	for (const auto& object : g_scene.objects)
	{
		if (object->hasPath)
		{
			StepObjectPath(*object, dt);
		}
	}
}

void FrameComposer::DrawFrame(FrameClock& clock, const FrameMoment& moment)
{
	glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
	glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	AdvanceFades(clock);

	CaptureFrozenFrame(moment, clock.dt, clock.fps);
	g_scene.ResetVisibility();
	g_scene.drawnObjects = 0;
	MoveCameraAndObjects(clock.dt);
	DrawOpaquePass(clock.dt, moment.localTime);
	g_particles.Update(clock.dt);
	DrawParticlesAndGlass(clock.dt, moment.localTime);
	// At an alpha of 0 or below the frozen frame would leave the picture as it is; not queuing it
	// then spares the rasteriser a blended full-screen quad in every frame between cuts.
	if (crossFadeAlpha > 0.0f)
	{
		QueueCrossFade(crossFadeAlpha);
	}

	Begin2D();
	g_screenQuads.DrawAndClear();
	g_clockOverlay.Draw(moment.localTime, clock.fps);
	End2D();

	glLoadIdentity();
}

// A cut between flights draws with state that no other frame has: the last view again, into the
// capture texture, then the frozen frame over the new view.
void FrameComposer::RehearseCut(const FrameMoment& moment)
{
	DrawIntoCaptureTexture(g_scene.EveryObject(/*glass=*/false), moment, /*frameTime=*/0.0f,
	                       /*withParticles=*/true);
	g_scene.DrawList(g_scene.EveryObject(/*glass=*/true), kGlassAlphaReference, 0.0f, moment.localTime);
	QueueCrossFade(0.0f);
	Begin2D();
	g_screenQuads.DrawAndClear();
	End2D();
	glLoadIdentity();
}

// A driver that builds its shaders and keeps its buffers as it meets new state (llvmpipe does)
// would otherwise do so whenever a flight first shows a part of the room, and at the first cut,
// minutes into the run: a stall in the picture (0.4 s at the first cut with a cold shader cache),
// and memory taken then rather than at the start. So the saver draws every flight's views and a
// cut once, unseen, under the fade-in from black.
void FrameComposer::RehearseDrawing(const FrameMoment& moment)
{
	drawingRehearsed = true;
	const bool emitting = g_particles.Enabled();
	g_particles.SetEnabled(false);
	RehearseCut(moment);
	RehearseFlights(moment);
	g_particles.SetEnabled(emitting);
}
