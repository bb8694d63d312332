#pragma once

#include <gtk/gtk.h>

// The GTK pieces the Options dialog and its About box are built from, and the dialog's event loop.

// Sizes in pixels, from the template's dialog units at 8-point type.
inline constexpr int kLabelColumnWidth = 96;
inline constexpr int kTrackbarWidth = 156;
inline constexpr int kModeListWidth = 180;
inline constexpr int kGroupSpacing = 8;
inline constexpr int kGroupPadding = 6;

void SetWidgetText(GtkWidget* widget, const char* text);
GtkWidget* NewGroup(const char* text, GtkWidget* content);
GtkWidget* NewGrid();
GtkWidget* NewFieldLabel(const char* text);
// A trackbar 0 to 100 without ticks; it shows no number, only its position, and keeps whole
// positions when dragged.
GtkWidget* NewTrackbar();
// Enter and Escape have no meaning in these windows: no default button is pressed and nothing
// closes. Only the buttons and the close box end the dialog.
gboolean SwallowEnterAndEscape(GtkWidget*, GdkEventKey* event, gpointer);
gboolean QuitOnClose(GtkWidget*, GdkEvent*, gpointer);
gboolean HideOnClose(GtkWidget* widget, GdkEvent*, gpointer);
GtkWidget* NewDialogWindow(const char* title);
// Another X client may destroy a dialog window at any moment (xdotool windowclose does); what GTK
// has already sent for that window then fails, and GDK ends the process on any X error that no
// trap expects. An error handler of our own would not do: GDK puts its own back while it traps
// errors of its own. So while this lives, every X error of the display is trapped and let pass;
// the dialog talks to no windows but its own.
class XErrorsLetPass
{
public:
	XErrorsLetPass();
	~XErrorsLetPass();
	XErrorsLetPass(const XErrorsLetPass&) = delete;
	XErrorsLetPass& operator=(const XErrorsLetPass&) = delete;

private:
	GdkDisplay* trapped = nullptr;
};
// A bitmap resource as a picture control. The decoder gives the bottom row first; the screen
// wants the top row first. A picture that cannot be decoded leaves the control empty.
GtkWidget* NewBitmapPicture(int resourceId);
// A whole trackbar position; the settings record may hold any float, the trackbar clamps it.
double TrackbarPosition(float value);
// GTK's events, until the run mode leaves the configure mode.
void RunEventLoop();
