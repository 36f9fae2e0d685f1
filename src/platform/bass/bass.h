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
#define BASS_ERROR_UNKNOWN -1  /* some other failure */

/* Flags. */
#define BASS_SAMPLE_8BITS 1         /* channel info: 8-bit unsigned samples */
#define BASS_STREAM_DECODE 0x200000 /* decode only, no playback */
#define BASS_CONFIG_UPDATEPERIOD 1  /* BASS_SetConfig option: playback update period, ms */

/* BASS_ChannelIsActive results. */
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1

typedef struct {
    DWORD freq;    /* sample rate, Hz */
    DWORD chans;   /* channel count */
    DWORD flags;   /* BASS_SAMPLE_8BITS */
    DWORD ctype;   /* kind of source: 1 MPEG, 2 sndfile, 3 tracker music */
    DWORD origres; /* bits per sample of the source, 0 when not known */
} BASS_CHANNELINFO;

BASSAPI DWORD BASS_GetVersion(void);
BASSAPI BOOL BASS_SetConfig(DWORD option, DWORD value);
/* device 0: no sound output (decoding only); -1: the sound server's default output. */
BASSAPI BOOL BASS_Init(int device, DWORD freq, DWORD flags, void *window, void *clsid);
BASSAPI BOOL BASS_Free(void);
BASSAPI int BASS_ErrorGetCode(void);
/* Words for an error code. */
BASSAPI const char *BASS_ErrorText(int code);

/* From a path (mem 0, file is a zero-terminated 8-bit path) or from a memory
 * image of a file (mem 1, length bytes at file + offset). */
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
BASSAPI DWORD BASS_ChannelIsActive(DWORD handle);
BASSAPI QWORD BASS_ChannelGetPosition(DWORD handle);
BASSAPI QWORD BASS_ChannelGetLength(DWORD handle);
BASSAPI BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position);
BASSAPI BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
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

/* device -1: the sound server's default source is the one recorded. */
BASSAPI BOOL BASS_RecordInit(int device);
/* Ends any recording: no RECORDPROC call after it returns. */
BASSAPI BOOL BASS_RecordFree(void);
/* The source's description; null past the last input. Valid until the next
 * enumeration or BASS_RecordFree. */
BASSAPI const char *BASS_RecordGetInputName(int input);
/* 0xFFFFFFFF when there is no such input. */
BASSAPI DWORD BASS_RecordGetInput(int input);
BASSAPI BOOL BASS_RecordSetInput(int input, DWORD setting);
/* 16-bit signed interleaved samples from the input that is on, handed to proc
 * on the library's own thread in blocks of about 10-50 ms; the recording
 * stops when proc returns 0. BASS_ChannelGetPosition of the recording counts
 * the bytes delivered; BASS_ChannelStop ends it. */
BASSAPI DWORD BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC *proc, void *user);

#ifdef __cplusplus
}
#endif
#endif
