#pragma once

#include "render/ImageDecoders.h"

// Xlib's own types, declared here so that its macros stay out of every includer.
struct _XDisplay;
union _XEvent;

// The preview picture inside a host's window (the display settings' little monitor): a child
// window that fills the host window and shows the picture scaled to it, following the host
// window's size. No OpenGL is used for it.
class PreviewWindow
{
public:
	// False when `parent` is no window that can hold ours (zero, gone, or of a visual the picture
	// cannot be shown in); X errors on the way are caught, never fatal.
	bool Create(_XDisplay* display, unsigned long parent, const DecodedImage& picture);
	// Follows the parent's size. Returns false once the parent or our window has been destroyed.
	bool HandleEvent(const _XEvent& event);
	void Release();

	unsigned long Handle() const { return window; }

private:
	void FitToParent(int newWidth, int newHeight);
	void ShowScaledPicture();

	_XDisplay* display = nullptr;
	unsigned long parent = 0;
	unsigned long window = 0;
	const DecodedImage* picture = nullptr;
	int width = 0;
	int height = 0;
};
