#pragma once

#include <cstdint>
#include <string>

// GL errors made visible for troubleshooting and long runs. With GLIMMERHEARTH_GL_DEBUG=1 in the
// environment the saver asks for a debug context and reports every GL error as one line,
// "GL error: ...", on standard error and in the log, and counts them. A driver with GL_KHR_debug
// names each error as it happens, in its own words; elsewhere glGetError is read once a frame.
// Without the variable nothing is asked of the driver and every call returns at once.
class GlErrorReport
{
public:
	enum class Source
	{
		DriverMessages, // GL_KHR_debug's callback, where the driver has it; glGetError otherwise
		FrameQuery,     // glGetError once a frame only
	};

	// True when GLIMMERHEARTH_GL_DEBUG=1 is set.
	static bool Requested();

	// On the current context, once GLEW is up; Start only when requested.
	void StartIfRequested();
	void Start(Source preferred);
	// Once a frame, just before the swap.
	void CheckFrame();
	// Logs the count and lets go of the driver's callback; the context must still be current.
	void Stop();

	bool Active() const { return active; }
	bool UsesDriverMessages() const { return driverMessages; }
	int64_t ErrorCount() const { return errors; }

	// One error, from the driver's callback or from the frame query.
	void Report(const std::string& text);

private:
	bool active = false;
	bool driverMessages = false;
	int64_t errors = 0;
	int64_t errorsAtLastCheck = 0;
};

extern GlErrorReport g_glErrors;

// One line of the debug report: into the log, and on standard error after the program's name.
void WriteDebugLine(const std::string& line);
