#include "options/OptionsDialog.h"

#include "core/Platform.h"
#include "core/RunMode.h"
#include "options/OptionsWidgets.h"
#include "resources/Resources.h"
#include "settings/Cp1251.h"
#include "settings/LabelText.h"
#include "settings/Settings.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <utility>

using namespace OptionsControl;

namespace
{
// The modes of the list, by the index they have in the settings record.
constexpr const char* kModeTexts[] = {
    "800x600x16",   "800x600x32",  "1024x768x16", "1024x768x32",  "1280x1024x16",
    "1280x1024x32", "1152x864x16", "1152x864x32", "1600x1200x16", "1600x1200x32",
};
constexpr int kModeCount = static_cast<int>(std::size(kModeTexts));

// Which widget each entry of the label text names. The About box's labels have no ids of their
// own, so they go by their tag names.
struct LabelTarget
{
	const char* tag;
	const char* widgetName;
};

constexpr LabelTarget kLabelTargets[] = {
    {"#Window_Title#", "101"},
    {"#Video_Mode_Selection#", "1048"},
    {"#Sound_Control#", "1049"},
    {"#Graphics#", "1050"},
    {"#Misc_Options#", "1053"},
    {"#Use_Desktop_Settings#", "1015"},
    {"#Enable_music#", "1012"},
    {"#Master_volume:#", "1047"},
    {"#Gamma_Control:#", "1054"},
    {"#About...#", "1019"},
    {"#Restore_Defaults#", "1031"},
    {"#OK#", "1032"},
    {"#Cancel#", "1034"},
    {"#Show_FPS#", "1008"},
    {"#Exit_on_mouse_move#", "1010"},
    {"#Show_time#", "1037"},
    {"#24h_style#", "1038"},
    {"#12h_style#", "1024"},
    {"#About_Title#", "136"},
    {"#About_Product#", "About_Product"},
    {"#About_Programming#", "About_Programming"},
    {"#About_Models#", "About_Models"},
    {"#About_Music#", "About_Music"},
};

} // namespace

OptionsDialog::~OptionsDialog()
{
	Release();
}

bool OptionsDialog::OpenDisplay()
{
	return gtk_init_check(nullptr, nullptr) != FALSE;
}

GtkWidget* OptionsDialog::Add(GtkWidget* widget, const std::string& name)
{
	gtk_widget_set_name(widget, name.c_str());
	controls[name] = widget;
	return widget;
}

GtkWidget* OptionsDialog::Add(GtkWidget* widget, int id)
{
	return Add(widget, std::to_string(id));
}

GtkWidget* OptionsDialog::ControlOrNull(const std::string& name) const
{
	const auto found = controls.find(name);
	return found != controls.end() ? found->second : nullptr;
}

GtkWidget* OptionsDialog::Control(int id) const
{
	return ControlOrNull(std::to_string(id));
}

GtkWidget* OptionsDialog::BuildVideoModeGroup()
{
	GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
	GtkWidget* modeList = Add(gtk_combo_box_text_new(), kModeList);
	gtk_widget_set_size_request(modeList, kModeListWidth, -1);
	gtk_widget_set_halign(modeList, GTK_ALIGN_START);
	gtk_box_pack_start(GTK_BOX(box), modeList, FALSE, FALSE, 0);
	gtk_box_pack_start(GTK_BOX(box),
	                   Add(gtk_check_button_new_with_label("Use Desktop Settings"), kUseDesktopSettings),
	                   FALSE, FALSE, 0);
	return Add(NewGroup("Video Mode Selection", box), kVideoModeGroup);
}

GtkWidget* OptionsDialog::BuildSoundGroup()
{
	GtkWidget* grid = NewGrid();
	gtk_grid_attach(GTK_GRID(grid), Add(NewFieldLabel("Master volume:"), kVolumeLabel), 0, 0, 1, 1);
	gtk_grid_attach(GTK_GRID(grid), Add(NewTrackbar(), kVolume), 1, 0, 1, 1);
	gtk_grid_attach(GTK_GRID(grid), Add(gtk_check_button_new_with_label("Enable music"), kEnableMusic), 0, 1,
	                2, 1);
	return Add(NewGroup("Sound Control", grid), kSoundGroup);
}

