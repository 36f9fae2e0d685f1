#include "core/cliplist.h"
#include "core/workspace.h"
#include "editor/clipeditor.h"
#include "editor/clipeditorpanel.h"
#include "export/ringtoneexport.h"
#include "scripteddialogs.h"
#include "shell/frmmain.h"
#include "testenv.h"

#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

// One fact of a saved file as ffprobe reports it ("stream=codec_name",
// "format_tags=artist", "format=duration").
QString probe(const QString &path, const QString &entry)
{
    QString out;
    runShell(QStringLiteral("ffprobe -v error -show_entries %1 -of default=nw=1:nk=1 '%2'").arg(entry, path), &out);
    return out.trimmed();
}

// The first stream's tag, which Ogg and FLAC keep per stream.
QString tag(const QString &path, const char *name)
{
    const QString format = probe(path, QStringLiteral("format_tags=%1").arg(QLatin1String(name)));
    return format.isEmpty() ? probe(path, QStringLiteral("stream_tags=%1").arg(QLatin1String(name))).section('\n', 0, 0)
                            : format;
}

} // namespace

class RingtoneTest : public ::testing::Test {
protected:
    RingtoneTest() : form(std::make_unique<Frmmain>(env.paths()))
    {
        form->endProgram = [] {};
        form->show();
        QDir().mkpath(env.paths().workDir);
    }
    QString home(const QString &name) const { return env.paths().homeDir + QLatin1Char('/') + name; }
    void addClip(const QString &name, double seconds, const SongTags &tags = {})
    {
        runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth %2 sine 660 vol 0.5")
                     .arg(env.paths().clipFile(name))
                     .arg(seconds));
        form->workspace().clips().append(ClipEntry{name, {}, tags});
    }
    // Saves as a ringtone under `name` with the filter `filter` (1: M4R ...
    // 6: WAV) and waits for its message.
    void save(const QString &name, int filter)
    {
        dialogs.files.push_back(home(name));
        dialogs.filters.push_back(filter);
        bool saved = false;
        const auto connection = QObject::connect(form->ringtoneExport(), &RingtoneExport::saved, [&] { saved = true; });
        form->Framewav()->CmdSaveRingtone->click();
        const bool ended = saved || waitFor([&] { return saved; }, 30000);
        QObject::disconnect(connection);
        ASSERT_TRUE(ended);
        EXPECT_TRUE(form->isEnabled());
    }

    TestEnv env;
    ScriptedDialogs dialogs;
    std::unique_ptr<Frmmain> form;
};

TEST_F(RingtoneTest, TheNameOrElseTheFilterChoosesTheFormatAndTheFirstSongTagsIt)
{
    addClip(QStringLiteral("first"), 2, SongTags{QStringLiteral("ignored"), QStringLiteral("The Artist"),
                                                 QStringLiteral("The Album"), {}, {}});
    addClip(QStringLiteral("second"), 1);
    struct Case { const char *typed, *saved, *codec; int filter; };
    const Case cases[] = {
        {"tone", "tone.ogg", "vorbis", 2},
        {"Ring.M4R", "Ring.M4R", "aac", 3}, // the typed extension wins over Opus
        {"lossless", "lossless.flac", "flac", 4},
    };
    for (const Case &c : cases) {
        save(QString::fromLatin1(c.typed), c.filter);
        EXPECT_EQ(dialogs.texts().last(), QStringLiteral("Finish Save")) << c.typed;
        const QString out = home(QString::fromLatin1(c.saved));
        EXPECT_EQ(probe(out, QStringLiteral("stream=codec_name")).section('\n', 0, 0), QLatin1String(c.codec)) << c.saved;
        EXPECT_EQ(tag(out, "title"), QFileInfo(out).completeBaseName()) << c.saved;
        EXPECT_EQ(tag(out, "artist"), QStringLiteral("The Artist")) << c.saved;
        EXPECT_NEAR(probe(out, QStringLiteral("format=duration")).toDouble(), 3.0, 0.1) << c.saved;
    }
    EXPECT_FALSE(QFile::exists(env.paths().concatFile()));
    EXPECT_EQ(dialogs.fileRequests[0].filter,
              QStringLiteral("iPhone ringtone|*.m4r|Ogg Vorbis|*.ogg|Opus|*.opus|FLAC|*.flac|MP3|*.mp3|WAV|*.wav"));
}

TEST_F(RingtoneTest, AnM4rLongerThan40SecondsIsCutOnlyWhenTheUserSaysSo)
{
    addClip(QStringLiteral("a"), 22);
    addClip(QStringLiteral("b"), 22);
    dialogs.answers = {dialogs::Answer::Yes, dialogs::Answer::No};
    save(QStringLiteral("cut"), 1);
    save(QStringLiteral("whole"), 1);
    EXPECT_NEAR(probe(home(QStringLiteral("cut.m4r")), QStringLiteral("format=duration")).toDouble(), 40.0, 0.05);
    EXPECT_NEAR(probe(home(QStringLiteral("whole.m4r")), QStringLiteral("format=duration")).toDouble(), 44.0, 0.05);
    EXPECT_TRUE(dialogs.texts()[0].contains(QStringLiteral("40 s")));
}

TEST_F(RingtoneTest, AFolderThatCannotBeWrittenIsNamedAndNothingIsLeft)
{
    addClip(QStringLiteral("a"), 1);
    save(QStringLiteral("missing/folder/tone.opus"), 3);
    EXPECT_TRUE(dialogs.texts().last().contains(home(QStringLiteral("missing/folder/tone.opus"))))
        << dialogs.texts().last().toStdString();
    EXPECT_FALSE(QFile::exists(home(QStringLiteral("missing"))));
    EXPECT_FALSE(QFile::exists(env.paths().concatFile()));
}
