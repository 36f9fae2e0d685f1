#pragma once
#include "core/cliplist.h"
#include "featureharness.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A canonical 44-byte-header WAV written by hand, independent of the
// program's own header code.
QByteArray wavBytes(int channels, int rate, int bits, const QByteArray &audio);
// `size` bytes of audio, distinct for each seed.
QByteArray audioPattern(int size, int seed);
qint32 le32(const QByteArray &bytes, int offset);
void putLe32(QByteArray &bytes, int offset, qint32 value);

// The list exports over a private tree, their dialogs answered by a script.
struct ExportFixture : FeatureHarness {
    // A clip file in the working folder and its entry at the end of the list.
    QString addClip(const QString &name, const QByteArray &content);
    // Only the entry (the clip file is left as it is, or missing).
    void addEntry(const QString &name, const SongTags &tags = {});
    // "Save The List to Wav" answering the file dialog with `path`
    // (nothing: cancel); returns when the save has ended.
    void saveAs(const std::optional<QString> &path);
    // A `seconds` long stereo sine clip made by sox, and its entry.
    void addSine(const QString &name, double seconds, const QString &synth = QStringLiteral("sine 1000"),
                 const SongTags &tags = {});
    QString home(const QString &name) const;
    // The texts of the message boxes shown so far.
    QStringList messages() const { return dialogs.texts(); }
};

// soxi's answer for one flag ("-r", "-c", "-b", "-D", "-s"), trimmed.
QString soxi(const QString &flag, const QString &path);
// Makes a WAV with sox from its arguments (e.g. "-r 48000 -c 1 -b 16");
// `synth` is what follows "synth" ("1 sine 440").
bool soxMake(const QString &path, const QString &format, const QString &synth);
// The rough frequency sox measures on `length` seconds from `start`.
double soxFrequency(const QString &path, double start, double length);