GtkWidget* OptionsDialog::BuildGraphicsGroup()
{
	GtkWidget* grid = NewGrid();
	gtk_widget_set_valign(grid, GTK_ALIGN_CENTER);
	gtk_grid_attach(GTK_GRID(grid), Add(NewFieldLabel("Gamma Control:"), kGammaLabel), 0, 0, 1, 1);
	gtk_grid_attach(GTK_GRID(grid), Add(NewTrackbar(), kGamma), 1, 0, 1, 1);
	return Add(NewGroup("Graphics", grid), kGraphicsGroup);
}

// Two columns as in the template: Show FPS over Exit on mouse move, Show time over its two
// clock styles, which sit indented beneath it.
GtkWidget* OptionsDialog::BuildMiscGroup()
{
	GtkWidget* grid = NewGrid();
	gtk_grid_set_row_spacing(GTK_GRID(grid), 0);
	GtkWidget* style12h = Add(gtk_radio_button_new_with_label(nullptr, "12h style"), kStyle12h);
	GtkWidget* style24h =
	    Add(gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(style12h), "24h style"), kStyle24h);
	GtkWidget* exitOnMouseMove = Add(gtk_check_button_new_with_label("Exit on mouse move"), kExitOnMouseMove);
	gtk_widget_set_valign(exitOnMouseMove, GTK_ALIGN_CENTER);
	gtk_widget_set_margin_start(style12h, 16);
	gtk_widget_set_margin_start(style24h, 16);

	gtk_grid_attach(GTK_GRID(grid), Add(gtk_check_button_new_with_label("Show FPS"), kShowFps), 0, 0, 1, 1);
	gtk_grid_attach(GTK_GRID(grid), exitOnMouseMove, 0, 1, 1, 2);
	gtk_grid_attach(GTK_GRID(grid), Add(gtk_check_button_new_with_label("Show time"), kShowTime), 1, 0, 1, 1);
	gtk_grid_attach(GTK_GRID(grid), style12h, 1, 1, 1, 1);
	gtk_grid_attach(GTK_GRID(grid), style24h, 1, 2, 1, 1);
	return Add(NewGroup("Misc Options", grid), kMiscGroup);
}

// Restore Defaults on the left, OK and Cancel on the right.
GtkWidget* OptionsDialog::BuildButtonRow()
{
	GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, kGroupSpacing);
	gtk_widget_set_margin_top(row, 12);
	gtk_box_pack_start(GTK_BOX(row), Add(gtk_button_new_with_label("Restore Defaults"), kRestoreDefaults),
	                   FALSE, FALSE, 0);
	gtk_box_pack_end(GTK_BOX(row), Add(gtk_button_new_with_label("Cancel"), kCancel), FALSE, FALSE, 0);
	gtk_box_pack_end(GTK_BOX(row), Add(gtk_button_new_with_label("OK"), kOk), FALSE, FALSE, 0);
	return row;
}

// The template's places: the two groups of the top left beside the decoration picture, the
// Graphics and Misc Options groups beneath them, the About button under Misc Options.
void OptionsDialog::BuildOptionsWindow()
{
	window = Add(NewDialogWindow("Options"), kOptionsDialog);
	gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
	g_signal_connect(window, "delete-event", G_CALLBACK(QuitOnClose), nullptr);

	GtkWidget* grid = NewGrid();
	gtk_grid_set_row_spacing(GTK_GRID(grid), kGroupSpacing);
	gtk_grid_attach(GTK_GRID(grid), BuildVideoModeGroup(), 0, 0, 1, 1);
	gtk_grid_attach(GTK_GRID(grid), BuildSoundGroup(), 0, 1, 1, 1);
	GtkWidget* picture = Add(NewBitmapPicture(ResourceId::kOptionsBitmap), "Bitmap143");
	gtk_widget_set_valign(picture, GTK_ALIGN_CENTER);
	gtk_grid_attach(GTK_GRID(grid), picture, 1, 0, 1, 2);
	gtk_grid_attach(GTK_GRID(grid), BuildGraphicsGroup(), 0, 2, 1, 1);
	gtk_grid_attach(GTK_GRID(grid), BuildMiscGroup(), 1, 2, 1, 1);
	// The two trackbars start at the same place, whatever their labels say.
	GtkSizeGroup* labelColumn = gtk_size_group_new(GTK_SIZE_GROUP_HORIZONTAL);
	gtk_size_group_add_widget(labelColumn, Control(kVolumeLabel));
	gtk_size_group_add_widget(labelColumn, Control(kGammaLabel));
	g_object_unref(labelColumn);
	GtkWidget* about = Add(gtk_button_new_with_label("About..."), kAbout);
	gtk_widget_set_halign(about, GTK_ALIGN_END);
	gtk_grid_attach(GTK_GRID(grid), about, 1, 3, 1, 1);

	GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
	gtk_box_pack_start(GTK_BOX(content), grid, FALSE, FALSE, 0);
	gtk_box_pack_end(GTK_BOX(content), BuildButtonRow(), FALSE, FALSE, 0);
	gtk_container_add(GTK_CONTAINER(window), content);
	gtk_widget_show_all(content);
}

