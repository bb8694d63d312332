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
	// The module decodes the whole file while loading it, so the packed file is let go at once.
	MediaBlob music = g_mediaStore.Find("Music/music.ogg");
	g_audio.StartMusic(window, music, g_settings.soundVolume);
	MediaBlob::Free(music);
}

void StopSaverMusic()
{
	if (g_settings.music)
	{
		g_audio.Shutdown();
	}
}
