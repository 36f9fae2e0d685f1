#pragma once

class Frmmain;

// Shows in the busy window how far a song's decoding or an MP3 encoding
// has come, while the busy window is up.
void showWorkProgress(Frmmain &form);
