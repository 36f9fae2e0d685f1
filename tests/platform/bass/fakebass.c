/* A stand-in for libbass.so with every call doing nothing, for the loader's
 * tests: FAKE_VERSION sets the version it reports, FAKE_LACKS_CHANNELSTOP
 * leaves one call out. */
#include "bass.h"

#ifndef FAKE_VERSION
#define FAKE_VERSION BASSVERSION
#endif

DWORD BASS_GetVersion(void) { return FAKE_VERSION; }
BOOL BASS_SetConfig(DWORD option, DWORD value) { (void)option; (void)value; return 1; }
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void *window, void *clsid)
{ (void)device; (void)freq; (void)flags; (void)window; (void)clsid; return 1; }
BOOL BASS_Free(void) { return 1; }
int BASS_ErrorGetCode(void) { return 0; }
const char *BASS_ErrorText(int code) { (void)code; return "fake"; }
DWORD BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags)
{ (void)mem; (void)file; (void)offset; (void)length; (void)flags; return 0; }
DWORD BASS_StreamCreateURL(const char *url, DWORD offset, DWORD flags, void *proc, void *user)
{ (void)url; (void)offset; (void)flags; (void)proc; (void)user; return 0; }
DWORD BASS_MusicLoad(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags, DWORD freq)
{ (void)mem; (void)file; (void)offset; (void)length; (void)flags; (void)freq; return 0; }
BOOL BASS_StreamFree(DWORD handle) { (void)handle; return 0; }
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO *info) { (void)handle; (void)info; return 0; }
BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD *freq, DWORD *volume, int *pan)
{ (void)handle; (void)freq; (void)volume; (void)pan; return 0; }
DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length) { (void)handle; (void)buffer; (void)length; return 0xFFFFFFFFu; }
DWORD BASS_ChannelIsActive(DWORD handle) { (void)handle; return 0; }
QWORD BASS_ChannelGetPosition(DWORD handle) { (void)handle; return 0; }
QWORD BASS_ChannelGetLength(DWORD handle) { (void)handle; return 0; }
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position) { (void)handle; (void)position; return 0; }
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) { (void)handle; (void)restart; return 0; }
#ifndef FAKE_LACKS_CHANNELSTOP
BOOL BASS_ChannelStop(DWORD handle) { (void)handle; return 0; }
#endif
BOOL BASS_RecordInit(int device) { (void)device; return 0; }
BOOL BASS_RecordFree(void) { return 1; }
const char *BASS_RecordGetInputName(int input) { (void)input; return 0; }
DWORD BASS_RecordGetInput(int input) { (void)input; return 0xFFFFFFFFu; }
BOOL BASS_RecordSetInput(int input, DWORD setting) { (void)input; (void)setting; return 0; }
DWORD BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC *proc, void *user)
{ (void)freq; (void)chans; (void)flags; (void)proc; (void)user; return 0; }
