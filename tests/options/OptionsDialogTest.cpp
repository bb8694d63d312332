// The Options dialog against its real GTK widgets on a private X server: the test sets a control
// and lets it emit its signal as a user's click would, presses OK or Cancel and reads the
// registry file that results.
#include "options/OptionsDialog.h"

#include "app/Entry.h"
#include "core/RunMode.h"
#include "render/ImageDecoders.h"
#include "resources/Resources.h"
#include "settings/DefaultsTable.h"
#include "settings/LabelText.h"
#include "settings/Registry.h"
#include "settings/Settings.h"
#include "tests/settings/ConfigHome.h"
#include "tests/support/Process.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

// After the test framework: Xlib defines macros (None, Bool) that its names would collide with.
// The run mode's None is one of ours.
#include <gdk/gdkx.h>
#undef None

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

using namespace OptionsControl;

namespace
{
// GTK opens its display once per process, so one X server (1024 x 768) serves every test of the
// process. Returns its display name, empty when GTK could not open it.
std::string OpenSharedDisplay()
{
	static std::unique_ptr<XvfbServer> server;
	if (!server)
	{
		server = std::make_unique<XvfbServer>(1024, 768);
		setenv("GDK_BACKEND", "x11", 1);
		setenv("NO_AT_BRIDGE", "1", 1);
		setenv("GSETTINGS_BACKEND", "memory", 1);
	}
	setenv("DISPLAY", server->Display().c_str(), 1);
	return OptionsDialog::OpenDisplay() ? server->Display() : "";
}

double CpuSeconds()
{
	rusage usage{};
	getrusage(RUSAGE_SELF, &usage);
	return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
	       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class OptionsDialogTest : public testing::Test
{
protected:
	void SetUp() override
	{
		const std::string display = OpenSharedDisplay();
		ASSERT_FALSE(display.empty());
		// The desktop entry then reads the X server's size.
		home.Set("DISPLAY", display);
		g_defaults.LoadEmbedded();
		g_settings.SetBuiltIns();
		// A first run: the registry then holds the defaults text's values.
		g_settings.Load();
		SetRunMode(RunMode::Configure);
	}
	void TearDown() override
	{
		dialog.Release();
		SetRunMode(RunMode::None);
	}

	// The dialog as the configure mode opens it, before it is shown.
	void Open()
	{
		dialog.Create();
		dialog.InitOptionsControls();
		dialog.ApplyLabels(EmbeddedLabelText());
		dialog.SettingsToControls(g_settings);
	}
	void Reopen()
	{
		g_settings.SetBuiltIns();
		g_settings.Load();
		Open();
	}

	GtkWidget* Control(int id) const
	{
		GtkWidget* widget = dialog.Control(id);
		EXPECT_NE(widget, nullptr) << id;
		return widget;
	}
	void Click(int id) const { gtk_button_clicked(GTK_BUTTON(Control(id))); }
	void SetChecked(int id, bool checked) const
	{
		gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Control(id)), checked);
	}
	bool IsChecked(int id) const { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Control(id))); }
	bool IsEnabled(int id) const { return gtk_widget_get_sensitive(Control(id)); }
	void SetPosition(int id, double position) const { gtk_range_set_value(GTK_RANGE(Control(id)), position); }
	double Position(int id) const { return gtk_range_get_value(GTK_RANGE(Control(id))); }
	int SelectedMode() const { return gtk_combo_box_get_active(GTK_COMBO_BOX(Control(kModeList))); }
	std::string Text(int id) const
	{
		GtkWidget* widget = Control(id);
		if (GTK_IS_WINDOW(widget))
		{
			return gtk_window_get_title(GTK_WINDOW(widget));
		}
		if (GTK_IS_FRAME(widget))
		{
			return gtk_frame_get_label(GTK_FRAME(widget));
		}
		if (GTK_IS_BUTTON(widget))
		{
			return gtk_button_get_label(GTK_BUTTON(widget));
		}
		return gtk_label_get_text(GTK_LABEL(widget));
	}
	static int32_t Stored(const char* valueName) { return ReadRegistryDword(valueName); }

	ConfigHome home;
	OptionsDialog dialog;
};

