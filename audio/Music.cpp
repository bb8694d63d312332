#include "audio/Music.h"

#include "audio/AudioEngine.h"
#include "media/MediaStore.h"
#include "settings/Settings.h"

void StartSaverMusic(void* window)
{
	if (!g_settings.music)
	{
		return;
	}
	// The blob is the music's only copy the module may read from while it decodes; it is kept
	// for the whole run, like the rest of the saver's content.
	g_audio.StartMusic(window, g_mediaStore.Find("Music/music.ogg"), g_settings.soundVolume);
}

void StopSaverMusic()
{
	if (g_settings.music)
	{
		g_audio.Shutdown();
	}
}
