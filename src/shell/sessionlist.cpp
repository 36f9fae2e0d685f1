#include "shell/sessionlist.h"

#include <QAbstractItemModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTimer>

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

SessionListWriter::SessionListWriter(QString file, std::function<QStringList()> entries, QObject *parent)
    : QObject(parent), file_(std::move(file)), entries_(std::move(entries))
{
}

void SessionListWriter::changed()
{
    if (pending_ || stopped_)
        return;
    pending_ = true;
    QTimer::singleShot(0, this, [this] {
        pending_ = false;
        if (!stopped_)
            writeNow();
    });
}

bool SessionListWriter::writeNow()
{
    QSaveFile file(file_);
    return file.open(QIODevice::WriteOnly) && file.write(sessionListText(entries_())) >= 0 && file.commit();
}

void SessionListWriter::stop() { stopped_ = true; }

void watchRows(QAbstractItemModel &model, QObject *context, const std::function<void()> &changed)
{
    const auto call = [changed] { changed(); };
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, context, call);
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, context, call);
    QObject::connect(&model, &QAbstractItemModel::rowsMoved, context, call);
    QObject::connect(&model, &QAbstractItemModel::dataChanged, context, call);
    QObject::connect(&model, &QAbstractItemModel::modelReset, context, call);
    QObject::connect(&model, &QAbstractItemModel::layoutChanged, context, call);
}
