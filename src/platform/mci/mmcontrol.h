#pragma once
#include <QObject>
#include <QString>

// The multimedia control: plays one WAV file, driven by command words.
// Lengths and positions are milliseconds.
class MMControl : public QObject {
    Q_OBJECT
public:
    explicit MMControl(const QString &name, QObject *parent = nullptr);
    ~MMControl() override;

    void setFileName(const QString &path) { fileName_ = path; }
    QString FileName() const { return fileName_; }
    void setFrom(int ms) { from_ = ms; }
    int From() const { return from_; }
    int Length() const { return length_; }
    int Position() const { return 0; }

    // "open", "play", "stop", "close" in any letter case; other words do nothing.
    void setCommand(const QString &word);
    QString Command() const { return command_; }
    bool isOpen() const { return open_; }

signals:
    void StatusUpdate();
    void Done();

private:
    QString fileName_, command_;
    int from_ = 0;
    int length_ = 0;
    bool open_ = false;
};
