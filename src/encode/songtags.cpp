#include "encode/songtags.h"

#include "encode/tagsave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

#include <taglib/aifffile.h>
#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace {

using TagLib::ByteVector;
namespace ID3v2 = TagLib::ID3v2;

TagLib::String toTag(const QString &s) { return TagLib::String(s.toStdString(), TagLib::String::UTF8); }
QString fromTag(const TagLib::String &s) { return QString::fromStdString(s.to8Bit(true)); }
ByteVector toBytes(const QByteArray &b) { return ByteVector(b.constData(), unsigned(b.size())); }
QByteArray fromBytes(const ByteVector &b) { return QByteArray(b.data(), int(b.size())); }
QByteArray fileName(const QString &path) { return QFile::encodeName(path); }

QString mimeOf(const SongTags &tags)
{
    if (!tags.coverMime.isEmpty())
        return tags.coverMime;
    if (tags.coverArt.startsWith("\x89PNG"))
        return QStringLiteral("image/png");
    return QStringLiteral("image/jpeg");
}

// Fills in the fields still empty from another tag.
void takeText(SongTags &out, const TagLib::Tag *tag)
{
    if (!tag)
        return;
    if (out.title.isEmpty())
        out.title = fromTag(tag->title()).trimmed();
    if (out.artist.isEmpty())
        out.artist = fromTag(tag->artist()).trimmed();
    if (out.album.isEmpty())
        out.album = fromTag(tag->album()).trimmed();
}

// The front cover of an ID3v2 tag, else its first picture.
void takeCover(SongTags &out, ID3v2::Tag *tag)
{
    if (!tag)
        return;
    const ID3v2::FrameList frames = tag->frameListMap()["APIC"];
    const ID3v2::AttachedPictureFrame *chosen = nullptr;
    for (ID3v2::Frame *frame : frames) {
        auto *picture = dynamic_cast<ID3v2::AttachedPictureFrame *>(frame);
        if (!picture || picture->picture().isEmpty())
            continue;
        if (!chosen || (picture->type() == ID3v2::AttachedPictureFrame::FrontCover
                        && chosen->type() != ID3v2::AttachedPictureFrame::FrontCover))
            chosen = picture;
    }
    if (chosen) {
        out.coverArt = fromBytes(chosen->picture());
        out.coverMime = fromTag(chosen->mimeType());
    }
}

// The front cover, else the first picture, of a FLAC or Xiph picture list.
void takePictures(SongTags &out, const TagLib::List<TagLib::FLAC::Picture *> &pictures)
{
    const TagLib::FLAC::Picture *chosen = nullptr;
    for (const TagLib::FLAC::Picture *picture : pictures) {
        if (picture->data().isEmpty())
            continue;
        if (!chosen || (picture->type() == TagLib::FLAC::Picture::FrontCover
                        && chosen->type() != TagLib::FLAC::Picture::FrontCover))
            chosen = picture;
    }
    if (chosen) {
        out.coverArt = fromBytes(chosen->data());
        out.coverMime = fromTag(chosen->mimeType());
    }
}

void takeMp4Cover(SongTags &out, TagLib::MP4::Tag *tag)
{
    if (!tag || !tag->contains("covr"))
        return;
    const TagLib::MP4::CoverArtList covers = tag->item("covr").toCoverArtList();
    for (const TagLib::MP4::CoverArt &cover : covers) {
        if (cover.data().isEmpty())
            continue;
        out.coverArt = fromBytes(cover.data());
        out.coverMime = cover.format() == TagLib::MP4::CoverArt::PNG ? QStringLiteral("image/png")
                                                                     : QStringLiteral("image/jpeg");
        return;
    }
}

