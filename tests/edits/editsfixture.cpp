#include "editsfixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {
double matched(const QString &text, const QString &pattern, bool *ok)
{
    const QRegularExpressionMatch m = QRegularExpression(pattern).match(text);
    *ok = *ok && m.hasMatch();
    return m.captured(1).toDouble();
}
} // namespace

FfmpegLoudness ffmpegLoudness(const QString &path)
{
    QString out;
    FfmpegLoudness r;
    const QString command = QStringLiteral("ffmpeg -nostats -hide_banner -i '%1' -af ebur128=peak=true -f null - 2>&1");
    r.ok = runShell(command.arg(path), &out) == 0;
    // The summary at the end: "I:  -14.0 LUFS" and "Peak:  -1.2 dBFS".
    const QString summary = out.mid(out.lastIndexOf(QStringLiteral("Summary:")));
    r.integratedLufs = matched(summary, QStringLiteral(R"(I:\s+(-?[0-9.]+) LUFS)"), &r.ok);
    r.truePeakDbtp = matched(summary, QStringLiteral(R"(Peak:\s+(-?[0-9.]+) dBFS)"), &r.ok);
    return r;
}

std::vector<float> soxSamples(const QString &path)
{
    const QString raw = path + QStringLiteral(".f32");
    EXPECT_EQ(runShell(QStringLiteral("sox -D '%1' -t raw -e floating-point -b 32 -L '%2'").arg(path, raw)), 0);
    QFile f(raw);
    std::vector<float> samples;
    if (f.open(QIODevice::ReadOnly)) {
        samples.resize(size_t(f.size()) / sizeof(float));
        f.read(reinterpret_cast<char *>(samples.data()), qint64(samples.size() * sizeof(float)));
    }
    QFile::remove(raw);
    return samples;
}

EditsTest::EditsTest()
{
    QDir().mkpath(env.paths().workDir);
}

QString EditsTest::makeClip(const QString &name, const QString &format, const QString &synth) const
{
    const QString path = env.paths().workFile(name);
    EXPECT_EQ(runShell(QStringLiteral("sox -R -D -n %1 '%2' %3").arg(format, path, synth)), 0) << name.toStdString();
    return path;
}