TEST_F(OptionsDialogTest, GammaSliderShowsGammaTimesTwentyFiveAndSavesTruncated)
{
	Open();
	EXPECT_EQ(g_settings.gamma, 3.0f);
	EXPECT_EQ(Position(kGamma), 75.0);
	EXPECT_EQ(Position(kVolume), 35.0);

	SetPosition(kGamma, 74);
	Click(kOk);
	EXPECT_EQ(GetRunMode(), RunMode::Quit);
	EXPECT_FLOAT_EQ(g_settings.gamma, 2.96f);
	EXPECT_EQ(Stored("Gamma:"), 2);

	dialog.Release();
	Reopen();
	EXPECT_EQ(Position(kGamma), 50.0);
}

// A hand-edited registry can hold any volume: the trackbar shows its end.
TEST_F(OptionsDialogTest, VolumeBeyondTheRangeShowsTheEnd)
{
	Open();
	g_settings.soundVolume = 4.0e9f;
	dialog.SettingsToControls(g_settings);
	EXPECT_EQ(Position(kVolume), 100.0);
}

TEST_F(OptionsDialogTest, DesktopSettingsDisableTheModeListAndStoreTheDesktopEntry)
{
	Open();
	// The first run's defaults use the desktop: the list is disabled and shows no mode.
	EXPECT_TRUE(IsChecked(kUseDesktopSettings));
	EXPECT_FALSE(IsEnabled(kModeList));
	EXPECT_EQ(SelectedMode(), -1);

	SetChecked(kUseDesktopSettings, false);
	EXPECT_TRUE(IsEnabled(kModeList));
	EXPECT_FALSE(g_settings.useDesktopSettings);
	gtk_combo_box_set_active(GTK_COMBO_BOX(Control(kModeList)), 5);
	SetChecked(kUseDesktopSettings, true);
	EXPECT_FALSE(IsEnabled(kModeList));
	EXPECT_TRUE(g_settings.useDesktopSettings);

	Click(kOk);
	EXPECT_EQ(Stored("Resolution:"), Settings::kDesktopEntry);
	EXPECT_EQ(Stored("Usemon:"), 1);
	const Resolution& desktop = g_settings.resolutions[Settings::kDesktopEntry];
	EXPECT_EQ(desktop.width, 1024);
	EXPECT_EQ(desktop.height, 768);
	EXPECT_EQ(desktop.colorBits, 16);
}

TEST_F(OptionsDialogTest, ListedModeIsStoredByItsIndex)
{
	Open();
	SetChecked(kUseDesktopSettings, false);
	gtk_combo_box_set_active(GTK_COMBO_BOX(Control(kModeList)), 6);
	Click(kOk);
	EXPECT_EQ(Stored("Resolution:"), 6);
	EXPECT_EQ(Stored("Usemon:"), 0);

	dialog.Release();
	Reopen();
	EXPECT_EQ(SelectedMode(), 6);
	EXPECT_TRUE(IsEnabled(kModeList));
	const char* text = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(Control(kModeList)));
	EXPECT_STREQ(text, "1152x864x16");
	g_free(const_cast<char*>(text));
}

