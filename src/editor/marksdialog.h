#pragma once
#include "base/result.h"

#include <QDialog>
#include <utility>

class QLabel;
class QLineEdit;
class QPushButton;

// Both marks of a stretch in whole milliseconds: Mark In and Mark Out.
using MarkPair = std::pair<int, int>;

// The marks typed as times ("0:05.250", "5.25", "1:02:03.5", "5,25") for a
// clip of `lengthMs`: a mark past the end means the end; Mark In must lie
// before Mark Out. The failure says which field is wrong and why.
Result<MarkPair> readTypedMarks(const QString &markIn, const QString &markOut, int lengthMs);

// "Set Marks Exactly": both marks typed to the millisecond. The length
// between them shows as one types; while the text is no pair of marks, OK
// stays disabled and the dialog says why. OK (the default button) emits
// marksChosen; Cancel changes nothing.
class MarksDialog : public QDialog {
    Q_OBJECT
public:
    MarksDialog(QWidget *parent, int markIn, int markOut, int lengthMs);

signals:
    void marksChosen(int markIn, int markOut);

private:
    void check();

    int lengthMs_;
    QLineEdit *in_, *out_;
    QLabel *length_, *problem_;
    QPushButton *ok_;
};
