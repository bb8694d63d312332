#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Runs a program to its end (or until the time limit, when it is killed) and collects what it
// wrote. Environment entries given here are added to, or replace, the test's own environment;
// an entry with an empty optional is removed.
struct ProcessResult
{
	int exitCode = -1; // -1 when it was killed by a signal or the time limit
	int signal = 0;    // the signal that ended it, if any
	bool timedOut = false;
	std::string output; // standard output and standard error together
};

using Environment = std::map<std::string, std::optional<std::string>>;

ProcessResult RunProcess(const std::vector<std::string>& command, const Environment& environment = {},
                         std::chrono::milliseconds limit = std::chrono::seconds(60));

// A started program that the test talks to while it runs.
class ChildProcess
{
public:
	ChildProcess(const std::vector<std::string>& command, const Environment& environment = {});
	~ChildProcess();
	ChildProcess(const ChildProcess&) = delete;
	ChildProcess& operator=(const ChildProcess&) = delete;

	int Pid() const { return pid; }
	void Signal(int signal) const;
	// Waits for the end; returns the result, killing the child when the limit passes.
	ProcessResult Wait(std::chrono::milliseconds limit = std::chrono::seconds(30));

private:
	int pid = -1;
	int outputFd = -1;
	std::string output;
	bool finished = false;
	ProcessResult result;
};

// Polls the condition every 50 ms until it holds (true) or the limit passes (false). The limit is
// generous: the suite shares two cores with other work.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds limit = std::chrono::seconds(60));

// The built program (under a test name, see Process.cpp) and folders of this build.
std::string ProgramPath();
std::string RealProgramPath();
std::string SourceDir();
std::string BinaryDir();
