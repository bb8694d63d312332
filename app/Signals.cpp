#include "app/Signals.h"

#include "core/RunMode.h"

#include <csignal>
#include <initializer_list>

namespace
{
void QuitOnSignal(int)
{
	SetRunMode(RunMode::Quit);
}
} // namespace

void InstallQuitSignals()
{
	struct sigaction action = {};
	action.sa_handler = QuitOnSignal;
	sigemptyset(&action.sa_mask);
	for (const int signal : {SIGTERM, SIGINT, SIGHUP})
	{
		sigaction(signal, &action, nullptr);
	}
}
