#pragma once
// The "waveaudio" command interpreter of the cut: MCI command
// strings on WAV files.
//
//   open PATH [type waveaudio] [alias NAME]   loads the file; NAME defaults to PATH
//   delete NAME [from MS] [to MS]             removes the frames [from, to)
//   save NAME [PATH]                          writes the 44-byte layout (PATH defaults
//                                             to the file that was opened)
//   close NAME | close all                    forgets the device
//   status NAME length|samplespersec|channels|bitspersample   answer in *returnString
//
// Words are split on any run of blanks; a word with blanks is written in
// double quotes ("open \"/a b/c.wav\" type waveaudio alias voice1").  Command
// words, keywords and device names are not case-sensitive.  The flags
// "wait" and "notify" are accepted and ignored.
//
// Times are milliseconds and become frames by rounding at the file's rate
// (frame = round(ms * rate / 1000)), on the timeline of the file as it was
// opened: after "delete from 0 to A", time t names the file's time t + A, so
// "delete from 0 to IN" then "delete from OUT-IN to L-IN" keeps exactly the
// file's frames [round(IN), round(OUT)).  "delete": from defaults to 0, to to
// the end; both are clamped to the clip, and a time at or past the file's
// length in ms (rounded down, as MMControl reports it) means its end, to the
// last frame.  An empty or reversed range changes nothing and returns 0; a
// negative time is kMciErrOutOfRange.  "save" writes the device's samples in
// the file's own sample format (format tag 1 for integer PCM, 3 for float)
// after the 44-byte header; the file is replaced only when completely written.
//
// An open device (alias -> the opened file, its format and the stretches of
// its frames still held) keeps the file open until "close"; its samples stay
// in the file, and "save" copies the stretches from there.  Every call returns 0 or one of the codes below, and never throws.
// Call from one thread at a time (calls are serialised by a lock).
#include <QString>
#include <QtGlobal>

constexpr quint32 kMciOk = 0;
constexpr quint32 kMciErrMissingCommand = 1;      // empty command string
constexpr quint32 kMciErrUnrecognizedCommand = 2; // first word not open/delete/save/close/status
constexpr quint32 kMciErrUnrecognizedKeyword = 3; // a word the command does not take
constexpr quint32 kMciErrMissingParameter = 4;    // a name, path or number is missing
constexpr quint32 kMciErrNoClosingQuote = 5;      // a double quote is not closed
constexpr quint32 kMciErrBadInteger = 6;          // a time is not a whole number
constexpr quint32 kMciErrUnsupportedType = 7;     // "type" other than waveaudio
constexpr quint32 kMciErrDuplicateAlias = 8;      // "open" with an alias already open
constexpr quint32 kMciErrInvalidDevice = 9;       // no device open under that name
constexpr quint32 kMciErrFileNotFound = 10;       // "open": no such file
constexpr quint32 kMciErrInvalidFile = 11;        // "open": not a readable PCM/float WAV file
constexpr quint32 kMciErrOutOfRange = 12;         // a negative time
constexpr quint32 kMciErrFileNotSaved = 13;       // "save" could not write the file
constexpr quint32 kMciErrOutOfMemory = 14;        // the samples do not fit in memory

// Runs one command string.  *returnString (when given) receives the answer of
// "status" and is emptied by the other commands.
quint32 mciSendStringA(const QString &command, QString *returnString = nullptr);

// The words for a code ("The specified device is not open..." style);
// an unknown code gives "Unknown error N".
QString mciGetErrorString(quint32 code);