// The About box: the picture beside the product name and the credits inside one frame, its OK
// button beneath. Closing it or OK only hides it.
void OptionsDialog::BuildAboutBox()
{
	aboutBox = Add(NewDialogWindow("About"), kAboutBox);
	gtk_window_set_transient_for(GTK_WINDOW(aboutBox), GTK_WINDOW(window));
	gtk_window_set_position(GTK_WINDOW(aboutBox), GTK_WIN_POS_CENTER_ON_PARENT);
	g_signal_connect(aboutBox, "delete-event", G_CALLBACK(HideOnClose), nullptr);

	GtkWidget* product = Add(gtk_label_new("Glimmerhearth"), "About_Product");
	PangoAttrList* emphasis = pango_attr_list_new();
	pango_attr_list_insert(emphasis, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
	pango_attr_list_insert(emphasis, pango_attr_scale_new(1.4));
	gtk_label_set_attributes(GTK_LABEL(product), emphasis);
	pango_attr_list_unref(emphasis);

	GtkWidget* credits = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
	gtk_box_pack_start(GTK_BOX(credits), product, FALSE, FALSE, 4);
	const std::pair<const char*, const char*> creditLabels[] = {
	    {"About_Programming", "Programming"}, {"About_Models", "3D Models"}, {"About_Music", "Music"}};
	for (const auto& [name, text] : creditLabels)
	{
		GtkWidget* label = Add(gtk_label_new(text), name);
		gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
		gtk_box_pack_start(GTK_BOX(credits), label, FALSE, FALSE, 0);
	}

	GtkWidget* inside = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
	gtk_box_pack_start(GTK_BOX(inside), Add(NewBitmapPicture(ResourceId::kAboutBitmap), "Bitmap142"), FALSE,
	                   FALSE, 0);
	gtk_box_pack_start(GTK_BOX(inside), credits, FALSE, FALSE, 0);
	GtkWidget* frame = NewGroup(nullptr, inside);

	GtkWidget* ok = Add(gtk_button_new_with_label("OK"), kAboutOk);
	gtk_widget_set_halign(ok, GTK_ALIGN_END);
	gtk_widget_set_size_request(ok, 90, -1);
	GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 10);
	gtk_box_pack_start(GTK_BOX(content), frame, FALSE, FALSE, 0);
	gtk_box_pack_start(GTK_BOX(content), ok, FALSE, FALSE, 0);
	gtk_container_add(GTK_CONTAINER(aboutBox), content);
	gtk_widget_show_all(content);
}

void OptionsDialog::ConnectSignals()
{
	const struct
	{
		int id;
		const char* signal;
		void (*handler)(GtkWidget*, OptionsDialog*);
	} connections[] = {
	    {kEnableMusic, "toggled", OnEnableMusic},
	    {kUseDesktopSettings, "toggled", OnUseDesktopSettings},
	    {kShowTime, "toggled", OnShowTime},
	    {kAbout, "clicked", OnAbout},
	    {kRestoreDefaults, "clicked", OnRestoreDefaults},
	    {kOk, "clicked", OnOk},
	    {kCancel, "clicked", OnCancel},
	    {kAboutOk, "clicked", OnAboutOk},
	};
	for (const auto& connection : connections)
	{
		g_signal_connect(Control(connection.id), connection.signal, G_CALLBACK(connection.handler), this);
	}
	for (GtkWidget* owned : {window, aboutBox})
	{
		g_signal_connect(owned, "destroy-event", G_CALLBACK(OnWindowDestroyed), this);
	}
}

