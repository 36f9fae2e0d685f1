#pragma once
#include <QIcon>
#include <QPixmap>

// The program's own pictures, drawn rather than loaded.
enum class Glyph {
    Song, Record, Convert, Setting, About, Exit,          // toolbar
    Add, Remove, Up, Down,                                // clip list
    Previous, Pause, Play, Stop, Next,                    // players
    Undo, Redo, Loudness, Chorus,                         // clip edits
    Busy, BusyLarge,                                      // busy window
    AppIcon
};

QPixmap drawGlyph(Glyph glyph, int size);
QIcon glyphIcon(Glyph glyph);