// The desktop entry selects nothing in the list; leaving the desktop without picking a mode
// keeps the mode the registry held, and stores the list's first mode only where that was an
// index no table holds.
TEST_F(OptionsDialogTest, NoModeSelectedKeepsTheStoredMode)
{
	const auto leaveTheDesktopWithoutAMode = [&](int32_t stored)
	{
		dialog.Release();
		char dword[9];
		std::snprintf(dword, sizeof dword, "%08x", static_cast<uint32_t>(stored));
		home.Write(
		    RegistryText("\"Resolution:\"=dword:" + std::string(dword) + "\n\"Usemon:\"=dword:00000001\n"));
		Reopen();
		EXPECT_EQ(SelectedMode(), -1);
		SetChecked(kUseDesktopSettings, false);
		Click(kOk);
		EXPECT_EQ(Stored("Usemon:"), 0);
		return Stored("Resolution:");
	};
	EXPECT_EQ(leaveTheDesktopWithoutAMode(3), 3);
	EXPECT_EQ(leaveTheDesktopWithoutAMode(9), 9);
	EXPECT_EQ(leaveTheDesktopWithoutAMode(Settings::kDesktopEntry), Settings::kDesktopEntry);
	EXPECT_EQ(leaveTheDesktopWithoutAMode(57), 0);
	EXPECT_EQ(leaveTheDesktopWithoutAMode(-1), 0);
}

TEST_F(OptionsDialogTest, OkStoresNoSoundEffectsAndNoMusicVolume)
{
	Open();
	// The first run stored both from the defaults text.
	EXPECT_EQ(Stored("Enable sound:"), 1);
	EXPECT_EQ(Stored("Music volume:"), 35);
	SetPosition(kVolume, 80);
	Click(kOk);
	EXPECT_EQ(Stored("Enable sound:"), 0);
	EXPECT_EQ(Stored("Music volume:"), 0);
	EXPECT_EQ(Stored("Sound volume:"), 80);
}

TEST_F(OptionsDialogTest, CancelAndCloseWriteNothing)
{
	Open();
	const std::string before = home.Read();
	SetChecked(kEnableMusic, false);
	SetPosition(kGamma, 10);
	SetChecked(kShowFps, true);
	Click(kCancel);
	EXPECT_EQ(GetRunMode(), RunMode::Quit);
	EXPECT_EQ(home.Read(), before);
	// The toggle reached the live record at once; only the registry is untouched.
	EXPECT_FALSE(g_settings.music);

	SetRunMode(RunMode::Configure);
	GdkEvent* close = gdk_event_new(GDK_DELETE);
	gtk_widget_realize(Control(kOptionsDialog));
	close->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(Control(kOptionsDialog))));
	gtk_main_do_event(close);
	gdk_event_free(close);
	EXPECT_EQ(GetRunMode(), RunMode::Quit);
	EXPECT_EQ(home.Read(), before);
}

// OK with a registry that cannot be written: the dialog still closes, and says the choices were
// not kept instead of letting them vanish silently.
TEST_F(OptionsDialogTest, OkThatCannotSaveSaysSo)
{
	Open();
	home.Set("GLIMMERHEARTH_NONINTERACTIVE", "1");
	std::filesystem::remove(home.File());
	std::filesystem::create_directory(home.File());
	testing::internal::CaptureStderr();
	Click(kOk);
	const std::string said = testing::internal::GetCapturedStderr();
	EXPECT_EQ(GetRunMode(), RunMode::Quit);
	EXPECT_NE(said.find("the settings could not be saved: " + home.File().string() + " cannot be read"),
	          std::string::npos)
	    << said;
	EXPECT_NE(said.find("Error: The settings could not be saved."), std::string::npos) << said;
}

TEST_F(OptionsDialogTest, ShowTimeOffDisablesClockStylesWhichAreStillSaved)
{
	Open();
	EXPECT_TRUE(IsEnabled(kStyle12h));
	SetChecked(kStyle24h, true);
	EXPECT_FALSE(IsChecked(kStyle12h));
	SetChecked(kShowTime, false);
	EXPECT_FALSE(g_settings.showTime);
	EXPECT_FALSE(IsEnabled(kStyle12h));
	EXPECT_FALSE(IsEnabled(kStyle24h));
	Click(kOk);
	EXPECT_EQ(Stored("Clock:"), 0);
	EXPECT_EQ(Stored("Style24h:"), 1);
}

