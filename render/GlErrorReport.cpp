#include "render/GlErrorReport.h"

#include "core/LogFile.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

GlErrorReport g_glErrors;

namespace
{
// A driver that fails the same call every frame would fill the log in minutes; past this many
// lines errors are only counted, and the count at the end says how many there were.
constexpr int64_t kMaxReportedErrors = 100;
// glGetError hands back one flag a call; a context that keeps answering is not believed forever.
constexpr int kMaxFlagsPerQuery = 16;

const char* ErrorName(GLenum code)
{
	switch (code)
	{
	case GL_INVALID_ENUM:
		return "GL_INVALID_ENUM";
	case GL_INVALID_VALUE:
		return "GL_INVALID_VALUE";
	case GL_INVALID_OPERATION:
		return "GL_INVALID_OPERATION";
	case GL_STACK_OVERFLOW:
		return "GL_STACK_OVERFLOW";
	case GL_STACK_UNDERFLOW:
		return "GL_STACK_UNDERFLOW";
	case GL_OUT_OF_MEMORY:
		return "GL_OUT_OF_MEMORY";
	case GL_INVALID_FRAMEBUFFER_OPERATION:
		return "GL_INVALID_FRAMEBUFFER_OPERATION";
	default:
		return "unknown GL error";
	}
}

void GLAPIENTRY OnDriverMessage(GLenum, GLenum type, GLuint, GLenum, GLsizei length, const GLchar* message,
                                const void*)
{
	// Performance hints and other chatter are not errors.
	if (type != GL_DEBUG_TYPE_ERROR)
	{
		return;
	}
	const size_t size = length >= 0 ? static_cast<size_t>(length) : std::strlen(message);
	g_glErrors.Report(std::string(message, size));
}

bool DriverHasMessages()
{
	return (GLEW_KHR_debug || GLEW_VERSION_4_3) && glDebugMessageCallback != nullptr;
}
} // namespace

bool GlErrorReport::Requested()
{
	const char* value = std::getenv("GLIMMERHEARTH_GL_DEBUG");
	return value != nullptr && std::strcmp(value, "1") == 0;
}

void GlErrorReport::StartIfRequested()
{
	if (Requested())
	{
		Start(Source::DriverMessages);
	}
}

void GlErrorReport::Start(Source preferred)
{
	active = true;
	driverMessages = preferred == Source::DriverMessages && DriverHasMessages();
	if (driverMessages)
	{
		// Synchronous, so that the message arrives inside the call that failed.
		glEnable(GL_DEBUG_OUTPUT);
		glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
		glDebugMessageCallback(OnDriverMessage, nullptr);
	}
	WriteDebugLine(driverMessages ? "GL errors reported by the driver" : "GL errors checked once a frame");
}

void GlErrorReport::CheckFrame()
{
	if (!active)
	{
		return;
	}
	// With driver messages the flag is only read so that no error can pass unseen: one the
	// driver did not describe since the last check is reported from the flag instead.
	const bool describedSinceLastCheck = errors != errorsAtLastCheck;
	for (int i = 0; i < kMaxFlagsPerQuery; ++i)
	{
		const GLenum code = glGetError();
		if (code == GL_NO_ERROR)
		{
			break;
		}
		if (!driverMessages || !describedSinceLastCheck)
		{
			Report(std::string(ErrorName(code)) + " before the end of a frame");
		}
	}
	errorsAtLastCheck = errors;
}

void GlErrorReport::Stop()
{
	if (!active)
	{
		return;
	}
	// The releases since the last frame get their check too.
	CheckFrame();
	if (driverMessages)
	{
		glDebugMessageCallback(nullptr, nullptr);
		glDisable(GL_DEBUG_OUTPUT);
	}
	WriteDebugLine("GL errors: " + std::to_string(errors));
	active = false;
	driverMessages = false;
}

void GlErrorReport::Report(const std::string& text)
{
	++errors;
	if (errors > kMaxReportedErrors)
	{
		return;
	}
	WriteDebugLine("GL error: " + text);
	if (errors == kMaxReportedErrors)
	{
		WriteDebugLine("GL errors past this one are only counted");
	}
}

void WriteDebugLine(const std::string& line)
{
	g_logFile.WriteLine(line);
	std::fprintf(stderr, "glimmerhearth: %s\n", line.c_str());
	std::fflush(stderr);
}
