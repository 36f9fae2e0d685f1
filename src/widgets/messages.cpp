#include "widgets/messages.h"

#include "base/apptitle.h"
#include "platform/dialogs/dialogs.h"

void ReportError(QWidget *owner, const QString &message, int code)
{
    dialogs::MsgBox(owner, message + QStringLiteral("\r\n\r\nerror code: ") + QString::number(code),
                    dialogs::Buttons::Ok, QStringLiteral("Error"), dialogs::Icon::Warning);
}

void showFailure(QWidget *owner, const Failure &failure)
{
    if (failure.libraryCode) {
        ReportError(owner, failure.text, *failure.libraryCode);
        return;
    }
    const QString title = failure.caption.isEmpty() ? applicationTitle() : failure.caption;
    dialogs::MsgBox(owner, failure.text, dialogs::Buttons::Ok, title,
                    failure.fatal ? dialogs::Icon::Critical : dialogs::Icon::Warning);
}

void showDone(QWidget *owner, const QString &text)
{
    dialogs::MsgBox(owner, text, dialogs::Buttons::Ok, applicationTitle());
}
