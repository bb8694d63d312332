#include "options/OptionsWidgets.h"

#include "core/RunMode.h"
#include "render/ImageDecoders.h"
#include "resources/Resources.h"

#include <gdk/gdkx.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace
{
// The loop polls at full speed for its first turns, so the dialog comes up without delay, and
// then sleeps a millisecond whenever no event waits.
constexpr int kTurnsBeforeSleeping = 100;
} // namespace

void SetWidgetText(GtkWidget* widget, const char* text)
{
	if (GTK_IS_WINDOW(widget))
	{
		gtk_window_set_title(GTK_WINDOW(widget), text);
	}
	else if (GTK_IS_FRAME(widget))
	{
		gtk_frame_set_label(GTK_FRAME(widget), text);
	}
	else if (GTK_IS_BUTTON(widget))
	{
		gtk_button_set_label(GTK_BUTTON(widget), text);
	}
	else if (GTK_IS_LABEL(widget))
	{
		gtk_label_set_text(GTK_LABEL(widget), text);
	}
}

GtkWidget* NewGroup(const char* text, GtkWidget* content)
{
	GtkWidget* frame = gtk_frame_new(text);
	gtk_container_set_border_width(GTK_CONTAINER(content), kGroupPadding);
	gtk_container_add(GTK_CONTAINER(frame), content);
	return frame;
}

GtkWidget* NewGrid()
{
	GtkWidget* grid = gtk_grid_new();
	gtk_grid_set_row_spacing(GTK_GRID(grid), 4);
	gtk_grid_set_column_spacing(GTK_GRID(grid), kGroupSpacing);
	return grid;
}

GtkWidget* NewFieldLabel(const char* text)
{
	GtkWidget* label = gtk_label_new(text);
	gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
	gtk_widget_set_size_request(label, kLabelColumnWidth, -1);
	return label;
}

GtkWidget* NewTrackbar()
{
	GtkWidget* scale = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 100, 1);
	gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
	gtk_range_set_round_digits(GTK_RANGE(scale), 0);
	gtk_widget_set_size_request(scale, kTrackbarWidth, -1);
	gtk_widget_set_hexpand(scale, TRUE);
	return scale;
}

gboolean SwallowEnterAndEscape(GtkWidget*, GdkEventKey* event, gpointer)
{
	switch (event->keyval)
	{
	case GDK_KEY_Return:
	case GDK_KEY_KP_Enter:
	case GDK_KEY_ISO_Enter:
	case GDK_KEY_Escape:
		return TRUE;
	default:
		return FALSE;
	}
}

gboolean QuitOnClose(GtkWidget*, GdkEvent*, gpointer)
{
	SetRunMode(RunMode::Quit);
	return TRUE;
}

gboolean HideOnClose(GtkWidget* widget, GdkEvent*, gpointer)
{
	gtk_widget_hide(widget);
	return TRUE;
}

GtkWidget* NewDialogWindow(const char* title)
{
	GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
	gtk_window_set_title(GTK_WINDOW(window), title);
	gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
	gtk_container_set_border_width(GTK_CONTAINER(window), 10);
	g_signal_connect(window, "key-press-event", G_CALLBACK(SwallowEnterAndEscape), nullptr);
	return window;
}

GtkWidget* NewBitmapPicture(int resourceId)
{
	DecodedImage image;
	if (!DecodeBmp(Resources::Find(ResourceId::kBitmap, resourceId), image))
	{
		return gtk_image_new();
	}
	GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, image.channels == 4, 8, image.width, image.height);
	if (pixbuf == nullptr)
	{
		return gtk_image_new();
	}
	const size_t rowBytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.channels);
	const int stride = gdk_pixbuf_get_rowstride(pixbuf);
	guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
	for (int row = 0; row < image.height; ++row)
	{
		const uint8_t* source = image.pixels.data() + static_cast<size_t>(image.height - 1 - row) * rowBytes;
		std::copy(source, source + rowBytes, pixels + static_cast<size_t>(row) * static_cast<size_t>(stride));
	}
	GtkWidget* picture = gtk_image_new_from_pixbuf(pixbuf);
	g_object_unref(pixbuf);
	return picture;
}

double TrackbarPosition(float value)
{
	return std::trunc(static_cast<double>(value));
}

XErrorsLetPass::XErrorsLetPass()
{
	GdkDisplay* display = gdk_display_get_default();
	if (GDK_IS_X11_DISPLAY(display))
	{
		trapped = display;
		gdk_x11_display_error_trap_push(display);
	}
}

XErrorsLetPass::~XErrorsLetPass()
{
	if (trapped != nullptr)
	{
		gdk_x11_display_error_trap_pop_ignored(trapped);
	}
}

void RunEventLoop()
{
	int turns = 0;
	while (GetRunMode() == RunMode::Configure)
	{
		// The count stops once past the limit, so a dialog left open for weeks never wraps it.
		if (turns <= kTurnsBeforeSleeping)
		{
			++turns;
		}
		if (gtk_events_pending())
		{
			gtk_main_iteration_do(FALSE);
		}
		else if (turns > kTurnsBeforeSleeping)
		{
			std::this_thread::sleep_for(std::chrono::milliseconds(1));
		}
	}
}
