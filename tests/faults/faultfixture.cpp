#include "faultfixture.h"

#include "audio/audiostart.h"
#include "converter/converterpanel.h"
#include "editor/clipeditor.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliplist.h"
#include "editor/cliptrimmer.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

FaultTest::FaultTest() : form(std::make_unique<Frmmain>(env.paths()))
{
    form->endProgram = [] {};
    form->terminate = [] { ADD_FAILURE() << "the program was ended"; };
    form->show();
}

FaultTest::~FaultTest() { form.reset(); }

QString FaultTest::song(const QString &name, double seconds)
{
    const QString path = env.paths().homeDir + QLatin1Char('/') + name;
    const QString wav = path.endsWith(QLatin1String(".mp3")) ? path + QStringLiteral(".wav") : path;
    EXPECT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth %2 sine 440 vol 0.5").arg(wav).arg(seconds)), 0);
    if (wav != path) {
        EXPECT_EQ(runShell(QStringLiteral("lame --quiet -b 128 '%1' '%2' && rm '%1'").arg(wav, path)), 0);
    }
    return path;
}

QString FaultTest::userFile(const QString &name, const QByteArray &content)
{
    const QString path = env.homeFile(name, content);
    EXPECT_EQ(readFile(path), content) << qPrintable(path);
    return path;
}

QString FaultTest::lastMessageAfter(qsizetype shown, bool waitForIt)
{
    if (waitForIt)
        EXPECT_TRUE(waitFor([&] { return dialogs.messages.size() > shown; }, 60000)) << "no message came";
    return dialogs.messages.size() > shown ? dialogs.messages.last().text : QString();
}

QString FaultTest::importSong(const QString &path)
{
    const qsizetype shown = dialogs.messages.size();
    dialogs.files.push_back(path);
    form->Framewav()->CmdAdd->click();
    EXPECT_TRUE(waitFor([&] { return !form->clipEditor()->list().importing(); }, 60000)) << "the import did not end";
    return lastMessageAfter(shown, false);
}

QString FaultTest::cutClip(int row, int markIn, int markOut)
{
    const qsizetype shown = dialogs.messages.size();
    ClipTrimmer &trimmer = form->clipEditor()->trimmer();
    form->Framewav()->List1->setCurrentRow(row);
    trimmer.List1_DblClick();
    trimmer.setMarks(markIn, markOut);
    form->Framewav()->CmdEditDone->click();
    return lastMessageAfter(shown, false);
}

QString FaultTest::saveListAsWav(const QString &target)
{
    const qsizetype shown = dialogs.messages.size();
    dialogs.files.push_back(target);
    form->Framewav()->CmdSaveWav->click();
    return lastMessageAfter(shown, true);
}

QString FaultTest::saveListAsMp3(const QString &target)
{
    const qsizetype shown = dialogs.messages.size();
    dialogs.files.push_back(target);
    form->Framewav()->CmdSaveList->click();
    return lastMessageAfter(shown, true);
}

QString FaultTest::convertToWav(const QString &mp3, const QString &target)
{
    auto *panel = qobject_cast<ConverterPanel *>(form->FrameConvert());
    return convert(panel->txtopenmp3, panel->txtsavewav, panel->CmdconvertWav, mp3, target);
}

QString FaultTest::convertToMp3(const QString &wav, const QString &target)
{
    auto *panel = qobject_cast<ConverterPanel *>(form->FrameConvert());
    return convert(panel->txtopenwav, panel->txtsavemp3, panel->CmdConvertMP3, wav, target);
}

QString FaultTest::convert(QLineEdit *sourceBox, QLineEdit *targetBox, QPushButton *button, const QString &source,
                           const QString &target)
{
    const qsizetype shown = dialogs.messages.size();
    sourceBox->setText(source);
    targetBox->setText(target);
    button->click();
    return lastMessageAfter(shown, true);
}

QStringList FaultTest::entries() const
{
    QStringList out;
    for (int i = 0; i < form->Framewav()->List1->count(); ++i)
        out << form->Framewav()->List1->item(i)->text();
    return out;
}

void FaultTest::expectFailureReported(const QString &message, const QString &aboutWhat) const
{
    ASSERT_FALSE(message.isEmpty()) << "the failure was not reported";
    EXPECT_NE(message, QStringLiteral("Finish Save"));
    EXPECT_NE(message, QStringLiteral("Convert Finish"));
    EXPECT_TRUE(message.contains(aboutWhat)) << qPrintable(message) << " does not name " << qPrintable(aboutWhat);
    EXPECT_EQ(dialogs.messages.last().icon, dialogs::Icon::Warning) << qPrintable(message);
}

void FaultTest::expectUnchanged(const QString &folder, const QMap<QString, QByteArray> &before) const
{
    const QMap<QString, QByteArray> after = folderSnapshot(folder);
    EXPECT_EQ(after.keys(), before.keys()) << qPrintable(folder);
    for (auto it = before.begin(); it != before.end(); ++it)
        EXPECT_TRUE(after.value(it.key()) == it.value()) << qPrintable(it.key()) << " changed";
}

void FaultTest::expectListStillSaves()
{
    ASSERT_FALSE(entries().isEmpty());
    const QString target = env.paths().homeDir + QStringLiteral("/after the fault.wav");
    EXPECT_EQ(saveListAsWav(target), QStringLiteral("Finish Save"));
    QString out;
    EXPECT_EQ(runShell(QStringLiteral("soxi -s '%1'").arg(target), &out), 0);
    EXPECT_GT(out.trimmed().toLongLong(), 0);
    QFile::remove(target);
}