TEST_F(OptionsDialogTest, EnableMusicGovernsTheVolumeControls)
{
	Open();
	EXPECT_TRUE(IsEnabled(kVolume));
	SetChecked(kEnableMusic, false);
	EXPECT_FALSE(g_settings.music);
	EXPECT_FALSE(IsEnabled(kVolume));
	EXPECT_FALSE(IsEnabled(kVolumeLabel));
	SetChecked(kEnableMusic, true);
	EXPECT_TRUE(g_settings.music);
	EXPECT_TRUE(IsEnabled(kVolume));
	EXPECT_TRUE(IsEnabled(kVolumeLabel));
}

// Filling the controls must not reach back into the record through the toggles' signals.
TEST_F(OptionsDialogTest, SettingsToControlsLeavesTheRecordAlone)
{
	Open();
	Settings other = g_settings;
	other.music = false;
	other.showTime = false;
	other.useDesktopSettings = false;
	dialog.SettingsToControls(other);
	EXPECT_TRUE(g_settings.music);
	EXPECT_TRUE(g_settings.showTime);
	EXPECT_TRUE(g_settings.useDesktopSettings);
	EXPECT_FALSE(IsEnabled(kVolume));
	EXPECT_FALSE(IsEnabled(kStyle24h));
	EXPECT_TRUE(IsEnabled(kModeList));
}

TEST_F(OptionsDialogTest, RestoreDefaultsFillsTheControlsAndWritesNothing)
{
	Open();
	SetPosition(kGamma, 10);
	SetChecked(kShowTime, false);
	SetChecked(kExitOnMouseMove, true);
	Click(kOk);
	SetRunMode(RunMode::Configure);
	const std::string saved = home.Read();

	dialog.Release();
	Reopen();
	EXPECT_EQ(Position(kGamma), 0.0);
	Click(kRestoreDefaults);
	EXPECT_EQ(Position(kGamma), 75.0);
	EXPECT_TRUE(IsChecked(kShowTime));
	EXPECT_TRUE(IsEnabled(kStyle12h));
	EXPECT_FALSE(IsChecked(kExitOnMouseMove));
	EXPECT_TRUE(g_settings.showTime);
	EXPECT_EQ(GetRunMode(), RunMode::Configure);
	EXPECT_EQ(home.Read(), saved);
}

TEST_F(OptionsDialogTest, LabelsComeFromTheLabelTextWithTheirLeadingBlank)
{
	Open();
	EXPECT_EQ(Text(kOptionsDialog), " Glimmerhearth Configuration");
	EXPECT_EQ(Text(kVideoModeGroup), " Video Mode");
	EXPECT_EQ(Text(kVolumeLabel), " Volume");
	EXPECT_EQ(Text(kEnableMusic), " Enable Music");
	EXPECT_EQ(Text(kStyle24h), " 24h format");
	EXPECT_EQ(Text(kOk), " OK");
	EXPECT_EQ(Text(kAboutBox), " About");
	EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(dialog.ControlOrNull("About_Product"))), " Glimmerhearth");
	EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(dialog.ControlOrNull("About_Music"))),
	             " Music: traditional carols, arranged by us");

	// Without a label text the template's texts stay.
	dialog.Release();
	dialog.Create();
	dialog.ApplyLabels("");
	EXPECT_EQ(Text(kOptionsDialog), "Options");
	EXPECT_EQ(Text(kVideoModeGroup), "Video Mode Selection");
	EXPECT_EQ(Text(kVolumeLabel), "Master volume:");
	EXPECT_EQ(Text(kStyle24h), "24h style");
}

TEST_F(OptionsDialogTest, AboutBoxShowsAndHidesOnOk)
{
	Open();
	dialog.Show();
	EXPECT_FALSE(gtk_widget_get_visible(Control(kAboutBox)));
	Click(kAbout);
	EXPECT_TRUE(gtk_widget_get_visible(Control(kAboutBox)));
	EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(Control(kAboutBox))),
	          GTK_WINDOW(Control(kOptionsDialog)));
	Click(kAboutOk);
	EXPECT_FALSE(gtk_widget_get_visible(Control(kAboutBox)));
	EXPECT_EQ(GetRunMode(), RunMode::Configure);
}

