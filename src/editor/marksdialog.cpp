#include "editor/marksdialog.h"

#include "base/timetext.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A typed mark within the clip: past the end means the end.
Result<int> readMark(const QString &label, const QString &text, int lengthMs)
{
    const Result<qint64> ms = parseTimeText(text);
    if (!ms)
        return Result<int>::failure(label + QStringLiteral(": ") + ms.error());
    return int(std::min<qint64>(ms.value(), lengthMs));
}

QLineEdit *timeEdit(QWidget *parent, const QString &name, int ms)
{
    auto *edit = new QLineEdit(formatTimeText(ms), parent);
    edit->setObjectName(name);
    edit->setToolTip(QStringLiteral("m:ss.mmm, h:mm:ss.mmm or seconds, such as 0:05.250 or 5.25"));
    return edit;
}

} // namespace

Result<MarkPair> readTypedMarks(const QString &markIn, const QString &markOut, int lengthMs)
{
    const Result<int> in = readMark(QStringLiteral("Mark In"), markIn, lengthMs);
    if (!in)
        return in.failure();
    const Result<int> out = readMark(QStringLiteral("Mark Out"), markOut, lengthMs);
    if (!out)
        return out.failure();
    if (in.value() >= lengthMs)
        return Result<MarkPair>::failure(
            QStringLiteral("Mark In lies at or past the end of the clip (%1).").arg(formatTimeText(lengthMs)));
    if (in.value() >= out.value())
        return Result<MarkPair>::failure(QStringLiteral("Mark In must come before Mark Out."));
    return MarkPair{in.value(), out.value()};
}

MarksDialog::MarksDialog(QWidget *parent, int markIn, int markOut, int lengthMs)
    : QDialog(parent), lengthMs_(lengthMs), in_(timeEdit(this, QStringLiteral("TxtMarkIn"), markIn)),
      out_(timeEdit(this, QStringLiteral("TxtMarkOut"), markOut)), length_(new QLabel(this)), problem_(new QLabel(this))
{
    setObjectName(QStringLiteral("MarksDialog"));
    setWindowTitle(QStringLiteral("Set Marks Exactly"));
    length_->setObjectName(QStringLiteral("LblMarksLength"));
    problem_->setObjectName(QStringLiteral("LblMarksProblem"));
    problem_->setWordWrap(true);

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Mark In:"), in_);
    fields->addRow(QStringLiteral("Mark Out:"), out_);
    fields->addRow(QStringLiteral("Length:"), length_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setDefault(true);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(problem_);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        const Result<MarkPair> marks = readTypedMarks(in_->text(), out_->text(), lengthMs_);
        if (!marks)
            return;
        emit marksChosen(marks.value().first, marks.value().second);
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QLineEdit *edit : {in_, out_})
        connect(edit, &QLineEdit::textChanged, this, &MarksDialog::check);
    in_->selectAll();
    check();
}

void MarksDialog::check()
{
    const Result<MarkPair> marks = readTypedMarks(in_->text(), out_->text(), lengthMs_);
    ok_->setEnabled(marks.ok());
    problem_->setText(marks.error());
    problem_->setVisible(!marks.ok());
    length_->setText(marks ? formatTimeText(marks.value().second - marks.value().first) : QStringLiteral("-"));
}