void OptionsDialog::Create()
{
	Release();
	BuildOptionsWindow();
	BuildAboutBox();
	ConnectSignals();
}

void OptionsDialog::Release()
{
	// The About box goes first: it belongs to the Options window.
	for (GtkWidget** owned : {&aboutBox, &window})
	{
		if (*owned != nullptr)
		{
			gtk_widget_destroy(*owned);
			*owned = nullptr;
		}
	}
	controls.clear();
}

void OptionsDialog::InitOptionsControls()
{
	gtk_range_set_range(GTK_RANGE(Control(kVolume)), 0, 100);
	gtk_range_set_range(GTK_RANGE(Control(kGamma)), 0, 100);
	GtkComboBoxText* modeList = GTK_COMBO_BOX_TEXT(Control(kModeList));
	gtk_combo_box_text_remove_all(modeList);
	for (const char* text : kModeTexts)
	{
		gtk_combo_box_text_append_text(modeList, text);
	}
	gtk_combo_box_set_active(GTK_COMBO_BOX(modeList), 0);
}

void OptionsDialog::ApplyLabels(std::string_view labelText)
{
	for (const LabelEntry& entry : ParseLabelText(labelText))
	{
		for (const LabelTarget& target : kLabelTargets)
		{
			GtkWidget* widget = ControlOrNull(target.widgetName);
			if (entry.tag == target.tag && widget != nullptr)
			{
				SetWidgetText(widget, Cp1251ToUtf8(entry.text).c_str());
			}
		}
	}
}

bool OptionsDialog::IsChecked(int id) const
{
	return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Control(id))) != FALSE;
}

void OptionsDialog::SetChecked(int id, bool checked)
{
	gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Control(id)), checked);
}

void OptionsDialog::SetEnabled(int id, bool enabled)
{
	gtk_widget_set_sensitive(Control(id), enabled);
}

void OptionsDialog::EnableMusicControls(bool music)
{
	SetEnabled(kVolume, music);
	SetEnabled(kVolumeLabel, music);
}

void OptionsDialog::EnableModeList(bool useDesktopSettings)
{
	SetEnabled(kModeList, !useDesktopSettings);
}

void OptionsDialog::EnableClockStyles(bool showTime)
{
	SetEnabled(kStyle12h, showTime);
	SetEnabled(kStyle24h, showTime);
}

void OptionsDialog::SettingsToControls(const Settings& settings)
{
	fillingControls = true;
	// The desktop entry is not in the list: it selects nothing.
	const bool listed = settings.currentResolution >= 0 && settings.currentResolution < kModeCount;
	gtk_combo_box_set_active(GTK_COMBO_BOX(Control(kModeList)), listed ? settings.currentResolution : -1);
	SetChecked(kShowFps, settings.showFps);
	SetChecked(kShowTime, settings.showTime);
	SetChecked(kExitOnMouseMove, settings.exitOnMouseMove);
	SetChecked(kStyle24h, settings.clock24h);
	SetChecked(kStyle12h, !settings.clock24h);
	SetChecked(kEnableMusic, settings.music);
	SetChecked(kUseDesktopSettings, settings.useDesktopSettings);
	gtk_range_set_value(GTK_RANGE(Control(kVolume)), TrackbarPosition(settings.soundVolume));
	gtk_range_set_value(GTK_RANGE(Control(kGamma)), TrackbarPosition(settings.gamma * 25.0f));
	EnableMusicControls(settings.music);
	EnableModeList(settings.useDesktopSettings);
	EnableClockStyles(settings.showTime);
	fillingControls = false;
}

