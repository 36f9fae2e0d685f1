/* Orvane audio library: decoding songs into PCM, recording and playback.
 * A C interface; handles are 32-bit and 0 means failure, after which
 * BASS_ErrorGetCode() tells why (per thread). */
#ifndef ORVANE_BASS_H
#define ORVANE_BASS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int BOOL;

#if defined(BASS_BUILDING) && defined(__GNUC__)
#define BASSAPI __attribute__((visibility("default")))
#else
#define BASSAPI
#endif

#define BASSVERSION 0x00020002u

/* Error codes. */
#define BASS_OK 0
#define BASS_ERROR_MEM 1       /* out of memory */
#define BASS_ERROR_FILEOPEN 2  /* the file could not be opened or read */
#define BASS_ERROR_FORMAT 3    /* not audio in a format the library reads */
#define BASS_ERROR_HANDLE 4    /* not a handle, or one already freed */
#define BASS_ERROR_ENDED 5     /* no more data */
#define BASS_ERROR_DEVICE 6    /* no sound server or device answers */
#define BASS_ERROR_NOTAVAIL 7  /* not available on this kind of channel */
#define BASS_ERROR_INIT 8      /* BASS_Init has not been called */
#define BASS_ERROR_ILLPARAM 9  /* a parameter is not valid */
#define BASS_ERROR_NETWORK 10  /* the address could not be fetched */
#define BASS_ERROR_POSITION 11 /* the position is not valid */
#define BASS_ERROR_PROTOCOL 12 /* not an http, https or ftp address */
#define BASS_ERROR_ALREADY 14  /* BASS_Init was already called */
#define BASS_ERROR_NOAUDIO 15  /* the file holds no audio stream (a silent video) */
#define BASS_ERROR_PROTECTED 16 /* the audio is encrypted (DRM) and cannot be read */
#define BASS_ERROR_DAMAGED 17  /* the file is damaged: cut short or corrupt */
#define BASS_ERROR_UNKNOWN -1  /* some other failure */

/* Flags. The stream calls and BASS_RecordStart fail with BASS_ERROR_ILLPARAM
 * when given a flag they do not take. */
#define BASS_SAMPLE_8BITS 1         /* channel info, BASS_RecordStart: 8-bit unsigned samples */
#define BASS_STREAM_DECODE 0x200000 /* the three stream calls: decode only, no playback */
/* BASS_StreamCreateURL: the whole address is downloaded before the stream
 * opens, so that its length is exact from the start (the only way this
 * library reads an address). */
#define BASS_STREAM_FETCHALL 0x100000
/* BASS_MusicLoad: the music is rendered once when it is loaded, to count its
 * length exactly (music of up to 15 minutes); without it the length is an
 * estimate until the end is reached. */
#define BASS_MUSIC_MEASURE 0x20000
/* BASS_MusicLoad: volume changes are ramped, as trackers play them; without
 * it they step at once (and may click). */
#define BASS_MUSIC_RAMP 0x200
#define BASS_CONFIG_UPDATEPERIOD 1  /* BASS_SetConfig option: playback update period, ms */

/* BASS_CHANNELINFO ctype: the kind of source. */
#define BASS_CTYPE_MPEG 1    /* MPEG audio layer 1, 2 or 3 */
#define BASS_CTYPE_SNDFILE 2 /* WAV, AIFF, FLAC, Ogg Vorbis and the rest libsndfile reads */
#define BASS_CTYPE_MUSIC 3   /* tracker music */
#define BASS_CTYPE_MEDIA 4   /* AAC, ALAC, WMA, the sound of videos and the rest FFmpeg reads */

/* BASS_ChannelIsActive results. */
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1

typedef struct {
    DWORD freq;    /* sample rate, Hz */
    DWORD chans;   /* channel count */
    DWORD flags;   /* BASS_SAMPLE_8BITS */
    DWORD ctype;   /* BASS_CTYPE_*; 0 for a recording */
    DWORD origres; /* bits per sample of the source, 0 when not known */
} BASS_CHANNELINFO;

BASSAPI DWORD BASS_GetVersion(void);
BASSAPI BOOL BASS_SetConfig(DWORD option, DWORD value);
/* device 0: no sound output (decoding only: every stream decodes, none plays);
 * -1: the sound server's default output (BASS_ERROR_DEVICE when no server
 * answers within a few seconds). */
BASSAPI BOOL BASS_Init(int device, DWORD freq, DWORD flags, void *window, void *clsid);
/* Releases every stream, the output, and the recording side as
 * BASS_RecordFree does. */
BASSAPI BOOL BASS_Free(void);
BASSAPI int BASS_ErrorGetCode(void);
/* Words for an error code. */
BASSAPI const char *BASS_ErrorText(int code);

/* From a path (mem 0, file is a zero-terminated 8-bit path) or from a memory
 * image of a file (mem 1, length bytes at file + offset; copied, so the
 * caller's memory may go at once). Without BASS_STREAM_DECODE, and with an
 * output (BASS_Init -1), the stream plays rather than decodes. */
