#include "shell/sessionlist.h"

#include "base/atomicsave.h"
#include "core/cliplist.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QString kClips = QStringLiteral("clips");
}

QByteArray sessionListText(const QStringList &entries)
{
    return QJsonDocument(QJsonObject{{kClips, QJsonArray::fromStringList(entries)}}).toJson(QJsonDocument::Compact);
}

std::optional<QStringList> parseSessionList(const QByteArray &text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject() || !doc.object().value(kClips).isArray())
        return std::nullopt;
    QStringList entries;
    for (const QJsonValue &value : doc.object().value(kClips).toArray()) {
        if (!value.isString())
            return std::nullopt;
        entries << value.toString();
    }
    return entries;
}

SessionListWriter::SessionListWriter(QString file, const ClipEntries &clips, QObject *parent)
    : QObject(parent), file_(std::move(file)), clips_(clips)
{
    connect(&clips_, &ClipEntries::changed, this, [this] {
        if (!stopped_)
            write();
    });
    write();
}

bool SessionListWriter::write()
{
    return writeFileAtomically(file_, sessionListText(clips_.names())).ok();
}