void takeAsfCover(SongTags &out, TagLib::ASF::Tag *tag)
{
    if (!tag || !tag->contains("WM/Picture"))
        return;
    const TagLib::ASF::Picture *chosen = nullptr;
    TagLib::ASF::AttributeList attributes = tag->attribute("WM/Picture");
    std::vector<TagLib::ASF::Picture> pictures;
    for (const TagLib::ASF::Attribute &a : attributes)
        pictures.push_back(a.toPicture());
    for (const TagLib::ASF::Picture &picture : pictures) {
        if (!picture.isValid() || picture.picture().isEmpty())
            continue;
        if (!chosen || (picture.type() == TagLib::ASF::Picture::FrontCover
                        && chosen->type() != TagLib::ASF::Picture::FrontCover))
            chosen = &picture;
    }
    if (chosen) {
        out.coverArt = fromBytes(chosen->picture());
        out.coverMime = fromTag(chosen->mimeType());
    }
}

// The cover of any file TagLib reads, from the tag its format keeps it in.
void takeCoverOf(SongTags &out, TagLib::File *file)
{
    if (auto *mp3 = dynamic_cast<TagLib::MPEG::File *>(file))
        takeCover(out, mp3->ID3v2Tag());
    else if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file))
        takeMp4Cover(out, mp4->tag());
    else if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(file))
        takePictures(out, flac->pictureList());
    else if (auto *asf = dynamic_cast<TagLib::ASF::File *>(file))
        takeAsfCover(out, asf->tag());
    else if (auto *aiff = dynamic_cast<TagLib::RIFF::AIFF::File *>(file))
        takeCover(out, aiff->tag());
    else if (auto *xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(file->tag()))
        takePictures(out, xiph->pictureList());
}

bool isRiff(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(4) == "RIFF";
}

void setText(TagLib::Tag *tag, const SongTags &tags)
{
    tag->setTitle(toTag(tags.title));
    tag->setArtist(toTag(tags.artist));
    tag->setAlbum(toTag(tags.album));
}

void setId3v2(ID3v2::Tag *tag, const SongTags &tags)
{
    setText(tag, tags);
    tag->removeFrames("APIC");
    if (tags.coverArt.isEmpty())
        return;
    auto *frame = new ID3v2::AttachedPictureFrame;
    frame->setType(ID3v2::AttachedPictureFrame::FrontCover);
    frame->setMimeType(toTag(mimeOf(tags)));
    frame->setPicture(toBytes(tags.coverArt));
    tag->addFrame(frame);
}

TagLib::FLAC::Picture *flacPicture(const SongTags &tags)
{
    auto *picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType(toTag(mimeOf(tags)));
    picture->setData(toBytes(tags.coverArt));
    return picture;
}

enum class TagSave { Saved, NotReadable, NotSaved };
TagSave saved(bool ok) { return ok ? TagSave::Saved : TagSave::NotSaved; }

// Ogg Vorbis and Opus: Vorbis comments, the cover as METADATA_BLOCK_PICTURE.
template <class OggFile>
TagSave saveXiph(const QString &path, const SongTags &tags)
{
    OggFile file(fileName(path).constData(), false);
    if (!file.isValid())
        return TagSave::NotReadable;
    TagLib::Ogg::XiphComment *comment = file.tag();
    setText(comment, tags);
    comment->removeAllPictures();
    if (!tags.coverArt.isEmpty())
        comment->addPicture(flacPicture(tags));
    return saved(file.save());
}

TagSave saveFlac(const QString &path, const SongTags &tags)
{
    TagLib::FLAC::File file(fileName(path).constData(), false);
    if (!file.isValid())
        return TagSave::NotReadable;
    setText(file.xiphComment(true), tags);
    file.removePictures();
    if (!tags.coverArt.isEmpty())
        file.addPicture(flacPicture(tags));
    return saved(file.save());
}

