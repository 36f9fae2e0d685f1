#pragma once
// The real main window over a private tree, driven through its buttons and
// scripted dialogs, for tests that make the program's operations fail.
#include "faultguards.h"
#include "scripteddialogs.h"
#include "shell/frmmain.h"
#include "testenv.h"

#include <QMap>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

class QLineEdit;
class QPushButton;

class FaultTest : public ::testing::Test {
protected:
    FaultTest();
    ~FaultTest() override;

    // A tone made with sox (and lame for .mp3) in the home folder.
    QString song(const QString &name, double seconds);
    // A file of the user's (in the home folder or under it) with content.
    QString userFile(const QString &name, const QByteArray &content);

    // The operations, as the user starts them. Each returns when the
    // program has said how it went (the text of its message).
    QString importSong(const QString &path);
    QString cutClip(int row, int markIn, int markOut);
    QString saveListAsWav(const QString &target);
    QString saveListAsMp3(const QString &target);
    QString convertToWav(const QString &mp3, const QString &target);
    QString convertToMp3(const QString &wav, const QString &target);

    QStringList entries() const;
    // The message reports a failure: not a success text, and a warning.
    void expectFailureReported(const QString &message, const QString &aboutWhat) const;
    // The folder holds exactly what it held: no file changed, none added
    // (no temporary file left), none removed.
    void expectUnchanged(const QString &folder, const QMap<QString, QByteArray> &before) const;
    // The clip list still works once the fault is gone: it joins into a
    // WAV file that sox reads.
    void expectListStillSaves();

    TestEnv env;
    ScriptedDialogs dialogs;
    std::unique_ptr<Frmmain> form;

private:
    QString lastMessageAfter(qsizetype shown, bool waitForIt);
    // Fills the converter's two boxes and starts it with the button.
    QString convert(QLineEdit *sourceBox, QLineEdit *targetBox, QPushButton *button, const QString &source,
                    const QString &target);
};
