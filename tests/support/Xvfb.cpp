#include "tests/support/Xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

XvfbServer::XvfbServer(int width, int height, bool randr)
{
	int pipeFds[2];
	if (pipe(pipeFds) != 0)
	{
		throw std::runtime_error("pipe failed");
	}
	const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
	const std::string fd = std::to_string(pipeFds[1]);
	pid = fork();
	if (pid == 0)
	{
		close(pipeFds[0]);
		const int devNull = open("/dev/null", O_WRONLY);
		dup2(devNull, 1);
		dup2(devNull, 2);
		execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
		       "+extension", "GLX", randr ? "+extension" : "-extension", "RANDR", "-noreset",
		       static_cast<char*>(nullptr));
		_exit(127);
	}
	close(pipeFds[1]);
	// Xvfb writes its display number to the descriptor once it accepts connections.
	pollfd poller{pipeFds[0], POLLIN, 0};
	std::string number;
	while (poll(&poller, 1, 20000) > 0)
	{
		char c;
		if (read(pipeFds[0], &c, 1) != 1 || c == '\n')
		{
			break;
		}
		number += c;
	}
	close(pipeFds[0]);
	if (number.empty())
	{
		kill(pid, SIGKILL);
		waitpid(pid, nullptr, 0);
		throw std::runtime_error("Xvfb did not start");
	}
	display = ":" + number;
}

XvfbServer::~XvfbServer()
{
	kill(pid, SIGTERM);
	waitpid(pid, nullptr, 0);
}
