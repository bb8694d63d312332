// The per-frame CPU work of the scene pass on the test room and on the real room: visibility, both
// lists and the submission of the opaque and glass lists. The viewport is one pixel, so the software
// rasteriser adds next to nothing and what is timed is our side of the driver.
#include "app/AppContext.h"
#include "app/LoadSequence.h"
#include "app/SaverWindow.h"
#include "media/MediaStore.h"
#include "render/Renderer.h"
#include "scene/Scene.h"
#include "tests/scene/TestRoom.h"
#include "tests/support/Xvfb.h"

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{
void OpenRoom(bool queries, bool realRoom)
{
	static std::unique_ptr<XvfbServer> xvfb;
	static std::vector<uint8_t> archive;
	if (!xvfb)
	{
		xvfb = std::make_unique<XvfbServer>(640, 480);
		setenv("DISPLAY", xvfb->Display().c_str(), 1);
		g_app.keepDisplay = true;
		g_app.colorBits = 32;
		CreateSaverWindow("bench", 320, 240);
		StartRenderer(g_app.window);
		archive = TestRoom::Archive(TestRoom::Scene());
	}
	// The real room comes from the archives linked into the program.
	if (realRoom)
	{
		g_mediaStore.Open();
	}
	else
	{
		g_mediaStore.Map(archive, {});
	}
	g_scene.Release();
	const bool driverHasQueries = GLEW_ARB_occlusion_query;
	g_rendererCaps.hasOcclusionQuery = queries && driverHasQueries;
	g_scene.Load();
	g_scene.currentCamera = 0;
	glViewport(0, 0, 1, 1);
}

void ScenePass(benchmark::State& state)
{
	OpenRoom(state.range(0) != 0, state.range(1) != 0);
	for (auto _ : state)
	{
		g_scene.ResetVisibility();
		g_scene.CurrentCamera()->Update(1.0f);
		g_scene.CullAndDrawOpaque(1.0f, g_app.localTime);
		g_scene.DrawList(g_scene.glassList, 0.00001f, 1.0f, g_app.localTime);
	}
	glFinish();
	state.SetLabel(std::string(state.range(1) != 0 ? "real room, " : "test room, ") +
	               (g_scene.hasOcclusionQuery ? "occlusion queries" : "plain"));
}
BENCHMARK(ScenePass)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);
} // namespace