BASSAPI DWORD BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags);
/* http, https or ftp addresses. */
BASSAPI DWORD BASS_StreamCreateURL(const char *url, DWORD offset, DWORD flags, void *proc, void *user);
/* Tracker music (MOD, S3M, XM, IT, ...), rendered at 44100 Hz stereo. */
BASSAPI DWORD BASS_MusicLoad(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags, DWORD freq);
BASSAPI BOOL BASS_StreamFree(DWORD handle);

BASSAPI BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO *info);
BASSAPI BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD *freq, DWORD *volume, int *pan);
/* Decoded bytes delivered, or 0xFFFFFFFF on error or at the end. */
BASSAPI DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length);
/* Decoding: BASS_ACTIVE_PLAYING while data remains. Playing: while it plays.
 * Recording: while it records. */
BASSAPI DWORD BASS_ChannelIsActive(DWORD handle);
/* Decoding: bytes delivered. Playing: bytes heard so far (the output's
 * latency taken into account). Recording: bytes handed to the procedure. */
BASSAPI QWORD BASS_ChannelGetPosition(DWORD handle);
BASSAPI QWORD BASS_ChannelGetLength(DWORD handle);
BASSAPI BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position);
/* Plays a stream through the output; BASS_ERROR_NOTAVAIL for decode-only
 * streams. restart 1: from the start; 0: a stopped stream goes on where it
 * stopped, a finished one starts again, a playing one plays on. */
BASSAPI BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
/* A playing stream stops where it is heard. A recording ends: no call of
 * its procedure after this returns (it waits for a running call to return,
 * so the caller must not hold a lock that the procedure takes). */
BASSAPI BOOL BASS_ChannelStop(DWORD handle);

/* Recording. Inputs are the sound server's sources: hardware sources first,
 * in the server's order, then the monitors of the sinks. */
typedef BOOL RECORDPROC(DWORD handle, const void *buffer, DWORD length, void *user);

/* BASS_RecordGetInput: bits 0-15 the volume in percent, BASS_INPUT_OFF when
 * the input is not the one recorded, the top byte its type.
 * BASS_RecordSetInput: BASS_INPUT_ON makes it the recorded input,
 * BASS_INPUT_OFF stops it being that, BASS_INPUT_LEVEL | percent sets its volume. */
#define BASS_INPUT_OFF 0x10000
#define BASS_INPUT_ON 0x20000
#define BASS_INPUT_LEVEL 0x40000
#define BASS_INPUT_TYPE_MASK 0xff000000u
#define BASS_INPUT_TYPE_UNDEF 0x00000000u
#define BASS_INPUT_TYPE_DIGITAL 0x01000000u /* S/PDIF or HDMI */
#define BASS_INPUT_TYPE_LINE 0x02000000u
#define BASS_INPUT_TYPE_MIC 0x03000000u    /* microphone or headset */
#define BASS_INPUT_TYPE_WAVE 0x08000000u   /* a sink's monitor */
#define BASS_INPUT_TYPE_ANALOG 0x0a000000u /* other analog input */

/* device -1 (or 0): the sound server's default source is the one on, unless
 * BASS_RecordSetInput chose another earlier in the process.
 * BASS_ERROR_DEVICE when no server answers within a few seconds. Needs no
 * BASS_Init. */
BASSAPI BOOL BASS_RecordInit(int device);
/* Ends any recording: no RECORDPROC call after it returns (it waits for a
 * running call, as BASS_ChannelStop does). */
BASSAPI BOOL BASS_RecordFree(void);
/* The source's description; null past the last input. Valid until the next
 * enumeration or BASS_RecordFree. Input 0 starts a new enumeration: the
 * inputs are read from the server again. */
BASSAPI const char *BASS_RecordGetInputName(int input);
/* 0xFFFFFFFF when there is no such input. The volume is read from the
 * server at each call. */
BASSAPI DWORD BASS_RecordGetInput(int input);
/* One input at most is on: switching one on switches the other off, and
 * moves a running recording to it. Which one is on (or that none is) lasts
 * for the rest of the process, across BASS_RecordFree and BASS_RecordInit,
 * while the server has that source. The level is the source's volume on the
 * server (above 100: 100). */
BASSAPI BOOL BASS_RecordSetInput(int input, DWORD setting);
/* 16-bit signed interleaved samples from the input that is on, handed to proc
 * on the library's own thread in blocks of about 10-50 ms; the recording
 * stops when proc returns 0. BASS_ChannelGetPosition of the recording counts
 * the bytes delivered; BASS_ChannelStop ends it.
 * With no input on, the server's default source. flags BASS_SAMPLE_8BITS:
 * 8-bit unsigned samples. One recording at a time (BASS_ERROR_ALREADY). The
 * procedure may call the library, BASS_ChannelStop of its own recording
 * included. The handle answers BASS_ChannelIsActive, GetPosition, GetInfo
 * and Stop until the next recording starts or BASS_RecordFree. */
BASSAPI DWORD BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC *proc, void *user);

#ifdef __cplusplus
}
#endif
#endif
