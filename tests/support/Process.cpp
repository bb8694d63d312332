#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace
{
std::vector<std::string> MergedEnvironment(const Environment& changes)
{
	std::map<std::string, std::string> merged;
	for (char** entry = environ; *entry != nullptr; ++entry)
	{
		const std::string text = *entry;
		const size_t equals = text.find('=');
		if (equals != std::string::npos)
		{
			merged[text.substr(0, equals)] = text.substr(equals + 1);
		}
	}
	for (const auto& [name, value] : changes)
	{
		if (value)
		{
			merged[name] = *value;
		}
		else
		{
			merged.erase(name);
		}
	}
	std::vector<std::string> list;
	for (const auto& [name, value] : merged)
	{
		list.push_back(name + "=" + value);
	}
	return list;
}

std::vector<char*> PointerList(std::vector<std::string>& strings)
{
	std::vector<char*> pointers;
	for (std::string& s : strings)
	{
		pointers.push_back(s.data());
	}
	pointers.push_back(nullptr);
	return pointers;
}

// In the sanitizer build the programs a test starts are checked as well. Their reports fail the
// test that started them even when the exit code is the expected one: a leak found at exit
// leaves a non-zero exit code (the saver's usual 1) as it is.
void FailOnSanitizerReport(const std::string& output)
{
	for (const char* summary : {"SUMMARY: AddressSanitizer", "SUMMARY: UndefinedBehaviorSanitizer"})
	{
		if (output.find(summary) != std::string::npos)
		{
			ADD_FAILURE() << "a started program reported " << summary << ":\n" << output;
			return;
		}
	}
}
} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& command, const Environment& environment)
{
	int pipeFds[2];
	if (pipe2(pipeFds, O_CLOEXEC) != 0)
	{
		throw std::runtime_error("pipe failed");
	}
	std::vector<std::string> arguments = command;
	std::vector<std::string> variables = MergedEnvironment(environment);
	std::vector<char*> argv = PointerList(arguments);
	std::vector<char*> envp = PointerList(variables);
	pid = fork();
	if (pid == 0)
	{
		setpgid(0, 0);
		dup2(pipeFds[1], 1);
		dup2(pipeFds[1], 2);
		execve(argv[0], argv.data(), envp.data());
		_exit(127);
	}
	close(pipeFds[1]);
	outputFd = pipeFds[0];
	fcntl(outputFd, F_SETFL, O_NONBLOCK);
	if (pid < 0)
	{
		throw std::runtime_error("fork failed");
	}
}

ChildProcess::~ChildProcess()
{
	if (!finished)
	{
		kill(-pid, SIGKILL);
		Wait(std::chrono::seconds(5));
	}
	if (outputFd >= 0)
	{
		close(outputFd);
	}
}

void ChildProcess::Signal(int signal) const
{
	kill(pid, signal);
}

ProcessResult ChildProcess::Wait(std::chrono::milliseconds limit)
{
	if (finished)
	{
		return result;
	}
	const auto deadline = std::chrono::steady_clock::now() + limit;
	bool killed = false;
	for (;;)
	{
		pollfd poller{outputFd, POLLIN, 0};
		if (poll(&poller, 1, 20) > 0)
		{
			char buffer[4096];
			const ssize_t n = read(outputFd, buffer, sizeof buffer);
			if (n > 0)
			{
				output.append(buffer, static_cast<size_t>(n));
				continue;
			}
		}
		int status = 0;
		const pid_t done = waitpid(pid, &status, WNOHANG);
		if (done == pid)
		{
			char buffer[4096];
			ssize_t n;
			while ((n = read(outputFd, buffer, sizeof buffer)) > 0)
			{
				output.append(buffer, static_cast<size_t>(n));
			}
			result.output = output;
			result.timedOut = killed;
			if (WIFEXITED(status))
			{
				result.exitCode = WEXITSTATUS(status);
			}
			else if (WIFSIGNALED(status))
			{
				result.signal = WTERMSIG(status);
			}
			finished = true;
			kill(-pid, SIGKILL); // anything the program left behind in its group
			FailOnSanitizerReport(output);
			return result;
		}
		if (!killed && std::chrono::steady_clock::now() > deadline)
		{
			kill(-pid, SIGKILL);
			killed = true;
		}
	}
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
	const auto deadline = std::chrono::steady_clock::now() + limit;
	while (!condition())
	{
		if (std::chrono::steady_clock::now() > deadline)
		{
			return false;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
	return true;
}

ProcessResult RunProcess(const std::vector<std::string>& command, const Environment& environment,
                         std::chrono::milliseconds limit)
{
	ChildProcess child(command, environment);
	return child.Wait(limit);
}

// Tests start the program under another name, so that the single-instance guard, which looks
// for processes named exactly "glimmerhearth", does not end copies that run side by side.
std::string ProgramPath()
{
	const std::filesystem::path alias = std::filesystem::path(GLIMMER_BINARY_DIR) / "tests" / "gh-under-test";
	std::error_code ignored;
	std::filesystem::create_symlink(RealProgramPath(), alias, ignored);
	return alias.string();
}

std::string RealProgramPath()
{
	return std::string(GLIMMER_BINARY_DIR) + "/glimmerhearth";
}
std::string SourceDir()
{
	return GLIMMER_SOURCE_DIR;
}
std::string BinaryDir()
{
	return GLIMMER_BINARY_DIR;
}
