#pragma once

#include <fstream>
#include <sstream>
#include <string>

// The program's only diagnostic channel: one flushed line per call, CR LF line ends. A log that
// could not be opened (the shipped configuration passes an empty name) swallows every line.
class LogFile
{
public:
	void Open(const std::string& fileName);
	void WriteLine(const std::string& text);
	void Close();

	// A fixed text followed by a value in default stream formatting (six significant digits).
	template <typename T> void WriteLine(const std::string& text, const T& value)
	{
		std::ostringstream line;
		line << text << value;
		WriteLine(line.str());
	}

	bool IsOpen() const { return stream.is_open() && stream.good(); }

private:
	std::ofstream stream;
};

// GLib exports a function named g_logFile, and a global variable's symbol is not mangled: under its
// plain name this object would take the place of that function in every GTK call that logs. It
// keeps its name in the source and links under one of its own.
extern LogFile g_logFile __asm__("glimmer_log_file");