void PumpEvents()
{
	for (int turn = 0; turn < 50; ++turn)
	{
		while (gtk_events_pending())
		{
			gtk_main_iteration_do(FALSE);
		}
		g_usleep(2000);
	}
}

// The pictures show their bitmaps the right way up: the decoder's last row is the top one.
TEST_F(OptionsDialogTest, PicturesShowTheirBitmaps)
{
	Open();
	for (int resource : {ResourceId::kOptionsBitmap, ResourceId::kAboutBitmap})
	{
		DecodedImage bitmap;
		ASSERT_TRUE(DecodeBmp(Resources::Find(ResourceId::kBitmap, resource), bitmap));
		GtkWidget* picture = dialog.ControlOrNull("Bitmap" + std::to_string(resource));
		ASSERT_NE(picture, nullptr);
		GdkPixbuf* shown = gtk_image_get_pixbuf(GTK_IMAGE(picture));
		ASSERT_NE(shown, nullptr);
		ASSERT_EQ(gdk_pixbuf_get_width(shown), bitmap.width);
		ASSERT_EQ(gdk_pixbuf_get_height(shown), bitmap.height);
		ASSERT_EQ(gdk_pixbuf_get_n_channels(shown), bitmap.channels);
		const size_t rowBytes = static_cast<size_t>(bitmap.width * bitmap.channels);
		for (int row : {0, bitmap.height / 2, bitmap.height - 1})
		{
			const guchar* shownRow = gdk_pixbuf_get_pixels(shown) + row * gdk_pixbuf_get_rowstride(shown);
			const uint8_t* bitmapRow = bitmap.pixels.data() + (bitmap.height - 1 - row) * rowBytes;
			EXPECT_TRUE(std::equal(bitmapRow, bitmapRow + rowBytes, shownRow)) << resource << " row " << row;
		}
	}
}

// Real key presses from the X server, into the dialog with the focus on `focused`.
void PressKeys(GtkWidget* window, GtkWidget* focused, const std::vector<std::string>& keys)
{
	gtk_widget_grab_focus(focused);
	PumpEvents();
	std::vector<std::string> command = {"/usr/bin/xdotool", "windowfocus", "--sync",
	                                    std::to_string(GDK_WINDOW_XID(gtk_widget_get_window(window))), "key"};
	command.insert(command.end(), keys.begin(), keys.end());
	EXPECT_EQ(RunProcess(command).exitCode, 0);
	PumpEvents();
}

// Enter with the focus on OK and Escape anywhere: neither presses a button nor closes.
TEST_F(OptionsDialogTest, EnterAndEscapeDoNothing)
{
	Open();
	dialog.Show();
	const std::string before = home.Read();
	// The keys do reach the dialog: Space toggles the focused check box.
	PressKeys(Control(kOptionsDialog), Control(kShowFps), {"space"});
	EXPECT_TRUE(IsChecked(kShowFps));

	PressKeys(Control(kOptionsDialog), Control(kOk), {"Return", "KP_Enter", "Escape"});
	EXPECT_EQ(GetRunMode(), RunMode::Configure);
	EXPECT_TRUE(gtk_widget_get_visible(Control(kOptionsDialog)));
	EXPECT_EQ(home.Read(), before);

	Click(kAbout);
	PressKeys(Control(kAboutBox), Control(kAboutOk), {"Return", "Escape"});
	EXPECT_TRUE(gtk_widget_get_visible(Control(kAboutBox)));
}

// A callback for the dialog's own event loop: acts on the shown dialog from inside the loop.
gboolean RunOnce(gpointer action)
{
	(*static_cast<std::function<void()>*>(action))();
	return G_SOURCE_REMOVE;
}

GtkWidget* FindNamed(GtkWidget* widget, const char* name)
{
	if (std::string(gtk_widget_get_name(widget)) == name)
	{
		return widget;
	}
	GtkWidget* found = nullptr;
	if (GTK_IS_CONTAINER(widget))
	{
		GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
		for (GList* child = children; child != nullptr && found == nullptr; child = child->next)
		{
			found = FindNamed(GTK_WIDGET(child->data), name);
		}
		g_list_free(children);
	}
	return found;
}

