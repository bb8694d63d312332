#pragma once

#include <map>
#include <string>
#include <string_view>

class Settings;
struct _GtkWidget;
using GtkWidget = _GtkWidget;
union _GdkEvent;
using GdkEvent = _GdkEvent;

// Control ids of the Options dialog and its About box. Each control carries its id as its GTK
// widget name ("1016"), so the controls can be found by the ids the dialog logic speaks of.
namespace OptionsControl
{
inline constexpr int kOptionsDialog = 101;
inline constexpr int kAboutBox = 136;
inline constexpr int kAboutOk = 1;

inline constexpr int kVideoModeGroup = 1048;
inline constexpr int kModeList = 1016;
inline constexpr int kUseDesktopSettings = 1015;
inline constexpr int kSoundGroup = 1049;
inline constexpr int kVolumeLabel = 1047;
inline constexpr int kVolume = 1013;
inline constexpr int kEnableMusic = 1012;
inline constexpr int kGraphicsGroup = 1050;
inline constexpr int kGammaLabel = 1054;
inline constexpr int kGamma = 1007;
inline constexpr int kMiscGroup = 1053;
inline constexpr int kShowFps = 1008;
inline constexpr int kShowTime = 1037;
inline constexpr int kStyle12h = 1024;
inline constexpr int kExitOnMouseMove = 1010;
inline constexpr int kStyle24h = 1038;
inline constexpr int kAbout = 1019;
inline constexpr int kRestoreDefaults = 1031;
inline constexpr int kOk = 1032;
inline constexpr int kCancel = 1034;
} // namespace OptionsControl

// The Options dialog on GTK 3: it edits the live settings record. Enable music, Use Desktop
// Settings and Show time change the record at once; everything else is read from the controls
// at OK, which saves the record and ends the configure mode. Cancel and closing end it without a
// save; Restore Defaults reloads the defaults into the controls and writes nothing.
class OptionsDialog
{
public:
	OptionsDialog() = default;
	~OptionsDialog();
	OptionsDialog(const OptionsDialog&) = delete;
	OptionsDialog& operator=(const OptionsDialog&) = delete;

	// Opens the display for GTK once per process; false when there is none.
	static bool OpenDisplay();

	// Builds the dialog and its About box, both hidden, with the template texts.
	void Create();
	// Destroys both windows.
	void Release();

	// The trackbar ranges and the list of modes, with the first mode selected.
	void InitOptionsControls();
	// Replaces the caption and the labels of both windows from the dialog label text.
	void ApplyLabels(std::string_view labelText);
	void SettingsToControls(const Settings& settings);
	void ControlsToSettings(Settings& settings) const;
	void Show();

	// The control whose id is its widget name, or null; OptionsControl::kOptionsDialog and
	// kAboutBox give the two windows.
	GtkWidget* Control(int id) const;
	// The same by widget name, for the controls without an id: the pictures ("Bitmap143",
	// "Bitmap142") and the About box's labels ("About_Product" and the credits).
	GtkWidget* ControlOrNull(const std::string& name) const;

private:
	GtkWidget* Add(GtkWidget* widget, const std::string& name);
	GtkWidget* Add(GtkWidget* widget, int id);

	GtkWidget* BuildVideoModeGroup();
	GtkWidget* BuildSoundGroup();
	GtkWidget* BuildGraphicsGroup();
	GtkWidget* BuildMiscGroup();
	GtkWidget* BuildButtonRow();
	void BuildOptionsWindow();
	void BuildAboutBox();
	void ConnectSignals();

	bool IsChecked(int id) const;
	void SetChecked(int id, bool checked);
	void SetEnabled(int id, bool enabled);
	void EnableMusicControls(bool music);
	void EnableModeList(bool useDesktopSettings);
	void EnableClockStyles(bool showTime);

	static void OnEnableMusic(GtkWidget* button, OptionsDialog* dialog);
	static void OnUseDesktopSettings(GtkWidget* button, OptionsDialog* dialog);
	static void OnShowTime(GtkWidget* button, OptionsDialog* dialog);
	static void OnAbout(GtkWidget* button, OptionsDialog* dialog);
	static void OnRestoreDefaults(GtkWidget* button, OptionsDialog* dialog);
	static void OnOk(GtkWidget* button, OptionsDialog* dialog);
	static void OnCancel(GtkWidget* button, OptionsDialog* dialog);
	static void OnAboutOk(GtkWidget* button, OptionsDialog* dialog);
	// Returns a gboolean: true, the event is handled.
	static int OnWindowDestroyed(GtkWidget* window, GdkEvent* event, OptionsDialog* dialog);

	std::map<std::string, GtkWidget*> controls;
	GtkWidget* window = nullptr;
	GtkWidget* aboutBox = nullptr;
	// Set while SettingsToControls fills the controls, so that the toggles it sets do not reach
	// back into the settings record.
	bool fillingControls = false;
};

// The configure mode: the dialog on the settings store, until OK, Cancel or the close box.
void RunOptionsDialog();