TagSave saveMp4(const QString &path, const SongTags &tags)
{
    TagLib::MP4::File file(fileName(path).constData(), false);
    if (!file.isValid())
        return TagSave::NotReadable;
    TagLib::MP4::Tag *tag = file.tag();
    setText(tag, tags);
    tag->removeItem("covr");
    if (!tags.coverArt.isEmpty()) {
        const auto kind = mimeOf(tags) == QLatin1String("image/png") ? TagLib::MP4::CoverArt::PNG
                                                                      : TagLib::MP4::CoverArt::JPEG;
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(kind, toBytes(tags.coverArt)));
        tag->setItem("covr", covers);
    }
    return saved(file.save());
}

TagSave saveMp3(const QString &path, const SongTags &tags)
{
    TagLib::MPEG::File file(fileName(path).constData(), false);
    if (!file.isValid())
        return TagSave::NotReadable;
    setId3v2(file.ID3v2Tag(true), tags);
    return saved(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, ID3v2::v4));
}

TagSave saveWav(const QString &path, const SongTags &tags)
{
    TagLib::RIFF::WAV::File file(fileName(path).constData(), false);
    if (!file.isValid())
        return TagSave::NotReadable;
    setId3v2(file.ID3v2Tag(), tags);
    setText(file.InfoTag(), tags);
    return saved(file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripOthers, ID3v2::v4));
}

} // namespace

SongTags readSongTags(const QString &songPath)
{
    SongTags tags;
    if (!QFileInfo(songPath).isFile())
        return tags;
    if (isRiff(songPath)) {
        TagLib::RIFF::WAV::File file(fileName(songPath).constData(), false);
        if (!file.isValid())
            return tags;
        takeText(tags, file.ID3v2Tag());
        takeText(tags, file.InfoTag());
        takeCover(tags, file.ID3v2Tag());
        return tags;
    }
    // Any other format by its extension, or by what it holds.
    TagLib::FileRef ref(fileName(songPath).constData(), false);
    if (ref.isNull()) {
        // An MP3 under another name still has its tags read.
        TagLib::MPEG::File file(fileName(songPath).constData(), false);
        if (file.isValid()) {
            takeText(tags, file.tag());
            takeCover(tags, file.ID3v2Tag());
        }
        return tags;
    }
    takeText(tags, ref.tag()); // for MP3: ID3v2, then APE, then ID3v1
    takeCoverOf(tags, ref.file());
    return tags;
}

SongTags tagsForOutput(const SongTags &song, const QString &outPath)
{
    SongTags tags = song;
    tags.title = QFileInfo(outPath).completeBaseName();
    return tags;
}

Outcome saveTags(const QString &path, RingtoneFormat format, const SongTags &tags)
{
    TagSave result = TagSave::NotReadable;
    switch (format) {
    case RingtoneFormat::M4r: result = saveMp4(path, tags); break;
    case RingtoneFormat::Ogg: result = saveXiph<TagLib::Ogg::Vorbis::File>(path, tags); break;
    case RingtoneFormat::Opus: result = saveXiph<TagLib::Ogg::Opus::File>(path, tags); break;
    case RingtoneFormat::Flac: result = saveFlac(path, tags); break;
    case RingtoneFormat::Mp3: result = saveMp3(path, tags); break;
    case RingtoneFormat::Wav: result = saveWav(path, tags); break;
    }
    switch (result) {
    case TagSave::Saved: return Outcome::success();
    case TagSave::NotReadable:
        return Outcome::failure(QStringLiteral("the tags cannot be written: it is not a readable %1 file").arg(extensionFor(format).toUpper()));
    case TagSave::NotSaved: break;
    }
    return Outcome::failure(QStringLiteral("the tags cannot be written (the file is read-only or the disk is full)"));
}

Outcome writeTags(const QString &path, RingtoneFormat format, const SongTags &tags)
{
    const Outcome saved = saveTags(path, format, tags);
    return saved ? saved : Outcome::failure(QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), saved.error()));
}

Outcome writeTags(const QString &path, const SongTags &tags)
{
    return writeTags(path, formatForName(path, RingtoneFormat::Mp3).format, tags);
}
