// The demo's music: the soundtrack stream that is also the show's clock, and an alternative
// tracker-module entry the show does not use.
//
// Call order: startMusic once at the end of start-up, musicTimeSeconds once per frame,
// seekMusic when the show jumps, stopMusic once after the main loop. All run on the main
// thread; the decoding runs on SDL's audio thread, which shares with the main thread only
// the position clock's atomics, except while seekMusic holds the audio device locked (see
// audio/music_player.h and audio/stream_clock.h for that contract).
// Units: seconds of music, counted from the stream's first sample of music, wherever
// playback started.
#pragma once

// What the end of the stream does: start the music over, or end it while the clock runs
// on (for a show that must reach its own end however long its music is).
enum class MusicEnd { Loop, ClockRunsOn };

// Plays `fileName` (an MP3) as a looping stereo stream at full volume, or once through with
// ClockRunsOn, beginning with the sample at `startSeconds` of the music. 0 when it plays; 1
// when no audio device opens, the file is missing, unreadable or not MP3, or `startSeconds`
// is negative, not finite or, looping, at or past the end of the music, after closing
// everything it opened and printing one line naming the cause on stderr.
[[nodiscard]] int startMusic(const char* fileName, double startSeconds = 0.0,
                             MusicEnd atEnd = MusicEnd::Loop);

// Seconds of the stream heard so far, fraction kept: startSeconds until the device has taken
// sound, then advancing smoothly from frame to frame, never backwards, and wrapping to 0
// when the stream starts over. The one other step back is seekMusic's. 0.0 when nothing
// plays. When the sound device goes (or stops asking for sound for half a second), or music
// that runs on has ended, it runs on from where it stood by the steady clock, and follows
// the heard sound again when a device opens (or asks again), with the music going on from
// there; each change is one line on stderr.
double musicTimeSeconds();

// Jumps playback to `seconds` of the music; from the moment it returns, musicTimeSeconds
// counts from there (no position from before the jump is reported after it), backwards
// too. A position startMusic would refuse leaves playback as it was, with one line on
// stderr (unless the music proves shorter than its file's header said: then it goes on
// from its start). Does nothing when no stream plays. Jumping far ahead or back holds the
// sound up for as long as decoding to there takes; the start (0) is reached at once.
void seekMusic(double seconds);

// Closes the stream, a module if one was started, and the sound output. Safe to repeat.
void stopMusic();

// Plays a tracker module, repeating; 0 when it plays, 1 on failure (as startMusic).
[[nodiscard]] int startModuleMusic(const char* fileName);

// Whole seconds of the module played so far (milliseconds truncated to seconds).
double moduleTimeSeconds();