// The shown Options window, found as a user would find it: by its caption.
GtkWidget* ShownOptionsWindow()
{
	GtkWidget* shown = nullptr;
	GList* windows = gtk_window_list_toplevels();
	for (GList* window = windows; window != nullptr; window = window->next)
	{
		const char* title = gtk_window_get_title(GTK_WINDOW(window->data));
		if (gtk_widget_get_visible(GTK_WIDGET(window->data)) && title != nullptr &&
		    std::string(title) == " Glimmerhearth Configuration")
		{
			shown = GTK_WIDGET(window->data);
		}
	}
	g_list_free(windows);
	return shown;
}

TEST_F(OptionsDialogTest, RunOptionsDialogShowsTheDialogUntilOk)
{
	bool found = false;
	std::function<void()> pressOk = [&found]
	{
		GtkWidget* window = ShownOptionsWindow();
		found = window != nullptr;
		if (found)
		{
			gtk_range_set_value(GTK_RANGE(FindNamed(window, "1007")), 50);
			gtk_button_clicked(GTK_BUTTON(FindNamed(window, "1032")));
		}
		else
		{
			SetRunMode(RunMode::Quit);
		}
	};
	g_timeout_add(200, RunOnce, &pressOk);
	RunOptionsDialog();
	EXPECT_TRUE(found);
	EXPECT_EQ(GetRunMode(), RunMode::Quit);
	EXPECT_EQ(Stored("Gamma:"), 2);
	EXPECT_EQ(ShownOptionsWindow(), nullptr);
}

// While nothing happens the loop sleeps rather than spinning. The processor's time is taken only
// once the dialog is up and idle: building the widgets is work, and a busy machine stretches it.
TEST_F(OptionsDialogTest, IdleLoopLeavesTheProcessorAlone)
{
	double cpuAtIdle = 0;
	std::chrono::steady_clock::time_point wallAtIdle;
	std::function<void()> noteIdle = [&]
	{
		cpuAtIdle = CpuSeconds();
		wallAtIdle = std::chrono::steady_clock::now();
	};
	double cpu = 0;
	double wall = 0;
	std::function<void()> cancel = [&]
	{
		cpu = CpuSeconds() - cpuAtIdle;
		wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallAtIdle).count();
		gtk_button_clicked(GTK_BUTTON(FindNamed(ShownOptionsWindow(), "1034")));
	};
	g_timeout_add(500, RunOnce, &noteIdle);
	g_timeout_add(2000, RunOnce, &cancel);
	RunOptionsDialog();
	EXPECT_EQ(GetRunMode(), RunMode::Quit);
	EXPECT_GT(wall, 1.0);
	EXPECT_LT(cpu, 0.25 * wall) << "cpu " << cpu << " s in " << wall << " s";
}

// Another X client destroys the shown dialog's window while GTK still has requests for it on the
// way: the requests fail, the dialog ends as its close box would end it, and the process lives on.
TEST_F(OptionsDialogTest, WindowDestroyedUnderPendingRequestsEndsTheDialog)
{
	std::function<void()> destroyElsewhere = []
	{
		GdkWindow* window = gtk_widget_get_window(ShownOptionsWindow());
		Display* other = XOpenDisplay(getenv("DISPLAY"));
		ASSERT_NE(other, nullptr);
		XDestroyWindow(other, GDK_WINDOW_XID(window));
		XCloseDisplay(other);
		// GDK has not heard of the destruction yet: these requests meet a window that is gone.
		gdk_window_raise(window);
		gdk_display_sync(gdk_window_get_display(window));
	};
	g_timeout_add(200, RunOnce, &destroyElsewhere);
	RunOptionsDialog();
	EXPECT_EQ(GetRunMode(), RunMode::Quit);
}
} // namespace
