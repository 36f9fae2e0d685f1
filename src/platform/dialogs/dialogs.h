#pragma once
#include <QObject>
#include <QString>
#include <optional>

class QWidget;

// Message boxes, input boxes and file dialogs. Every one the program shows
// goes through the current Presenter: the product's shows Qt's own dialogs,
// a test installs one that answers from a script.
namespace dialogs {

enum class Icon { None, Information, Warning, Critical, Question };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct MessageRequest {
    QString text;
    QString title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

struct FileRequest {
    bool save = false;
    QString title;
    QString filter; // "desc|pattern|desc|pattern", patterns split by ';'
    QString initDir;
    QString fileName;
    QString defaultExt;
    int filterIndex = 1; // the filter shown first, counted from 1
};

struct FileAnswer {
    QString path;
    int filterIndex = 1; // the filter the user left chosen, counted from 1
};

class Presenter {
public:
    virtual ~Presenter() = default;
    virtual Answer message(QWidget *owner, const MessageRequest &request) = 0;
    // The chosen path and filter, or nothing when cancelled.
    virtual std::optional<FileAnswer> file(QWidget *owner, const FileRequest &request) = 0;
    virtual std::optional<QString> input(QWidget *owner, const QString &prompt, const QString &title) = 0;
};

Presenter &presenter();
// Installs another presenter (not owned); null restores Qt's dialogs.
void setPresenter(Presenter *presenter);

Answer MsgBox(QWidget *owner, const QString &text, Buttons buttons = Buttons::Ok,
              const QString &title = QString(), Icon icon = Icon::None);
std::optional<QString> InputBox(QWidget *owner, const QString &prompt, const QString &title);

// The filter in the dialog's own form ("desc (p1 p2);;desc (p3)").
QString qtFilter(const QString &filter);

} // namespace dialogs

// A common file dialog: properties set before it is shown, FileName read
// after. The open dialog takes only a file that exists; the save dialog any
// name (the caller asks before replacing). Cancel leaves FileName empty and
// makes Show* return false, which every caller takes as the end of its work.
class CommonDialog : public QObject {
    Q_OBJECT
public:
    explicit CommonDialog(QWidget *owner, const QString &name);

    QString Filter, FileName, DialogTitle, InitDir, DefaultExt;
    // The filter shown first and, after Show*, the one the user left chosen
    // (counted from 1).
    int FilterIndex = 1;

    bool ShowOpen();
    bool ShowSave();

private:
    bool show(bool save);
    QWidget *owner_;
};
