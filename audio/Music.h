#pragma once

// The saver's background music, "Music/music.ogg" from the media store. Both calls do nothing
// while the music setting is off, and then nothing of the audio module is ever loaded.

// After loading, with the saver window.
void StartSaverMusic(void* window);
// First step of the saver's shutdown.
void StopSaverMusic();
