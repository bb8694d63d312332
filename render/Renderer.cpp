#include "render/Renderer.h"

#include "app/AppContext.h"
#include "app/LogFile.h"
#include "app/SaverWindow.h"
#include "render/GlErrorReport.h"
#include "render/SubmissionPacer.h"
#include "settings/Settings.h"

#include <GL/glew.h>

#include <algorithm>
#include <string>

namespace
{
void SeedFrameState(AppContext& app)
{
	for (float& step : app.clock.stepHistory)
	{
		step = 1.0f;
	}
	app.clock.minFps = 10000.0f;
	app.clock.maxFps = 0.0f;
	app.fadeClock = 0.0f;
}

// The storage of the bound capture texture: the lower-left square of the colour buffer.
void DefineCaptureStorage(AppContext& app)
{
	app.captureSize = CaptureSizeFor(app.clientWidth, app.clientHeight);
	glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, app.captureSize, app.captureSize, 0);
}

void CreateCaptureTexture(AppContext& app)
{
	GLuint texture = 0;
	glGenTextures(1, &texture);
	app.captureTexture = texture;
	glBindTexture(GL_TEXTURE_2D, texture);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
	DefineCaptureStorage(app);
}

std::string DriverString(GLenum name)
{
	const auto* text = reinterpret_cast<const char*>(glGetString(name));
	return text != nullptr ? text : "";
}

void LogDriver(AppContext& app)
{
	GLint units = 0;
	glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
	app.maxTextureUnits = units;
	g_logFile.WriteLine("Video card: " + DriverString(GL_RENDERER));
	g_logFile.WriteLine("Vendor: " + DriverString(GL_VENDOR));
	g_logFile.WriteLine("OpenGL version : " + DriverString(GL_VERSION));
	g_logFile.WriteLine("Max Texture Units: ", app.maxTextureUnits);
}

void ProbeCapabilities(AppContext& app, bool loaderUp)
{
	app.hasVertexBuffers = loaderUp && GLEW_ARB_vertex_buffer_object;
	g_logFile.WriteLine(app.hasVertexBuffers ? "VBO supported" : "VBO not supported!");

	app.hasOcclusionQuery = false;
	if (!loaderUp || !GLEW_ARB_occlusion_query)
	{
		g_logFile.WriteLine("ARB_Occlusion_querry not supported!");
		return;
	}
	GLint bits = 0;
	glGetQueryivARB(GL_SAMPLES_PASSED_ARB, GL_QUERY_COUNTER_BITS_ARB, &bits);
	app.occlusionCounterBits = bits;
	if (bits < 1)
	{
		g_logFile.WriteLine("ARB_Occlusion_querry not supported!");
		return;
	}
	app.hasOcclusionQuery = true;
	g_logFile.WriteLine("ARB_Occlusion_querry supported");
	g_logFile.WriteLine("Occlussion querry bit: ", bits);
}

void HandOverGamma(AppContext& app)
{
	app.oldGamma = EstimateGamma();
	g_logFile.WriteLine("Old Gamma: ", app.oldGamma);
	const double exponent = 4.0 - g_settings.gamma;
	ApplyGamma(exponent);
	g_logFile.WriteLine("New Gamma: ", exponent);
}

// GLEW loads the GL entry points first and then the GLX ones. On a Wayland window the context is
// an EGL one, so there is no GLX display: the GL entry points are all in place, only GLX's are
// missing, and the saver uses none of those.
bool LoadGlEntryPoints()
{
	const GLenum result = glewInit();
	return result == GLEW_OK || result == GLEW_ERROR_NO_GLX_DISPLAY;
}
} // namespace

int CaptureSizeFor(int windowWidth, int windowHeight)
{
	const int side = std::min(windowWidth, windowHeight);
	if (side >= 1024)
	{
		return 1024;
	}
	int size = side >= 512 ? 512 : 256;
	while (size > side && size > 1)
	{
		size /= 2;
	}
	return size;
}

void FitCaptureTextureToWindow(AppContext& app)
{
	if (app.captureTexture == 0 || CaptureSizeFor(app.clientWidth, app.clientHeight) == app.captureSize)
	{
		return;
	}
	GLint bound = 0;
	glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
	glBindTexture(GL_TEXTURE_2D, app.captureTexture);
	DefineCaptureStorage(app);
	glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

void InitRenderer(SDL_Window* window, AppContext& app)
{
	g_logFile.WriteLine("start init render");
	SeedFrameState(app);
	CreateRenderContext(window);

	glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
	glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	SwapSaverBuffers();

	CreateCaptureTexture(app);
	glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
	glEnable(GL_DEPTH_TEST);
	glEnable(GL_TEXTURE_2D);
	app.clock.speed = 50.0f;

	const bool loaderUp = app.glContext != nullptr && LoadGlEntryPoints();
	if (!loaderUp)
	{
		g_logFile.WriteLine("Glew init failed!");
	}
	g_glErrors.StartIfRequested();
	LogDriver(app);
	ProbeCapabilities(app, loaderUp);
	g_submissionPacer.Init(loaderUp && GLEW_ARB_sync);
	g_logFile.WriteLine("Model manager init");
	HandOverGamma(app);
}
