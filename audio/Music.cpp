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
	// The module decodes the whole file while loading it; the blob is simply kept to the end of
	// the run, as the saver keeps the rest of its content.
	g_audio.StartMusic(window, g_mediaStore.Find("Music/music.ogg"), g_settings.soundVolume);
}

void StopSaverMusic()
{
	if (g_settings.music)
	{
		g_audio.Shutdown();
	}
}
