#pragma once
#include "core/cliplist.h"
#include "core/trimsession.h"
#include "core/workspace.h"
#include "editor/clipeditor.h"
#include "editor/cliplist.h"
#include "editor/listplayer.h"
#include "editor/clipeditorpanel.h"
#include "scripteddialogs.h"
#include "shell/frmmain.h"
#include "testenv.h"

#include <QListWidget>
#include <gtest/gtest.h>
#include <memory>

// A shown main window over a private tree, with scripted dialogs.
class EditorTest : public ::testing::Test {
protected:
    EditorTest();
    ~EditorTest() override;

    ClipEditorPanel &panel() const { return *form->Framewav(); }
    ClipEditor &editor() const { return *form->clipEditor(); }
    QStringList entries() const;
    // A tone made with sox in the home folder; sox arguments describe the format.
    QString makeSong(const QString &name, double seconds, const QString &format = QStringLiteral("-r 44100 -c 2 -b 16"),
                     int frequency = 440);
    // Imports a song through Add New, as the user does.
    void importThroughDialog(const QString &songPath);
    void click(const char *name);

    TestEnv env;
    ScriptedDialogs dialogs;
    std::unique_ptr<Frmmain> form;
};
