#include "render/Renderer.h"

#include "core/LogFile.h"
#include "render/GlErrorReport.h"
#include "render/SubmissionPacer.h"

#include <GL/glew.h>

#include <algorithm>
#include <string>

RendererCaps g_rendererCaps;

namespace
{
std::string DriverString(GLenum name)
{
	const auto* text = reinterpret_cast<const char*>(glGetString(name));
	return text != nullptr ? text : "";
}

void LogDriver(RendererCaps& caps)
{
	GLint units = 0;
	glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
	caps.maxTextureUnits = units;
	g_logFile.WriteLine("Video card: " + DriverString(GL_RENDERER));
	g_logFile.WriteLine("Vendor: " + DriverString(GL_VENDOR));
	g_logFile.WriteLine("OpenGL version : " + DriverString(GL_VERSION));
	g_logFile.WriteLine("Max Texture Units: ", caps.maxTextureUnits);
}

void ProbeCapabilities(RendererCaps& caps, bool loaderUp)
{
	caps.hasVertexBuffers = loaderUp && GLEW_ARB_vertex_buffer_object;
	g_logFile.WriteLine(caps.hasVertexBuffers ? "VBO supported" : "VBO not supported!");

	caps.hasOcclusionQuery = false;
	if (!loaderUp || !GLEW_ARB_occlusion_query)
	{
		g_logFile.WriteLine("ARB_Occlusion_querry not supported!");
		return;
	}
	GLint bits = 0;
	glGetQueryivARB(GL_SAMPLES_PASSED_ARB, GL_QUERY_COUNTER_BITS_ARB, &bits);
	caps.occlusionCounterBits = bits;
	if (bits < 1)
	{
		g_logFile.WriteLine("ARB_Occlusion_querry not supported!");
		return;
	}
	caps.hasOcclusionQuery = true;
	g_logFile.WriteLine("ARB_Occlusion_querry supported");
	g_logFile.WriteLine("Occlussion querry bit: ", bits);
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

void CaptureTexture::DefineStorage(int windowWidth, int windowHeight)
{
	size = CaptureSizeFor(windowWidth, windowHeight);
	glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, size, size, 0);
}

void CaptureTexture::Create(int windowWidth, int windowHeight)
{
	GLuint name = 0;
	glGenTextures(1, &name);
	texture = name;
	glBindTexture(GL_TEXTURE_2D, name);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
	DefineStorage(windowWidth, windowHeight);
}

void CaptureTexture::FitToWindow(int windowWidth, int windowHeight)
{
	if (texture == 0 || CaptureSizeFor(windowWidth, windowHeight) == size)
	{
		return;
	}
	GLint bound = 0;
	glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
	glBindTexture(GL_TEXTURE_2D, texture);
	DefineStorage(windowWidth, windowHeight);
	glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

void InitRenderer(bool hasContext)
{
	glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
	glEnable(GL_DEPTH_TEST);
	glEnable(GL_TEXTURE_2D);

	const bool loaderUp = hasContext && LoadGlEntryPoints();
	if (!loaderUp)
	{
		g_logFile.WriteLine("Glew init failed!");
	}
	g_glErrors.StartIfRequested();
	LogDriver(g_rendererCaps);
	ProbeCapabilities(g_rendererCaps, loaderUp);
	g_submissionPacer.Init(loaderUp && GLEW_ARB_sync);
	g_logFile.WriteLine("Model manager init");
}