void OptionsDialog::ControlsToSettings(Settings& settings) const
{
	if (IsChecked(kUseDesktopSettings))
	{
		settings.useDesktopSettings = true;
		settings.ApplyDesktopEntry();
	}
	else
	{
		settings.useDesktopSettings = false;
		// A list left with nothing selected (the desktop entry was shown) keeps the mode the
		// settings were loaded with, or, where that is no index the table holds, the first mode.
		const int selected = gtk_combo_box_get_active(GTK_COMBO_BOX(Control(kModeList)));
		const bool loadedInTable =
		    settings.loadedResolution >= 0 && settings.loadedResolution < Settings::kResolutionCount;
		settings.currentResolution = selected >= 0 ? selected : loadedInTable ? settings.loadedResolution : 0;
	}
	settings.showFps = IsChecked(kShowFps);
	settings.clock24h = IsChecked(kStyle24h);
	settings.showTime = IsChecked(kShowTime);
	settings.exitOnMouseMove = IsChecked(kExitOnMouseMove);
	settings.music = IsChecked(kEnableMusic);
	// The dialog has no controls for sound effects and the music volume: both are stored as 0.
	settings.soundEffects = false;
	settings.musicVolume = 0.0f;
	const int volume = static_cast<int>(gtk_range_get_value(GTK_RANGE(Control(kVolume))));
	const int gamma = static_cast<int>(gtk_range_get_value(GTK_RANGE(Control(kGamma))));
	settings.soundVolume = static_cast<float>(volume);
	settings.gamma = static_cast<float>(gamma) * 0.04f;
}

void OptionsDialog::Show()
{
	gtk_widget_show(window);
}

void OptionsDialog::OnEnableMusic(GtkWidget*, OptionsDialog* dialog)
{
	if (!dialog->fillingControls)
	{
		g_settings.music = dialog->IsChecked(kEnableMusic);
		dialog->EnableMusicControls(g_settings.music);
	}
}

void OptionsDialog::OnUseDesktopSettings(GtkWidget*, OptionsDialog* dialog)
{
	if (!dialog->fillingControls)
	{
		g_settings.useDesktopSettings = dialog->IsChecked(kUseDesktopSettings);
		dialog->EnableModeList(g_settings.useDesktopSettings);
	}
}

void OptionsDialog::OnShowTime(GtkWidget*, OptionsDialog* dialog)
{
	if (!dialog->fillingControls)
	{
		g_settings.showTime = dialog->IsChecked(kShowTime);
		dialog->EnableClockStyles(g_settings.showTime);
	}
}

void OptionsDialog::OnAbout(GtkWidget*, OptionsDialog* dialog)
{
	if (dialog->aboutBox != nullptr)
	{
		gtk_window_present(GTK_WINDOW(dialog->aboutBox));
	}
}

// Nothing is written: the defaults reach the registry only through OK.
void OptionsDialog::OnRestoreDefaults(GtkWidget*, OptionsDialog* dialog)
{
	g_settings.LoadDefaults();
	dialog->SettingsToControls(g_settings);
}

void OptionsDialog::OnOk(GtkWidget*, OptionsDialog* dialog)
{
	dialog->ControlsToSettings(g_settings);
	// The dialog still closes; a person who pressed OK must not be left believing the choices
	// were kept.
	if (!g_settings.Save())
	{
		Sys_MessageBox("Error", "The settings could not be saved.");
	}
	SetRunMode(RunMode::Quit);
}

void OptionsDialog::OnCancel(GtkWidget*, OptionsDialog*)
{
	SetRunMode(RunMode::Quit);
}

void OptionsDialog::OnAboutOk(GtkWidget*, OptionsDialog* dialog)
{
	gtk_widget_hide(dialog->aboutBox);
}

// The Options window gone ends the dialog at once, saving nothing, as its close box would; the
// About box gone leaves the About button without a box to show. GTK cannot take apart a window
// whose X window is gone without complaining about it, so the widget is let go of, not
// destroyed; the process ends right after.
gboolean OptionsDialog::OnWindowDestroyed(GtkWidget* destroyed, GdkEvent*, OptionsDialog* dialog)
{
	if (destroyed == dialog->window)
	{
		dialog->window = nullptr;
		SetRunMode(RunMode::Quit);
	}
	if (destroyed == dialog->aboutBox)
	{
		dialog->aboutBox = nullptr;
	}
	return TRUE;
}

void RunOptionsDialog()
{
	if (!OptionsDialog::OpenDisplay())
	{
		std::fprintf(stderr,
		             "glimmerhearth: the Options dialog needs a display, and none could be opened.\n");
		NoteModeFailed();
		return;
	}
	OptionsDialog dialog;
	dialog.Create();
	dialog.InitOptionsControls();
	dialog.ApplyLabels(EmbeddedLabelText());
	dialog.SettingsToControls(g_settings);
	const XErrorsLetPass windowsMayVanish;
	dialog.Show();
	RunEventLoop();
	dialog.Release();
}
