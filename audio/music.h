// The demo's music: the soundtrack stream that is also the show's clock, and an alternative
// tracker-module entry the show does not use.
//
// Call order: startMusic once at the end of start-up, musicTimeSeconds once per frame,
// stopMusic once after the main loop. All three run on the main thread; the decoding runs
// on SDL's audio thread, which shares with the main thread only the position clock's
// atomics (see audio/music_player.h and audio/stream_clock.h for that contract).
// Units: seconds of music heard, counted from the stream's first sample of music.
#pragma once

// Plays `fileName` (an MP3) as a looping stereo stream at full volume. 0 when it plays;
// 1 when no audio device opens or the file is missing, unreadable or not MP3, after closing
// everything it opened and printing one line naming the cause on stderr.
int startMusic(const char* fileName);

// Seconds of the stream heard so far, fraction kept; advances smoothly from frame to frame,
// never backwards, and wraps to 0 when the stream starts over. 0.0 when nothing plays.
double musicTimeSeconds();

// Closes the stream, a module if one was started, and the sound output. Safe to repeat.
void stopMusic();

// Plays a tracker module, repeating; 0 when it plays, 1 on failure (as startMusic).
int startModuleMusic(const char* fileName);

// Whole seconds of the module played so far (milliseconds truncated to seconds).
double moduleTimeSeconds();
