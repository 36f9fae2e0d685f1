#include "editorfixture.h"

#include <QPushButton>

EditorTest::EditorTest() : form(std::make_unique<Frmmain>(env.paths()))
{
    form->endProgram = [] {};
    form->show();
}

EditorTest::~EditorTest() { form.reset(); }

QStringList EditorTest::entries() const
{
    QStringList out;
    for (int i = 0; i < panel().List1->count(); ++i)
        out << panel().List1->item(i)->text();
    return out;
}

QString EditorTest::makeSong(const QString &name, double seconds, const QString &format, int frequency)
{
    const QString path = env.paths().homeDir + QLatin1Char('/') + name;
    const int rc = runShell(QStringLiteral("sox -n %1 '%2' synth %3 sine %4 vol 0.5")
                                .arg(format, path, QString::number(seconds), QString::number(frequency)));
    EXPECT_EQ(rc, 0) << "sox could not make " << name.toStdString();
    return path;
}

void EditorTest::importThroughDialog(const QString &songPath)
{
    dialogs.files.push_back(songPath);
    click("CmdAdd");
    EXPECT_TRUE(waitFor([&] { return !form->clipEditor()->list().importing(); }, 60000)) << "the import did not end";
}

void EditorTest::click(const char *name)
{
    auto *b = form->findChild<QPushButton *>(QString::fromLatin1(name));
    ASSERT_NE(b, nullptr) << name;
    ASSERT_TRUE(b->isEnabled()) << name << " is disabled: the user could not press it";
    b->click();
}
