#include "app/HostOptions.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
using Arguments = std::vector<std::string>;

HostOptions Take(Arguments& arguments)
{
	HostOptions options;
	std::string error;
	EXPECT_TRUE(options.TakeOptions(arguments, error)) << error;
	return options;
}

TEST(ParseWindowId, ReadsDecimalAndHexWithinThirtyTwoBits)
{
	uint32_t id = 0;
	EXPECT_TRUE(ParseWindowId("12345", id));
	EXPECT_EQ(id, 12345u);
	EXPECT_TRUE(ParseWindowId("0x1a0000F", id));
	EXPECT_EQ(id, 0x1a0000Fu);
	EXPECT_TRUE(ParseWindowId("0XFFFFFFFF", id));
	EXPECT_EQ(id, 0xFFFFFFFFu);
	EXPECT_TRUE(ParseWindowId("4294967295", id));
	EXPECT_EQ(id, 4294967295u);
	id = 7;
	for (const char* bad : {"", "0", "0x", "0x0", "-5", "+5", "12a", "0x12g", " 12", "4294967296",
	                        "0x100000000", "99999999999999999999999"})
	{
		EXPECT_FALSE(ParseWindowId(bad, id)) << bad;
	}
	EXPECT_EQ(id, 7u) << "a refused id leaves the old value";
}

// The host's options come out wherever they stand; what is left keeps its order, so a
// screen-saver switch among them is still read as before.
TEST(HostOptions, TakesTheHostsOptionsAndLeavesTheRest)
{
	Arguments arguments = {"-display", ":1",       "/s",     "--fps", "-visual",
	                       "best",     "-install", "-delay", "20000", "x"};
	const HostOptions options = Take(arguments);
	EXPECT_EQ(arguments, (Arguments{"/s", "x"}));
	EXPECT_FALSE(options.Active());
	EXPECT_TRUE(options.ShowFps());

	Arguments trailing = {"-p", "5", "--delay"};
	Take(trailing);
	EXPECT_EQ(trailing, (Arguments{"-p", "5"}));
}

TEST(HostOptions, WindowIdInEitherSpelling)
{
	for (const char* spelling : {"-window-id", "--window-id"})
	{
		Arguments arguments = {spelling, "0x400007"};
		const HostOptions options = Take(arguments);
		EXPECT_TRUE(arguments.empty());
		EXPECT_EQ(options.Target(), HostTarget::WindowId);
		EXPECT_EQ(options.WindowId(), 0x400007u);
	}
}

TEST(HostOptions, MissingOrMalformedWindowIdIsAnError)
{
	for (const Arguments& bad :
	     {Arguments{"-window-id"}, Arguments{"--window-id", "root"}, Arguments{"-window-id", "0"}})
	{
		Arguments arguments = bad;
		HostOptions options;
		std::string error;
		EXPECT_FALSE(options.TakeOptions(arguments, error));
		EXPECT_NE(error.find("window id"), std::string::npos) << error;
	}
}

TEST(HostOptions, RootTakesTheHostsWindowFromTheEnvironment)
{
	setenv("XSCREENSAVER_WINDOW", "0x2a", 1);
	Arguments arguments = {"--root"};
	HostOptions options = Take(arguments);
	EXPECT_EQ(options.Target(), HostTarget::Root);
	EXPECT_EQ(options.WindowId(), 42u);

	// Unset or unreadable: the root window itself (0 until the display is asked).
	for (const char* value : {static_cast<const char*>(nullptr), "junk"})
	{
		if (value == nullptr)
		{
			unsetenv("XSCREENSAVER_WINDOW");
		}
		else
		{
			setenv("XSCREENSAVER_WINDOW", value, 1);
		}
		arguments = {"-root"};
		options = Take(arguments);
		EXPECT_EQ(options.Target(), HostTarget::Root);
		EXPECT_EQ(options.WindowId(), 0u);
	}
	unsetenv("XSCREENSAVER_WINDOW");
}

TEST(HostOptions, NewWindowAndNoTarget)
{
	Arguments arguments = {"--window"};
	EXPECT_EQ(Take(arguments).Target(), HostTarget::NewWindow);
	// Words that only begin like a host option are left alone.
	Arguments others = {"-windows", "-rooted", "-fpsx", "/c"};
	const HostOptions options = Take(others);
	EXPECT_FALSE(options.Active());
	EXPECT_FALSE(options.ShowFps());
	EXPECT_EQ(others.size(), 4u);
}
} // namespace
