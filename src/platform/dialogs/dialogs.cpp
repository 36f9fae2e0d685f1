#include "platform/dialogs/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

namespace dialogs {
namespace {

class QtPresenter : public Presenter {
public:
    Answer message(QWidget *owner, const MessageRequest &r) override
    {
        QMessageBox box(owner);
        box.setText(r.text);
        box.setWindowTitle(r.title.isEmpty() ? QApplication::applicationName() : r.title);
        switch (r.icon) {
        case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
        case Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
        case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
        }
        if (r.buttons == Buttons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return Answer::Ok;
    }

    std::optional<FileAnswer> file(QWidget *owner, const FileRequest &r) override
    {
        QFileDialog dialog(owner, r.title, r.initDir, qtFilter(r.filter));
        const QStringList filters = qtFilter(r.filter).split(QStringLiteral(";;"));
        if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
            dialog.selectNameFilter(filters[r.filterIndex - 1]);
        dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (!r.fileName.isEmpty())
            dialog.selectFile(r.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return FileAnswer{dialog.selectedFiles().first(), int(filters.indexOf(dialog.selectedNameFilter())) + 1};
    }

    std::optional<QString> input(QWidget *owner, const QString &prompt, const QString &title) override
    {
        bool ok = false;
        const QString text = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return text;
    }
};

QtPresenter qtPresenter;
Presenter *current = &qtPresenter;

} // namespace

Presenter &presenter() { return *current; }
void setPresenter(Presenter *p) { current = p ? p : &qtPresenter; }

Answer MsgBox(QWidget *owner, const QString &text, Buttons buttons, const QString &title, Icon icon)
{
    return current->message(owner, MessageRequest{text, title, buttons, icon});
}

std::optional<QString> InputBox(QWidget *owner, const QString &prompt, const QString &title)
{
    return current->input(owner, prompt, title);
}

QString qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out.join(QStringLiteral(";;"));
}

} // namespace dialogs

CommonDialog::CommonDialog(QWidget *owner, const QString &name) : QObject(owner), owner_(owner)
{
    setObjectName(name);
}

bool CommonDialog::ShowOpen() { return show(false); }
bool CommonDialog::ShowSave() { return show(true); }

bool CommonDialog::show(bool save)
{
    dialogs::FileRequest r;
    r.save = save;
    r.title = DialogTitle;
    r.filter = Filter;
    r.initDir = InitDir;
    r.fileName = FileName;
    r.defaultExt = DefaultExt;
    r.filterIndex = FilterIndex;
    std::optional<dialogs::FileAnswer> chosen = dialogs::presenter().file(owner_, r);
    if (!chosen || chosen->path.isEmpty()) {
        FileName.clear();
        return false;
    }
    FilterIndex = chosen->filterIndex;
    QString path = chosen->path;
    // A name typed without an extension gets the default one, when there is one.
    if (!DefaultExt.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + DefaultExt;
    FileName = path;
    return true;
}
