// The gamma ramp of the X screen in $DISPLAY, for scripts that run the saver (scripts/soak).
//
//   glimmer_screen_ramp read            prints the ramp's entries (red, green, blue) on one line
//   glimmer_screen_ramp power EXPONENT  sets (i / 256)^EXPONENT on all three channels
#include "tests/support/ScreenRamp.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
	const char* display = std::getenv("DISPLAY");
	const std::string command = argc > 1 ? argv[1] : "";
	if (display == nullptr || (command != "read" && !(command == "power" && argc == 3)))
	{
		std::fprintf(stderr, "usage: DISPLAY=:N glimmer_screen_ramp read | power EXPONENT\n");
		return 2;
	}
	const ScreenRamp screen(display);
	if (command == "power")
	{
		screen.WritePower(std::atof(argv[2]));
	}
	const auto ramp = screen.Read();
	if (ramp.empty())
	{
		std::fprintf(stderr, "glimmer_screen_ramp: the screen in %s has no gamma ramp\n", display);
		return 1;
	}
	if (command == "read")
	{
		for (const uint16_t entry : ramp)
		{
			std::printf("%u ", entry);
		}
		std::printf("\n");
	}
	return 0;
}
