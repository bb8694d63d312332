#include "core/LogFile.h"

LogFile g_logFile;

void LogFile::Open(const std::string& fileName)
{
	// An empty name fails to open and leaves the stream failed for good, as intended.
	stream.open(fileName, std::ios::out | std::ios::trunc);
}

void LogFile::WriteLine(const std::string& text)
{
	if (!stream.good())
	{
		return;
	}
	// Lines end in CR LF, as the text-mode stream of the original platform wrote them.
	stream << text << "\r\n";
	stream.flush();
}

void LogFile::Close()
{
	if (stream.is_open())
	{
		stream.close();
	}
	else
	{
		stream.setstate(std::ios::failbit);
	}
}
